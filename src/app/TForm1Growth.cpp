// Growth since the last scan: the finished scan is kept in the program's database on a worker,
// compared with the last one kept of the same folder, and the change shown in the marks, the
// point hints and the status bar while the display option is on.
#include <malloc.h>

#include <QAction>
#include <QStatusBar>
#include <ctime>
#include <memory>

#include "app/TForm1.h"
#include "charts/ChartView.h"

namespace nubrix {

namespace {

constexpr int kRecordMessageMilliseconds = 20000;

}  // namespace

void TForm1::RecordScan() {
  const TSizeFolder* root = Tree_->ScanRoot();
  if (root == nullptr) return;
  auto folders = std::make_shared<std::vector<const TSizeFolder*>>();
  // Taken here, on the window's thread: sorting for the charts reorders the tree.
  auto snapshot = std::make_shared<const TScanSnapshot>(
      SnapshotOf(*root, static_cast<std::int64_t>(std::time(nullptr)), folders.get()));
  const std::string file = ProgramDatabaseFile(AppDataFolder());
  const std::uint64_t generation = TreeGeneration_;
  Recorder_->Start([file, snapshot](TJob&) { return CompareAndRecord(file, *snapshot, true); },
                   [this, folders, generation](const TRecordOutcome& outcome) {
                     OnScanRecorded(outcome, *folders, generation);
                   });
  ShowGrowthStatus();
}

void TForm1::OnScanRecorded(const TRecordOutcome& outcome,
                            const std::vector<const TSizeFolder*>& folders,
                            std::uint64_t generation) {
  // The record's working copies are gone by now; glibc keeps freed memory of the worker's arena
  // unless asked to give it back, which would leave the window a tree's size larger after it.
  malloc_trim(0);
  if (generation != TreeGeneration_) return;  // a newer scan has replaced the tree
  if (!outcome.SetAside.empty()) {
    statusBar()->showMessage(
        QStringLiteral("The scan record was damaged; it was set aside as %1 and a new one begun")
            .arg(DisplayPath(outcome.SetAside)),
        kRecordMessageMilliseconds);
  }
  if (!outcome.Error.empty()) {
    statusBar()->showMessage(QStringLiteral("This scan could not be kept for comparison: %1")
                                 .arg(DisplayPath(outcome.Error)),
                             kRecordMessageMilliseconds);
    Growth_.SetUnavailable();
  } else if (outcome.Comparison) {
    Growth_.Assign(folders, *outcome.Comparison);
  } else {
    Growth_.SetNoEarlierScan();
  }
  RefreshGrowthMarks();
  ShowGrowthStatus();
}

void TForm1::SetShowGrowth(bool on) {
  Action("actShowGrowth")->setChecked(on);
  RefreshGrowthMarks();
  ShowGrowthStatus();
}

QString TForm1::GrowthChangeText(const TSizeFolder& folder) const {
  return Action("actShowGrowth")->isChecked() ? Growth_.ChangeText(folder) : QString();
}

// The points keep their places: only the texts after the values change, so a paged or zoomed
// bar chart stays where the user put it.
void TForm1::RefreshGrowthMarks() {
  if (CurrentFolder_ == nullptr) return;
  for (charts::TChartView* chart : {Bars_, Pies_}) {
    charts::TChartSeries& series = chart->Model().Series;
    const int children = std::min(series.Count(), CurrentFolder_->ChildCount());
    for (int i = 0; i < children; ++i) {
      series.SetChange(i, GrowthChangeText(*CurrentFolder_->Child(i)));
    }
    chart->Changed();
  }
}

void TForm1::ShowGrowthStatus() {
  const bool on = Action("actShowGrowth")->isChecked();
  QString text = on && CurrentFolder_ != nullptr ? Growth_.StatusText(*CurrentFolder_) : QString();
  if (on && CurrentFolder_ != nullptr && Growth_.State() == TScanGrowth::TState::Unknown &&
      Recorder_->Running()) {
    text = QStringLiteral("Comparing with the last scan ...");
  }
  GrowthPanel_->setText(text);
  GrowthPanel_->setToolTip(text.isEmpty() ? QString()
                                          : DisplayPath(CurrentFolder_->Path()) + u'\n' + text);
  GrowthPanel_->setVisible(on);
  FormResize();
}

}  // namespace nubrix

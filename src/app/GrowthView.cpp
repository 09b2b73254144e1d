#include "app/GrowthView.h"

#include <malloc.h>

#include <QAction>
#include <QLabel>
#include <QStatusBar>
#include <algorithm>
#include <ctime>
#include <memory>

#include "charts/ChartView.h"
#include "sizetree/SizeTreeU.h"
#include "ui/DisplayText.h"
#include "ui/JobRunner.h"

namespace nubrix {

namespace {

constexpr int kRecordMessageMilliseconds = 20000;
constexpr int kPanelWidth = 250;

}  // namespace

TGrowthView::TGrowthView(QAction* option, QStatusBar* statusBar, charts::TChartView* bars,
                         charts::TChartView* pies, std::function<const TSizeFolder*()> shown,
                         QObject* parent)
    : QObject(parent),
      Option_(option),
      StatusBar_(statusBar),
      Bars_(bars),
      Pies_(pies),
      Shown_(std::move(shown)),
      Panel_(new QLabel),
      Recorder_(new TJobRunner(this)) {
  Panel_->setObjectName(QStringLiteral("GrowthPanel"));
  Panel_->setFrameShape(QFrame::StyledPanel);
  Panel_->setFixedWidth(kPanelWidth);
  Panel_->hide();
}

void TGrowthView::TreeReplaced() {
  ++Generation_;
  Growth_.Clear();
  ShowStatus();
}

void TGrowthView::RecordScan(const TSizeTree& tree, const std::string& databaseFile) {
  const TSizeFolder* root = tree.ScanRoot();
  if (root == nullptr) return;
  auto folders = std::make_shared<std::vector<const TSizeFolder*>>();
  // Taken here, on the window's thread: sorting for the charts reorders the tree.
  auto snapshot = std::make_shared<const TScanSnapshot>(
      SnapshotOf(*root, static_cast<std::int64_t>(std::time(nullptr)), folders.get()));
  const std::uint64_t generation = Generation_;
  Recorder_->Start(
      [databaseFile, snapshot](TJob&) { return CompareAndRecord(databaseFile, *snapshot, true); },
      [this, folders, generation](const TRecordOutcome& outcome) {
        OnRecorded(outcome, *folders, generation);
      });
  ShowStatus();
}

void TGrowthView::OnRecorded(const TRecordOutcome& outcome,
                             const std::vector<const TSizeFolder*>& folders,
                             std::uint64_t generation) {
  // The record's working copies are gone by now; glibc keeps freed memory of the worker's arena
  // unless asked to give it back, which would leave the window a tree's size larger after it.
  malloc_trim(0);
  if (generation != Generation_) return;  // a newer scan has replaced the tree
  if (!outcome.SetAside.empty()) {
    StatusBar_->showMessage(
        QStringLiteral("The scan record was damaged; it was set aside as %1 and a new one begun")
            .arg(DisplayPath(outcome.SetAside)),
        kRecordMessageMilliseconds);
  }
  if (!outcome.Error.empty()) {
    StatusBar_->showMessage(QStringLiteral("This scan could not be kept for comparison: %1")
                                .arg(DisplayPath(outcome.Error)),
                            kRecordMessageMilliseconds);
    Growth_.SetUnavailable();
  } else if (outcome.Comparison) {
    Growth_.Assign(folders, *outcome.Comparison);
  } else {
    Growth_.SetNoEarlierScan();
  }
  RefreshMarks();
  ShowStatus();
}

void TGrowthView::SetShown(bool on) {
  Option_->setChecked(on);
  RefreshMarks();
  ShowStatus();
}

QString TGrowthView::ChangeText(const TSizeFolder& folder) const {
  return Option_->isChecked() ? Growth_.ChangeText(folder) : QString();
}

// The points keep their places: only the texts after the values change, so a paged or zoomed
// bar chart stays where the user put it.
void TGrowthView::RefreshMarks() {
  const TSizeFolder* shown = Shown_();
  if (shown == nullptr) return;
  for (charts::TChartView* chart : {Bars_, Pies_}) {
    charts::TChartSeries& series = chart->Model().Series;
    const int children = std::min(series.Count(), shown->ChildCount());
    for (int i = 0; i < children; ++i) series.SetChange(i, ChangeText(*shown->Child(i)));
    chart->Changed();
  }
}

void TGrowthView::ShowStatus() {
  const bool on = Option_->isChecked();
  const TSizeFolder* shown = Shown_();
  QString text = on && shown != nullptr ? Growth_.StatusText(*shown) : QString();
  if (on && shown != nullptr && Growth_.State() == TScanGrowth::TState::Unknown &&
      Recorder_->Running()) {
    text = QStringLiteral("Comparing with the last scan ...");
  }
  Panel_->setText(text);
  Panel_->setToolTip(text.isEmpty() ? QString() : DisplayPath(shown->Path()) + u'\n' + text);
  Panel_->setVisible(on);
  emit PanelChanged();
}

}  // namespace nubrix

// The scan from the window: choosing the folder, running the scan on the engine's threads,
// progress in the status bar and the gauge, the status reset two seconds after.
#include <sys/stat.h>

#include <QApplication>
#include <QComboBox>
#include <QProgressBar>
#include <QScopedValueRollback>
#include <QTreeView>

#include "app/FolderTreeModel.h"
#include "app/GrowthView.h"
#include "app/HistoryBox.h"
#include "app/ScanFileView.h"
#include "app/StatusTexts.h"
#include "app/TForm1.h"
#include "app/TreemapPage.h"
#include "charts/ChartView.h"
#include "cleaners/pages/LargestFilesPage.h"
#include "platform/Paths.h"
#include "scanfile/ScanImport.h"

namespace nubrix {

using platform::IsFolder;
using platform::WithoutSeparator;
using platform::WithSeparator;

namespace {

constexpr int kSpacerIdle = 20;
constexpr int kSpacerBusy = 6;
inline const std::string kAllDrives = "<All Drives>";

}  // namespace

void TForm1::actRunExecute() {
  if (ScanFiles_->Busy()) return;  // the file being read will replace the tree
  ShowGauge(100);
  if (!Scanning() && IsFolder(SelectedPath_)) {
    HistoryCombo_->setEditText(DisplayPath(SelectedPath_));
    HistoryBox_->AddToHistory(SelectedPath_);  // the folder enters the history before it is scanned
    ScanFolder(SelectedPath_);
  }
  // A running scan arms the status reset when it ends.
  if (!Scanning()) Timer3_.start();
}

void TForm1::ScanFolder(const std::string& path) {
  ScanStarted_ = std::chrono::steady_clock::now();
  if (!IsFolder(path)) {
    SetStatus(1, ElapsedText(std::chrono::milliseconds(0)));
    return;
  }
  ScanCursor_.emplace();  // until the scan has finished, whichever way
  ScanFiles_->Forget();
  setWindowTitle(QStringLiteral("Nubrix lite"));
  SetStatus(1, kCountingFolders);
  ResetSizeTree();
  Scanner_->Start(Tree_.get(), path);
}

void TForm1::ResetSizeTree() {
  BackList_.clear();
  CurrentFolder_ = nullptr;
  Tree_ = std::make_unique<TSizeTree>();
  GrowthView_->TreeReplaced();
  Pages_.Largest->TreeReplaced(std::nullopt);
  Pages_.TreeReplaced();
  actBarsNormalExecute();
  ShowUnreadableCount(0);
}

void TForm1::OnScanProgress(const TScanProgressView& progress) {
  if (!progress.Sizing) {
    Layout_.Gauge->setValue(
        std::clamp(progress.GaugePercent, Layout_.Gauge->minimum(), Layout_.Gauge->maximum()));
    if (progress.FoldersFound > 0) SetStatus(1, DirectoriesText(progress.FoldersFound));
    return;
  }
  // The size pass: the gauge counts the sized folders against the announced total.
  if (Layout_.Gauge->maximum() != std::max(1, progress.Total)) {
    SetStatus(1, kCalculateSize);
    Layout_.Gauge->setRange(0, std::max(1, progress.Total));
  }
  SetStatus(1, DirectoriesText(progress.Total));
  Layout_.Gauge->setValue(std::clamp(progress.FoldersSized, 0, Layout_.Gauge->maximum()));
}

void TForm1::OnScanFinished(bool sized) {
  ScanCursor_.reset();
  TSizeFolder* root = Tree_->ScanRoot();
  if (sized && root != nullptr) {
    CurrentFolder_ = root;
    Pages_.Largest->TreeReplaced(Scanner_->TakeRootStats());
    ShowFolderCharts(root);
    SetStatus(1, {});
    ShowUnreadableCount(Tree_->UnreadableCount());
    GrowthView_->RecordScan(*Tree_, ProgramDatabaseFile(AppDataFolder()));
  } else {
    // Cancelled: the bars go, the pie keeps what it showed, and no folder is current.
    CurrentFolder_ = nullptr;
    Bars_->Model().Series.Clear();
    Bars_->Changed();
  }
  actSortNowExecute();
  Timer3_.start();
  SetStatus(1, ElapsedText(std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - ScanStarted_)));
  UpdateActions();
  emit ScanFinished(sized);
}

void TForm1::ShowScanFile(TScanFile& scan) {
  ResetSizeTree();
  Tree_ = std::make_unique<TSizeTree>(std::move(scan.Tree));
  CurrentFolder_ = Tree_->ScanRoot();
  Pages_.Largest->TreeReplaced(std::move(scan.Files));
  ShowFolderCharts(CurrentFolder_);
  ShowUnreadableCount(Tree_->UnreadableCount());
  setWindowTitle(QStringLiteral("Nubrix lite - ") + ScanFiles_->Source());
  Timer3_.stop();
  SetStatus(1, ScanFiles_->Source());
  UpdateActions();
}

QString TForm1::DiskUnavailable() const {
  if (ScanFiles_->Source().isEmpty()) return {};
  return QStringLiteral(
      "The folders shown were read from a scan file: they are on the disk that "
      "was scanned, which this is not known to be.");
}

// Beside the scan's own texts: folders that could not be read leave sizes that are too small.
void TForm1::ShowUnreadableCount(int count) {
  SetStatus(2, count > 0 ? QStringLiteral("%1 unreadable").arg(count) : QString());
  Layout_.StatusPanels[2]->setToolTip(
      count > 0
          ? QStringLiteral("%1 folder(s) could not be read:\r\nthe sizes above them are too small")
                .arg(count)
          : QString());
}

int TForm1::ScannedFolderCount() const { return Scanner_->Context().State.FolderCount.load(); }

void TForm1::SetGaugePosition(int position) {
  Layout_.Gauge->setValue(std::clamp(position, Layout_.Gauge->minimum(), Layout_.Gauge->maximum()));
}

void TForm1::ShowGauge(int maximum) {
  Timer3_.stop();
  Layout_.Gauge->setRange(0, maximum);
  Layout_.Gauge->show();
  Layout_.Label2->setFixedHeight(kSpacerBusy);
}

void TForm1::Timer3Tick() {
  SetStatus(1, DisplayPath(SelectedPath_));
  Layout_.Gauge->setValue(0);
  Layout_.Gauge->hide();
  Layout_.Label2->setFixedHeight(kSpacerIdle);
}

bool TForm1::ShowSelectedPath(const std::string& path) {
  if (IsFolder(path)) {
    SelectedPath_ = WithSeparator(path);
    SetStatus(1, DisplayPath(SelectedPath_));
    SyncDirTree(SelectedPath_);
    HistoryCombo_->setEditText(DisplayPath(SelectedPath_));
    Pages_.Treemap->MarkPath(SelectedPath_);
    return true;
  }
  if (path == kAllDrives) {
    HistoryCombo_->setEditText(QString::fromStdString(path));
    SetStatus(1, QString::fromStdString(path));
    const QScopedValueRollback syncing(SyncingTree_, true);
    DirTree_->setCurrentIndex(DirModel_->IndexOf("/"));
  }
  return false;
}

void TForm1::SyncDirTree(const std::string& path) {
  const std::string selected = DirModel_->PathOf(DirTree_->currentIndex());
  if (!selected.empty() && (WithSeparator(selected) == WithSeparator(path))) return;
  // The folders on the way are listed in the background: a slow disk never holds the window.
  DirModel_->Reveal(WithoutSeparator(path), [this, path](const QModelIndex& index) {
    if (!index.isValid() || WithSeparator(path) != SelectedPath_) return;  // a later choice won
    const QScopedValueRollback syncing(SyncingTree_, true);
    DirTree_->setUpdatesEnabled(false);
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) DirTree_->expand(up);
    DirTree_->setCurrentIndex(index);
    DirTree_->scrollTo(index);
    DirTree_->setUpdatesEnabled(true);
  });
}

void TForm1::DirTreeClick() {
  const std::string path = DirModel_->PathOf(DirTree_->currentIndex());
  if (!path.empty()) ShowSelectedPath(path);
}

}  // namespace nubrix

// Moving through the size tree from the charts: clicks, Up, Back, the hints of the points, and
// paging the bar chart.
#include <QAction>
#include <QDesktopServices>
#include <QUrl>

#include "app/FolderOperations.h"
#include "app/TForm1.h"
#include "app/TreemapPage.h"
#include "charts/BarPaging.h"
#include "charts/ChartView.h"
#include "charts/NumberFormat.h"
#include "platform/Paths.h"
#include "platform/ShellOpen.h"

namespace nubrix {

namespace {

constexpr int kSpreadPointsPerPage = 20;
constexpr int kSpreadPage = 110;

}  // namespace

std::string TForm1::ChartTarget(int index) const {
  const charts::TChartSeries& series = Bars_->Model().Series;
  if (CurrentFolder_ == nullptr || index < 0 || index >= series.Count()) return {};
  std::string base = platform::WithSeparator(CurrentFolder_->Path());
  // The own-files and free-space points follow the children and stand for the folder shown;
  // known by their place, since a folder's name may begin with "<" too.
  if (index >= CurrentFolder_->ChildCount()) return base;
  return base + series.Point(index).Label + "/";
}

void TForm1::BarsClickSeries(int index, Qt::MouseButton button) {
  const std::string target = ChartTarget(index);
  if (target.empty()) return;
  SelectedPath_ = target;  // whatever the button: a scan would start there now
  OpenChartPath(target, button);
}

// A tile's left button goes into its folder as a bar's does; the right one gives the tree's menu.
void TForm1::TreemapClick(const std::string& path, Qt::MouseButton button, QPoint global) {
  if (button == Qt::RightButton) {
    Folders_->ShowFolderMenuFor(path, global);
  } else if (button == Qt::LeftButton) {
    SelectedPath_ = path;
    OpenChartPath(path, button);
  }
}

void TForm1::PiesClickSeries(int index, Qt::MouseButton button) {
  const std::string target = ChartTarget(index);
  if (!target.empty()) OpenChartPath(target, button);
}

void TForm1::OpenChartPath(const std::string& path, Qt::MouseButton button) {
  if (button == Qt::LeftButton) {
    TSizeFolder* folder = Tree_->FindFolder(path);
    CurrentFolder_ = folder;
    ShowFolderCharts(CurrentFolder_);
    SelectedPath_ = folder->Path();
    ShowSelectedPath(SelectedPath_);
  } else if (button == Qt::RightButton) {
    const QString question = QStringLiteral("Do you want to open ") + DisplayPath(path) +
                             QStringLiteral(" in Windows Explorer. Do you \r\nwant to proceed?");
    if (!Dialogs_->Ask(this, TQuestionKind::Confirmation, question, TAnswerButtons::YesNo)) return;
    if (!platform::OpenWithDesktop(path)) {
      // The URL carries the path's bytes percent-encoded, so names that are not UTF-8 open too.
      const QByteArray bytes(path.data(), static_cast<qsizetype>(path.size()));
      QDesktopServices::openUrl(
          QUrl(QStringLiteral("file://") + QString::fromLatin1(bytes.toPercentEncoding("/"))));
    }
    SetStatus(1, DisplayPath(path));
  }
}

void TForm1::GoToParentFolder() {
  if (CurrentFolder_ == nullptr || CurrentFolder_->Parent() == &Tree_->TopFolder()) return;
  TSizeFolder* parent = GetParent(CurrentFolder_);
  BackList_.push_back(CurrentFolder_->Path());
  ShowSelectedPath(parent->Path());
  CurrentFolder_ = parent;
  ShowFolderCharts(parent);
}

void TForm1::GoBack() {
  if (BackList_.empty()) return;
  const std::string entry = BackList_.back();
  OpenChartPath(entry, Qt::LeftButton);
  BackList_.pop_back();
}

// Whether the sizes of a point are short because something in it could not be read.
bool TForm1::PointIsIncomplete(int index) const {
  if (CurrentFolder_ == nullptr || index < 0) return false;
  if (index < CurrentFolder_->ChildCount()) return CurrentFolder_->Child(index)->UnreadableBelow();
  return index == CurrentFolder_->ChildCount() && CurrentFolder_->ReadError() != 0;
}

void TForm1::ChartHover(charts::TChartView* chart, int index) {
  if (chart == Pies_) Hints_->HideHint();
  const charts::TChartSeries& series = Bars_->Model().Series;
  const QString text =
      index >= 0 && index < series.Count()
          ? charts::PointMarkText(series.Point(index).Caption, series.Point(index).Value,
                                  series.Point(index).Change)
          : QString();
  SetStatus(0, text);
  chart->setToolTip(text + (PointIsIncomplete(index) ? kIncompleteHint : QString()) +
                    kPointHintTail);
}

void TForm1::actBarsSpreadExecute() {
  charts::TBarOptions& bars = Bars_->Model().Bars;
  bars.PointsPerPage = kSpreadPointsPerPage;
  bars.Page = kSpreadPage;  // clamped to the last page when shown
  Bars_->Changed();
}

void TForm1::ShiftBars(int direction) {
  charts::TChartModel& model = Bars_->Model();
  charts::ShiftCategoryRange(model.Bars, model.Series, direction * (model.Bars.PointsPerPage - 2));
  Bars_->Changed();
}

void TForm1::actBarsNormalExecute() {
  charts::TBarOptions& bars = Bars_->Model().Bars;
  bars.PointsPerPage = 0;
  bars.Page = 1;
  Bars_->UndoZoom();  // both axes automatic again
}

}  // namespace nubrix

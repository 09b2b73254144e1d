// The charts of the current folder, the sort commands and the colour scheme.
#include <QAction>
#include <QComboBox>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QToolBar>

#include "app/GrowthView.h"
#include "app/TForm1.h"
#include "app/TreemapPage.h"
#include "charts/ChartView.h"
#include "cleaners/pages/LargestFilesPage.h"
#include "platform/FreeSpace.h"
#include "platform/Paths.h"

namespace nubrix {

namespace {

charts::TRgb Rgb(const QColor& colour) { return colour.rgb() & 0xFFFFFF; }

QString Css(const QColor& colour) { return colour.name(QColor::HexRgb); }

}  // namespace

TFolderChartInput TForm1::ChartInput() const {
  TFolderChartInput input;
  input.SortMode = SortMode_;
  input.Palette = Palette_;
  input.ShowFreeSpace = Action("actFreeSpace")->isChecked();
  input.IsMountRoot = [](const std::string& path) { return platform::IsMountRoot(path); };
  input.FreeBytes = [](const std::string& path) { return platform::FreeBytesAvailable(path); };
  input.ChangeText = [this](const TSizeFolder& folder) { return GrowthView_->ChangeText(folder); };
  return input;
}

void TForm1::ShowFolderCharts(TSizeFolder* folder) {
  if (folder == nullptr) return;
  charts::TChartModel& bars = Bars_->Model();
  BuildFolderPoints(*folder, ChartInput(), bars.Series);
  // A new folder never opens scrolled into empty space: paging off, the axes automatic.
  bars.Bars.PointsPerPage = 0;
  bars.Bars.CategoryAutomatic = bars.Bars.ValueAutomatic = true;
  bars.Title = QStringList{FolderChartTitle(*folder)};
  charts::TChartModel& pies = Pies_->Model();
  pies.Series = bars.Series;
  pies.Title = bars.Title;
  Bars_->Changed();
  Pies_->Changed();
  Pages_.FolderShown();
  GrowthView_->ShowStatus();
}

// Sorting by name or size marks that command and clears the other; "Don't sort" changes no
// mark, so the marks still show the order the charts were last sorted in.
void TForm1::SetSortMode(TSortMode mode) {
  SortMode_ = mode;
  if (mode != TSortMode::None) ShowSortMode(mode);
}

void TForm1::ShowSortMode(TSortMode mode) {
  Action("actSortName")->setChecked(mode == TSortMode::ByName);
  Action("actSortSize")->setChecked(mode == TSortMode::BySize);
}

void TForm1::actSortNowExecute() {
  if (CurrentFolder_ == nullptr) return;
  ShowSortMode(SortMode_);
  ShowFolderCharts(CurrentFolder_);
}

void TForm1::SetChart3D(bool on) {
  Bars_->Model().View3D = Pies_->Model().View3D = on;
  Bars_->Changed();
  Pies_->Changed();
  Pages_.Largest->FolderShown();
  Action("act3D")->setChecked(on);
}

void TForm1::SetChartLabels(bool on) {
  Bars_->Model().MarksVisible = Pies_->Model().MarksVisible = on;
  Bars_->Changed();
  Pies_->Changed();
  Pages_.Largest->FolderShown();
  Action("actLabels")->setChecked(on);
}

void TForm1::SetChartLegend(bool on) {
  Bars_->Model().LegendVisible = Pies_->Model().LegendVisible = on;
  Bars_->Changed();
  Pies_->Changed();
  Pages_.Largest->FolderShown();
  Action("actshowLegend")->setChecked(on);
}

void TForm1::SetChartHints(bool on) {
  Hints_->SetEnabled(on);
  Action("actshowHints")->setChecked(on);
}

void TForm1::SetExplodeBiggest(bool on) {
  Pies_->Model().Pie.ExplodeBiggest = on ? 10 : 0;
  Pies_->Changed();
  Action("actExplode")->setChecked(on);
}

void TForm1::SetEllipticPie(bool on) {
  Pies_->Model().Pie.Circled = !on;
  Pies_->Changed();
  Action("actElypticPie")->setChecked(on);
}

void TForm1::ApplyColourScheme() {
  Palette_ = kChartPalette;
  Pages_.Treemap->SetPalette(Palette_);
  Colours_ = TColourScheme{};
  const TColourScheme& c = Colours_;
  menuBar()->setStyleSheet(QStringLiteral("QMenuBar { background: #ffffff; }"
                                          "QMenuBar::item:selected { background: %1; }"
                                          "QMenu { background: %2; border: 1px solid %1; }"
                                          "QMenu::item:selected { background: %1; color: black; }"
                                          "QMenu::item:disabled { color: #6f8fae; }")
                               .arg(Css(c.ChartBackColour), Css(c.FormColour)));
  // Tool bars without edges, on the bands' colour.
  for (QToolBar* bar : findChildren<QToolBar*>()) {
    bar->setStyleSheet(
        QStringLiteral("QToolBar { border: none; background: %1; }").arg(Css(c.FormColour)));
  }
  QPalette window = palette();
  window.setColor(QPalette::Window, c.FormColour);
  setPalette(window);
  Layout_.CoolBar1->setPalette(window);
  statusBar()->setStyleSheet(
      QStringLiteral("QStatusBar { background: %1; }").arg(Css(c.FormColour)));
  HistoryCombo_->setStyleSheet(
      QStringLiteral("QComboBox { background: %1; }").arg(Css(c.FormColour)));
  for (charts::TChartView* chart : {Bars_, Pies_}) {
    charts::TChartColors& colours = chart->Model().Colors;
    colours.Background = Rgb(c.ChartBackColour);
    colours.Title = colours.AxisLabels = colours.Footer = Rgb(c.LetteringColour);
    chart->Changed();
  }
  Hints_->SetHintColour(c.HintColour);
  Layout_.Gauge->setStyleSheet(
      QStringLiteral("QProgressBar { background: %1; border: 1px solid #2a6fa8; }"
                     "QProgressBar::chunk { background: %2; }")
          .arg(Css(c.ChartBackColour), Css(c.LetteringColour)));
}

}  // namespace nubrix

// The window's side of its settings: what it shows from them and what it gives back.
#include <QAction>
#include <QComboBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>

#include "app/GrowthView.h"
#include "app/HistoryBox.h"
#include "app/SettingsKeeper.h"
#include "app/TForm1.h"
#include "charts/ChartView.h"
#include "cleaners/pages/LargestFilesPage.h"
#include "platform/Paths.h"

namespace nubrix {

void TForm1::ApplySettings(const TWindowSettings& s) {
  move(s.Left, s.Top);
  resize(s.Width, s.Height);
  ShowPage(s.TabSheet);
  if (!s.ShowDirTree) {
    // Collapsed as the loader does it: no width is remembered, so the panel reopens at 150.
    QSplitter* splitter = findChild<QSplitter*>(QStringLiteral("Splitter1"));
    const QList<int> sizes = splitter->sizes();
    splitter->setSizes({kCollapsedWidth, sizes.value(0) + sizes.value(1) - kCollapsedWidth});
    PanelPlaced_ = true;
  }
  SetEllipticPie(s.Elyptic);
  SetExplodeBiggest(s.ExplodeBiggest);
  SetChartLabels(s.MarkVisible);
  SetChartLegend(s.ShowLegend);
  SetChartHints(s.ShowHints);
  SetChart3D(s.Toggle3D);
  Action("actFreeSpace")->setChecked(s.FreeSpace);
  ShowHistory(s.HistoryCombo);
  GrowthView_->SetShown(s.ShowGrowth);
  SortMode_ = static_cast<TSortMode>(s.Sort);
  ShowSortMode(SortMode_);
  StartFolder_ = s.StartWith;
  Bars_->Model().Bars.ZoomEnabled = s.EnableZoom;
  HistoryBox_->Assign(s.History, s.HistorySize);
  Pages_.Largest->SetLargestCount(static_cast<std::size_t>(s.LargestFiles));
  Scanner_->SetLargestCount(static_cast<std::size_t>(s.LargestFiles));
}

TWindowSettings TForm1::CollectSettings() const {
  TWindowSettings s;
  // The place of the window's inside, as move() takes it before the window is shown: the frame's
  // place would put the window higher by its title bar at every start.
  const QRect inside = geometry();
  s.Left = inside.left();
  s.Top = inside.top();
  s.Width = width();
  s.Height = height();
  s.TabSheet = PageShown();
  s.ShowDirTree = findChild<QSplitter*>(QStringLiteral("Splitter1"))->sizes().value(0) > 8;
  s.ExplodeBiggest = Action("actExplode")->isChecked();
  s.MarkVisible = Action("actLabels")->isChecked();
  s.ShowLegend = Action("actshowLegend")->isChecked();
  s.ShowHints = Action("actshowHints")->isChecked();
  s.Toggle3D = Action("act3D")->isChecked();
  s.FreeSpace = Action("actFreeSpace")->isChecked();
  s.ShowGrowth = Action("actShowGrowth")->isChecked();
  s.HistoryCombo = HistoryBox_->isVisibleTo(const_cast<TForm1*>(this));
  s.Sort = static_cast<std::uint8_t>(SortMode_);
  s.Elyptic = Action("actElypticPie")->isChecked();
  s.StartWith = SelectedPath_;
  s.History = HistoryBox_->History().Entries();
  return s;
}

void TForm1::SaveSettings() {
  const bool normal =
      !(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
  Settings_->Save(CollectSettings(), normal);
}

void TForm1::ShowHistoryText(const QString& text) { HistoryBox_->ShowText(text); }

void TForm1::ShowHistory(bool visible) {
  HistoryBox_->setVisible(visible);
  HistoryCombo_->setVisible(visible);
  Action("actFolderHistory")->setChecked(visible);
}

std::string TForm1::AppDataFolder() const {
  return platform::WithSeparator(platform::FolderOf(Settings_->File()));
}

}  // namespace nubrix

// The commands of the main window: actions from the command table, menus, enabled states.
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QActionGroup>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "about/aboutdlg.h"
#include "app/ChartOutputs.h"
#include "app/CleanupUndo.h"
#include "app/FolderOperations.h"
#include "app/GrowthView.h"
#include "app/PieRotation.h"
#include "app/ScanFileView.h"
#include "app/TForm1.h"
#include "app/TreemapPage.h"
#include "charts/ChartView.h"
#include "cleaners/pages/CleanerPages.h"
#include "cleaners/pages/ShortcutPage.h"
#include "cleaners/pages/TempFilesPage.h"
#include "ui/CommandGuard.h"
#include "ui/CommandTable.h"
#include "ui/Commands.h"
#include "ui/HelpWindow.h"

namespace nubrix {

QAction* TForm1::Action(std::string_view name) const { return Commands_.Find(name); }

void TForm1::CreateActions() {
  Commands_.Register(CommandTable());
  Action("actLabels")->setChecked(true);
  auto* rotateGroup = new QActionGroup(this);
  rotateGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (const char* name : {"actRotateLeft", "actRotateRight"}) rotateGroup->addAction(Action(name));
}

void TForm1::BuildMenus() {
  std::map<std::string_view, QMenu*> menus;
  for (std::string_view title : kMenus) {
    QMenu* menu =
        menuBar()->addMenu(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    menu->setSeparatorsCollapsible(false);
    menu->setToolTipsVisible(true);
    menus[title] = menu;
  }
  for (const TCommandSpec& spec : CommandTable()) {
    if (spec.Menu.empty()) continue;
    QMenu* menu = menus.at(spec.Menu);
    for (int i = 0; i < spec.SeparatorsBefore; ++i) menu->addSeparator();
    menu->addAction(Action(spec.Name));
  }
  menus.at("&Help")->addSeparator();
}

void TForm1::Guarded(const std::function<void()>& command) {
  RunGuarded(*Dialogs_, this, command);
  UpdateActions();
}

void TForm1::actAboutExecute() {
  ab->SetProductName(QStringLiteral("Nubrix"));
  ab->Copyright = QStringLiteral("2026 the Nubrix developers. Free to use and to share.");
  ShowAboutBox();
}

void TForm1::ShowAboutBox() { ab->Execute(this); }

// Each command's handler runs inside the default error display (Guarded).
void TForm1::ConnectCommands() {
  const std::pair<const char*, std::function<void()>> handlers[] = {
      {"actRun", [this] { actRunExecute(); }},
      {"actToggleDirTree", [this] { actToggleDirTree(); }},
      {"actSortNow", [this] { actSortNowExecute(); }},
      {"actSortName", [this] { SetSortMode(TSortMode::ByName); }},
      {"actSortSize", [this] { SetSortMode(TSortMode::BySize); }},
      {"actNoSort", [this] { SetSortMode(TSortMode::None); }},
      {"actPrint", [this] { Outputs_->actPrintExecute(); }},
      {"acthelp", [this] { Help_->ShowHelp(0); }},
      {"actAbout", [this] { actAboutExecute(); }},
      {"actHelpCnt", [this] { Help_->ShowHelp(0); }},
      {"actHelpIDX", [this] { Help_->ShowHelp(1); }},
      {"actSaveAsPicture", [this] { Outputs_->actSaveAsPictureExecute(); }},
      {"actBarClbd", [this] { TChartOutputs::CopyChart(*Bars_); }},
      {"actTreemapClbd", [this] { TChartOutputs::CopyTreemap(*Pages_.Treemap->View()); }},
      {"actPieClbd", [this] { TChartOutputs::CopyChart(*Pies_); }},
      {"actUpOneDir", [this] { GoToParentFolder(); }},
      {"actBack", [this] { GoBack(); }},
      {"actBarsSpread", [this] { actBarsSpreadExecute(); }},
      {"actBarsNormal", [this] { actBarsNormalExecute(); }},
      {"actBarsUp", [this] { ShiftBars(+1); }},
      {"actBarsDown", [this] { ShiftBars(-1); }},
      {"actRotateLeft", [this] { Rotation_->RotateLeftExecute(); }},
      {"actRotateRight", [this] { Rotation_->RotateRightExecute(); }},
      {"actBrowseDir", [this] { Folders_->actBrowseDirExecute(); }},
      {"actOpenScanFile", [this] { ScanFiles_->Open(); }},
      {"actDeleteFile", [this] { Folders_->actDeleteFileExecute(); }},
      {"actUndoCleanup", [this] { Undo_->actUndoCleanupExecute(); }},
      {"actCleanupHistory", [this] { Undo_->actCleanupHistoryExecute(); }}};
  for (const auto& [name, handler] : handlers) {
    connect(Action(name), &QAction::triggered, this,
            [this, handler = handler] { Guarded(handler); });
  }
  connect(Action("actExit"), &QAction::triggered, this, &QWidget::close);
  ConnectToggles();
  ConnectCharts();
  // Enabled states follow the window's state whenever the event loop goes idle, and at once
  // after every command and at the end of a scan.
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          &TForm1::UpdateActions);
}

// The action has turned its check mark; the setter applies the new state.
void TForm1::ConnectToggles() {
  const std::pair<const char*, void (TForm1::*)(bool)> toggles[] = {
      {"act3D", &TForm1::SetChart3D},
      {"actLabels", &TForm1::SetChartLabels},
      {"actshowLegend", &TForm1::SetChartLegend},
      {"actshowHints", &TForm1::SetChartHints},
      {"actExplode", &TForm1::SetExplodeBiggest},
      {"actElypticPie", &TForm1::SetEllipticPie},
      {"actFolderHistory", &TForm1::ShowHistory},
  };
  for (const auto& [name, setter] : toggles) {
    QAction* action = Action(name);
    connect(action, &QAction::triggered, this, [this, action, setter = setter] {
      Guarded([&] { (this->*setter)(action->isChecked()); });
    });
  }
  QAction* growth = Action("actShowGrowth");
  connect(growth, &QAction::triggered, this,
          [this, growth] { Guarded([&] { GrowthView_->SetShown(growth->isChecked()); }); });
}

void TForm1::ConnectCharts() {
  connect(Bars_, &charts::TChartView::PointClicked, this,
          [this](int index, Qt::MouseButton button) {
            Guarded([&] { BarsClickSeries(index, button); });
          });
  connect(Pies_, &charts::TChartView::PointClicked, this,
          [this](int index, Qt::MouseButton button) {
            Guarded([&] { PiesClickSeries(index, button); });
          });
  connect(Pages_.Treemap, &TTreemapPage::FolderClicked, this,
          [this](const std::string& path, Qt::MouseButton button, QPoint global) {
            Guarded([&] { TreemapClick(path, button, global); });
          });
  connect(Bars_, &charts::TChartView::PointHovered, this,
          [this](int index) { ChartHover(Bars_, index); });
  connect(Pies_, &charts::TChartView::PointHovered, this,
          [this](int index) { ChartHover(Pies_, index); });
}

void TForm1::UpdateActions() {
  // A temp-file search reads what the last scan found: no new scan replaces it meanwhile.
  const bool idle = !Scanner_->Running() && !Pages_.TempFiles->Busy();
  // A scan and a scan file being read would each replace the tree the other fills.
  const bool reading = ScanFiles_->Busy();
  Action("actRun")->setEnabled(idle && !reading);
  Action("actOpenScanFile")->setEnabled(idle && !reading);
  // A tree read from a scan file lies on another disk: nothing of it goes to this trash.
  Action("actDeleteFile")->setEnabled(DiskUnavailable().isEmpty());
  Action("actSortNow")->setEnabled(idle && CurrentFolder_ != nullptr);
  const bool paging = Bars_->Model().Bars.PointsPerPage > 0;
  for (const char* name :
       {"actPrint", "actSaveAsPicture", "actBarClbd", "actPieClbd", "actTreemapClbd"}) {
    Action(name)->setEnabled(CurrentFolder_ != nullptr);
  }
  Action("actUpOneDir")
      ->setEnabled(idle && CurrentFolder_ != nullptr &&
                   CurrentFolder_->Parent() != &Tree_->TopFolder());
  Action("actBack")->setEnabled(idle && !BackList_.empty());
  Action("actBarsSpread")->setEnabled(!paging);
  for (const char* name : {"actBarsUp", "actBarsNormal", "actBarsDown"})
    Action(name)->setEnabled(paging);
  // Disabling the rotation leaves a turning pie turning.
  Action("actRotateLeft")->setEnabled(CurrentFolder_ != nullptr);
  Action("actRotateRight")->setEnabled(CurrentFolder_ != nullptr);
  Pages_.Shortcuts->UpdateActions();
  Pages_.Traces->UpdateActions();
}

}  // namespace nubrix

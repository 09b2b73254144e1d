// The commands of the main window: actions from the command table, menus, enabled states.
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QActionGroup>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include "app/CommandGuard.h"
#include "app/CommandTable.h"
#include "app/Commands.h"
#include "app/TForm1.h"
#include "charts/ChartView.h"

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

void TForm1::ConnectCommands() {
  auto on = [this](const char* name, auto handler) {
    connect(Action(name), &QAction::triggered, this,
            [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
  };
  on("actRun", &TForm1::actRunExecute);
  on("actToggleDirTree", &TForm1::actToggleDirTree);
  on("actSortNow", &TForm1::actSortNowExecute);
  connect(Action("actExit"), &QAction::triggered, this, &QWidget::close);
  connect(Action("actSortName"), &QAction::triggered, this,
          [this] { Guarded([this] { SetSortMode(TSortMode::ByName); }); });
  connect(Action("actSortSize"), &QAction::triggered, this,
          [this] { Guarded([this] { SetSortMode(TSortMode::BySize); }); });
  connect(Action("actNoSort"), &QAction::triggered, this,
          [this] { Guarded([this] { SetSortMode(TSortMode::None); }); });
  // Toggles: the action has turned its check mark; the setter applies the new state.
  const std::pair<const char*, void (TForm1::*)(bool)> toggles[] = {
      {"act3D", &TForm1::SetChart3D},
      {"actLabels", &TForm1::SetChartLabels},
      {"actshowLegend", &TForm1::SetChartLegend},
      {"actshowHints", &TForm1::SetChartHints},
      {"actExplode", &TForm1::SetExplodeBiggest},
      {"actElypticPie", &TForm1::SetEllipticPie},
      {"actFolderHistory", &TForm1::ShowHistory}};
  for (const auto& [name, setter] : toggles) {
    QAction* action = Action(name);
    connect(action, &QAction::triggered, this, [this, action, setter = setter] {
      Guarded([&] { (this->*setter)(action->isChecked()); });
    });
  }
  on("actPrint", &TForm1::actPrintExecute);
  connect(Action("acthelp"), &QAction::triggered, this,
          [this] { Guarded([this] { ShowHelp(0); }); });
  connect(Action("actHelpCnt"), &QAction::triggered, this,
          [this] { Guarded([this] { ShowHelp(0); }); });
  connect(Action("actHelpIDX"), &QAction::triggered, this,
          [this] { Guarded([this] { ShowHelp(1); }); });
  on("actSaveAsPicture", &TForm1::actSaveAsPictureExecute);
  connect(Action("actBarClbd"), &QAction::triggered, this,
          [this] { Guarded([this] { CopyChart(*Bars_); }); });
  connect(Action("actPieClbd"), &QAction::triggered, this,
          [this] { Guarded([this] { CopyChart(*Pies_); }); });
  on("actUpOneDir", &TForm1::GoToParentFolder);
  on("actBack", &TForm1::GoBack);
  on("actBarsSpread", &TForm1::actBarsSpreadExecute);
  on("actBarsNormal", &TForm1::actBarsNormalExecute);
  connect(Action("actBarsUp"), &QAction::triggered, this,
          [this] { Guarded([this] { ShiftBars(+1); }); });
  connect(Action("actBarsDown"), &QAction::triggered, this,
          [this] { Guarded([this] { ShiftBars(-1); }); });
  connect(Bars_, &charts::TChartView::PointClicked, this,
          [this](int index, Qt::MouseButton button) {
            Guarded([&] { BarsClickSeries(index, button); });
          });
  connect(Pies_, &charts::TChartView::PointClicked, this,
          [this](int index, Qt::MouseButton button) {
            Guarded([&] { PiesClickSeries(index, button); });
          });
  connect(Bars_, &charts::TChartView::PointHovered, this,
          [this](int index) { ChartHover(Bars_, index); });
  connect(Pies_, &charts::TChartView::PointHovered, this,
          [this](int index) { ChartHover(Pies_, index); });
  on("actRotateLeft", &TForm1::RotateLeftExecute);
  on("actRotateRight", &TForm1::RotateRightExecute);
  // Enabled states follow the window's state whenever the event loop goes idle, and at once
  // after every command and at the end of a scan.
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
          &TForm1::UpdateActions);
}

void TForm1::UpdateActions() {
  const bool idle = !Scanner_->Running();
  Action("actRun")->setEnabled(idle);
  Action("actSortNow")->setEnabled(idle && CurrentFolder_ != nullptr);
  const bool paging = Bars_->Model().Bars.PointsPerPage > 0;
  for (const char* name : {"actPrint", "actSaveAsPicture", "actBarClbd", "actPieClbd"}) {
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
}

}  // namespace nubrix

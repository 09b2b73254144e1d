// The commands of the main window: actions from the command table, menus, enabled states.
#include <QAbstractEventDispatcher>
#include <QAction>
#include <QActionGroup>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

#include <set>

#include "app/CommandGuard.h"
#include "app/CommandTable.h"
#include "app/Icons.h"
#include "app/TForm1.h"
#include "charts/ChartView.h"

namespace nubrix {

namespace {

struct TIconSpec {
  const char* Action;
  const char* Theme;
  const char* Glyph;
};

constexpr TIconSpec kIcons[] = {
    {"actRun", "media-playback-start", "\u25B6"},   {"actToggleDirTree", "view-list-tree", "\u2630"},
    {"actLabels", "insert-text", "Ab"},             {"actshowLegend", "view-list-details", "\u2261"},
    {"actSortNow", "view-refresh", "\u21BB"},       {"actSortName", "view-sort-ascending", "AZ"},
    {"actSortSize", "view-sort-descending", "9\u2193"}, {"actFreeSpace", "drive-harddisk", "\u25A1"},
    {"actshowHints", "help-contextual", "?"},       {"actCleanIEHistory", "edit-clear-history", "H"},
    {"act3D", "", "3D"},                            {"actUpOneDir", "go-up", "\u2191"},
    {"actBack", "go-previous", "\u2190"},           {"actRotateLeft", "object-rotate-left", "\u21BA"},
    {"actRotateRight", "object-rotate-right", "\u21BB"}, {"actBarsUp", "", "\u25B2"},
    {"actBarsNormal", "", "l"},                     {"actBarsSpread", "", "\u2195"},
    {"actBarsDown", "", "\u25BC"},                  {"actExit", "application-exit", "\u2715"},
    {"actPrint", "document-print", "P"},            {"actSaveAsPicture", "document-save-as", "S"},
};

// The commands this window carries out now; the others wait for their pages and stay disabled.
const std::set<std::string_view> kBuiltCommands = {
    "actRun",        "actExit",   "actToggleDirTree", "actSortName", "actSortSize",   "actNoSort",
    "actSortNow",    "act3D",     "actLabels",        "actshowLegend", "actshowHints", "actExplode",
    "actElypticPie", "actFreeSpace", "actRotateLeft", "actRotateRight", "actFolderHistory",
    "actUpOneDir",   "actBack",   "actBarsUp",        "actBarsNormal", "actBarsSpread", "actBarsDown",
    "actPrint",      "actSaveAsPicture", "actBarClbd", "actPieClbd", "acthelp", "actHelpCnt", "actHelpIDX"};

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QIcon IconFor(const TCommandSpec& spec) {
  for (const TIconSpec& icon : kIcons) {
    if (spec.Name == icon.Action) return CommandIcon(QString::fromLatin1(icon.Theme), QString::fromUtf8(icon.Glyph));
  }
  QString caption = Text(spec.Caption).remove(u'&');
  return CommandIcon({}, caption.isEmpty() ? QStringLiteral("\u2022") : caption.left(1).toUpper(), 0x3E7FB0);
}

}  // namespace

QAction* TForm1::Action(const char* name) const {
  const auto it = Actions_.find(name);
  return it == Actions_.end() ? nullptr : it->second;
}

void TForm1::CreateActions() {
  for (const TCommandSpec& spec : CommandTable()) {
    auto* action = new QAction(IconFor(spec), Text(spec.Caption), this);
    action->setObjectName(Text(spec.Name));
    // No status tip: showing one would hide the status bar's panels.
    action->setToolTip(Text(spec.Hint));
    if (!spec.Shortcut.empty()) action->setShortcut(QKeySequence(Text(spec.Shortcut)));
    action->setCheckable(spec.Checkable);
    action->setEnabled(kBuiltCommands.count(spec.Name) != 0);
    Actions_.emplace(std::string(spec.Name), action);
    addAction(action);  // shortcuts work with the menus hidden too
  }
  Action("actUninstall")->setVisible(false);
  Action("actLabels")->setChecked(true);
  auto* rotateGroup = new QActionGroup(this);
  rotateGroup->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (const char* name : {"actRotateLeft", "actRotateRight"}) rotateGroup->addAction(Action(name));
}

void TForm1::BuildMenus() {
  std::map<std::string_view, QMenu*> menus;
  for (std::string_view title : kMenus) {
    QMenu* menu = menuBar()->addMenu(Text(title));
    menu->setSeparatorsCollapsible(false);
    menu->setToolTipsVisible(true);
    menus[title] = menu;
  }
  for (const TCommandSpec& spec : CommandTable()) {
    if (spec.Menu.empty()) continue;
    QMenu* menu = menus.at(spec.Menu);
    for (int i = 0; i < spec.SeparatorsBefore; ++i) menu->addSeparator();
    menu->addAction(Action(std::string(spec.Name).c_str()));
  }
  menus.at("&Help")->addSeparator();
}

// Qt copies the action's text and tool tip onto its buttons whenever the action changes (a
// check mark, an enabled state), and only then emits changed(): putting the button's own texts
// back from that signal keeps them through every change.
void KeepButtonTexts(QToolButton* button, QAction* action, const QString& caption, const QString& hint) {
  if (caption.isEmpty() && hint.isEmpty()) return;
  const auto apply = [button, caption, hint] {
    if (!caption.isEmpty()) button->setText(caption);
    if (!hint.isEmpty()) button->setToolTip(hint);
  };
  apply();
  QObject::connect(action, &QAction::changed, button, apply);
}

QToolButton* TForm1::AddCommandButton(QToolBar* bar, const char* action, const QString& hint, const QString& caption) {
  bar->addAction(Action(action));
  auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(Action(action)));
  if (button != nullptr) KeepButtonTexts(button, Action(action), caption, hint);
  return button;
}

void TForm1::Guarded(const std::function<void()>& command) {
  RunGuarded(*Dialogs_, this, command);
  UpdateActions();
}

void TForm1::ConnectCommands() {
  auto on = [this](const char* name, auto handler) {
    connect(Action(name), &QAction::triggered, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
  };
  on("actRun", &TForm1::actRunExecute);
  on("actToggleDirTree", &TForm1::actToggleDirTree);
  on("actSortNow", &TForm1::actSortNowExecute);
  connect(Action("actExit"), &QAction::triggered, this, &QWidget::close);
  connect(Action("actSortName"), &QAction::triggered, this, [this] { Guarded([this] { SetSortMode(TSortMode::ByName); }); });
  connect(Action("actSortSize"), &QAction::triggered, this, [this] { Guarded([this] { SetSortMode(TSortMode::BySize); }); });
  connect(Action("actNoSort"), &QAction::triggered, this, [this] { Guarded([this] { SetSortMode(TSortMode::None); }); });
  // Toggles: the action has turned its check mark; the setter applies the new state.
  const std::pair<const char*, void (TForm1::*)(bool)> toggles[] = {
      {"act3D", &TForm1::SetChart3D},           {"actLabels", &TForm1::SetChartLabels},
      {"actshowLegend", &TForm1::SetChartLegend}, {"actshowHints", &TForm1::SetChartHints},
      {"actExplode", &TForm1::SetExplodeBiggest}, {"actElypticPie", &TForm1::SetEllipticPie},
      {"actFolderHistory", &TForm1::ShowHistory}};
  for (const auto& [name, setter] : toggles) {
    QAction* action = Action(name);
    connect(action, &QAction::triggered, this, [this, action, setter = setter] {
      Guarded([&] { (this->*setter)(action->isChecked()); });
    });
  }
  on("actPrint", &TForm1::actPrintExecute);
  connect(Action("acthelp"), &QAction::triggered, this, [this] { Guarded([this] { ShowHelp(0); }); });
  connect(Action("actHelpCnt"), &QAction::triggered, this, [this] { Guarded([this] { ShowHelp(0); }); });
  connect(Action("actHelpIDX"), &QAction::triggered, this, [this] { Guarded([this] { ShowHelp(1); }); });
  on("actSaveAsPicture", &TForm1::actSaveAsPictureExecute);
  connect(Action("actBarClbd"), &QAction::triggered, this, [this] { Guarded([this] { CopyChart(*Bars_); }); });
  connect(Action("actPieClbd"), &QAction::triggered, this, [this] { Guarded([this] { CopyChart(*Pies_); }); });
  on("actUpOneDir", &TForm1::GoToParentFolder);
  on("actBack", &TForm1::GoBack);
  on("actBarsSpread", &TForm1::actBarsSpreadExecute);
  on("actBarsNormal", &TForm1::actBarsNormalExecute);
  connect(Action("actBarsUp"), &QAction::triggered, this, [this] { Guarded([this] { ShiftBars(+1); }); });
  connect(Action("actBarsDown"), &QAction::triggered, this, [this] { Guarded([this] { ShiftBars(-1); }); });
  connect(Bars_, &charts::TChartView::PointClicked, this, [this](int index, Qt::MouseButton button) {
    Guarded([&] { BarsClickSeries(index, button); });
  });
  connect(Pies_, &charts::TChartView::PointClicked, this, [this](int index, Qt::MouseButton button) {
    Guarded([&] { PiesClickSeries(index, button); });
  });
  connect(Bars_, &charts::TChartView::PointHovered, this, [this](int index) { ChartHover(Bars_, index); });
  connect(Pies_, &charts::TChartView::PointHovered, this, [this](int index) { ChartHover(Pies_, index); });
  on("actRotateLeft", &TForm1::RotateLeftExecute);
  on("actRotateRight", &TForm1::RotateRightExecute);
  // Enabled states follow the window's state whenever the event loop goes idle, and at once
  // after every command and at the end of a scan.
  connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this, &TForm1::UpdateActions);
}

void TForm1::UpdateActions() {
  const bool idle = !Scanner_->Running();
  Action("actRun")->setEnabled(idle);
  Action("actSortNow")->setEnabled(idle && CurrentFolder_ != nullptr);
  const bool paging = Bars_->Model().Bars.PointsPerPage > 0;
  for (const char* name : {"actPrint", "actSaveAsPicture", "actBarClbd", "actPieClbd"}) {
    Action(name)->setEnabled(CurrentFolder_ != nullptr);
  }
  Action("actUpOneDir")->setEnabled(idle && CurrentFolder_ != nullptr && CurrentFolder_->Parent() != &Tree_->TopFolder());
  Action("actBack")->setEnabled(idle && !BackList_.empty());
  Action("actBarsSpread")->setEnabled(!paging);
  for (const char* name : {"actBarsUp", "actBarsNormal", "actBarsDown"}) Action(name)->setEnabled(paging);
  // Disabling the rotation leaves a turning pie turning.
  Action("actRotateLeft")->setEnabled(CurrentFolder_ != nullptr);
  Action("actRotateRight")->setEnabled(CurrentFolder_ != nullptr);
}

}  // namespace nubrix

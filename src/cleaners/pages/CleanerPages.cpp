#include "cleaners/pages/CleanerPages.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Commands.h"
#include "app/PageHost.h"
#include "app/ToolBars.h"
#include "app/UserDialogs.h"
#include "registry/RegEditorU.h"

namespace nubrix {

namespace {

constexpr TCommandSpec kTracesCommands[] = {
    {"actClearIECache", "Delete IE cache", "", "Delete internet explorer cache", "", 0, false,
     false, "", ""},
    {"actClearURL", "Clean last used URLs", "", "Clean up last used URLs of internet explorer", "",
     0, false, false, "", ""},
    {"actClearDocs", "Clear document history", "", "", "", 0, false, false, "", ""},
    {"actClearMedia", "Clear media player history", "", "Clear media player history", "", 0, false,
     false, "", ""},
    {"actRecycleBin", "Empty recycle bin", "", "Empty recycle bin", "", 0, false, false, "", ""},
    {"actDefrag2", "Windows defrag", "", "", "", 0, false, false, "", ""},
    {"actHDCleanup", "Windows HD cleanup", "", "Start windows hard disk clean up", "", 0, false,
     false, "", ""},
    {"actUninstall", "Open uninstall service", "", "Open uninstall service", "", 0, false, false,
     "", ""},
    {"actEditURLHistory", "Edit URL History", "", "Edit the typed addresses in the registry", "", 0,
     false, true, "document-edit", "U"},
    {"actEditAutoStart", "Edit Auto Start List", "", "Edit the programs started with Windows", "",
     0, false, true, "document-edit", "A"},
    {"actEditMediaHistory", "Edit Media Player History", "",
     "Edit the media player's recent files in the registry", "", 0, false, true, "document-edit",
     "M"},
};

QGroupBox* AddGroup(QHBoxLayout* row, const QString& caption) {
  auto* box = new QGroupBox(caption);
  row->addWidget(box, 1);
  return box;
}

}  // namespace

std::span<const TCommandSpec> TTracesPage::Commands() { return kTracesCommands; }

TTracesPage::TTracesPage(TCommands& commands, IPageHost& host, QWidget* parent)
    : QWidget(parent), Host_(host) {
  commands.Register(Commands());
  commands.Find("actUninstall")->setVisible(false);
  auto* column = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  column->addLayout(row, 3);
  BuildTracesGroup(row, commands);
  auto* editRow = new QHBoxLayout;
  column->addLayout(editRow, 1);
  BuildEditGroup(editRow, commands);
}

TTracesPage::~TTracesPage() = default;

void TTracesPage::BuildTracesGroup(QHBoxLayout* row, TCommands& commands) {
  QGroupBox* box =
      AddGroup(row, QStringLiteral("Clean up internet traces and start windows services "));
  auto* grid = new QGridLayout(box);
  const char* cells[3][3] = {{"actClearIECache", "actCleanIEHistory", "actClearDocs"},
                             {"actClearMedia", "actClearURL", "actDefrag2"},
                             {"actUninstall", "actRecycleBin", "actHDCleanup"}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      QAction* action = commands.Find(cells[r][c]);
      auto* button = new QToolButton;
      button->setDefaultAction(action);
      button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
      button->setIconSize(QSize(32, 32));
      button->setAutoRaise(true);
      if (std::string_view(cells[r][c]) == "actClearURL") {
        KeepButtonTexts(button, action, QStringLiteral("Clean typed URLs"), {});
      }
      grid->addWidget(button, r, c);
    }
  }
}

// The registry lists the traces come from, each in its editor.
void TTracesPage::BuildEditGroup(QHBoxLayout* row, TCommands& commands) {
  QGroupBox* box = AddGroup(row, QStringLiteral("Edit lists"));
  auto* buttons = new QHBoxLayout(box);
  const std::pair<const char*, void (TTracesPage::*)()> openers[] = {
      {"actEditURLHistory", &TTracesPage::SpeedButton7Click},
      {"actEditAutoStart", &TTracesPage::SpeedButton25Click},
      {"actEditMediaHistory", &TTracesPage::SpeedButton8Click}};
  for (const auto& [name, opener] : openers) {
    QAction* action = commands.Find(name);
    connect(action, &QAction::triggered, this,
            [this, opener = opener] { Host_.RunCommand([this, opener] { (this->*opener)(); }); });
    auto* button = new QToolButton;
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setIconSize(QSize(22, 22));
    button->setAutoRaise(true);
    buttons->addWidget(button);
  }
  buttons->addStretch(1);
}

void TTracesPage::SetRegistry(std::unique_ptr<platform::IRegistryStore> registry) {
  Registry_ = std::move(registry);
}

platform::IRegistryStore& TTracesPage::Registry() {
  if (!Registry_) {
    Registry_ = std::make_unique<platform::TWineRegistry>(platform::TWineRegistry::DefaultPrefix());
  }
  return *Registry_;
}

void TTracesPage::SpeedButton7Click() { OpenListEditor(registry::TRegList::TypedUrls); }
void TTracesPage::SpeedButton25Click() { OpenListEditor(registry::TRegList::AutoStart); }
void TTracesPage::SpeedButton8Click() { OpenListEditor(registry::TRegList::MediaHistory); }

void TTracesPage::OpenListEditor(registry::TRegList list) {
  std::unique_ptr<registry::TRegEditorForm> editor(registry::CreateListEditor(
      list, Registry(), Host_.Dialogs(), Host_.AppDataFolder(), window()));
  editor->exec();
}

}  // namespace nubrix

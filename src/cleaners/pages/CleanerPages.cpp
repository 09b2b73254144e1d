#include "cleaners/pages/CleanerPages.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Commands.h"
#include "app/ToolBars.h"

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
};

QGroupBox* AddGroup(QHBoxLayout* row, const QString& caption) {
  auto* box = new QGroupBox(caption);
  row->addWidget(box, 1);
  return box;
}

}  // namespace

std::span<const TCommandSpec> TTracesPage::Commands() { return kTracesCommands; }

TTracesPage::TTracesPage(TCommands& commands, QWidget* parent) : QWidget(parent) {
  commands.Register(Commands());
  commands.Find("actUninstall")->setVisible(false);
  auto* row = new QHBoxLayout(this);
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

}  // namespace nubrix

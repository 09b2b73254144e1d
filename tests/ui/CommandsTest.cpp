// Commands as table rows: one action each, looked up by name, a typo caught at once.
#include <gtest/gtest.h>

#include <QAction>
#include <QWidget>

#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "cleaners/pages/CleanerPages.h"
#include "cleaners/pages/ShortcutPage.h"
#include "ui/CommandTable.h"
#include "ui/Commands.h"
#include "ui/Icons.h"

namespace nubrix {
namespace {

constexpr TCommandSpec kTable[] = {
    {"actOne", "&One", "Ctrl+1", "The first", "", 0, true, true, "nubrix-3d"},
    {"actTwo", "T&wo", "", "", "", 0, false, false, "no-such-picture-anywhere"},
};

TEST(CommandsTest, EveryRowBecomesAnActionAndUnknownNamesThrow) {
  QWidget owner;
  TCommands commands(&owner);
  commands.Register(kTable);
  QAction* one = commands.Find("actOne");
  EXPECT_EQ(one->text(), QStringLiteral("&One"));
  EXPECT_EQ(one->toolTip(), QStringLiteral("The first"));
  EXPECT_TRUE(one->statusTip().isEmpty()) << "a status tip would hide the status panels";
  EXPECT_EQ(one->shortcut(), QKeySequence(QStringLiteral("Ctrl+1")));
  EXPECT_TRUE(one->isCheckable());
  EXPECT_TRUE(one->isEnabled());
  EXPECT_FALSE(one->icon().isNull());
  EXPECT_FALSE(commands.Find("actTwo")->isEnabled()) << "not built yet";
  EXPECT_TRUE(owner.actions().contains(one)) << "its shortcut works without a menu";
  EXPECT_EQ(commands.Spec("actTwo").Caption, "T&wo");
  EXPECT_THROW(commands.Find("actOnee"), TUnknownCommand);
  EXPECT_THROW(commands.Register(kTable), std::logic_error) << "a name registered twice";
}

TEST(CommandsTest, PagesRegisterTheirOwnCommands) {
  test::TWindowFixture window;
  std::unique_ptr<TForm1> form = window.Start();
  for (const TCommandSpec& spec : TTracesPage::Commands()) {
    if (spec.Name == "actUninstall") continue;  // hidden actions are never enabled
    EXPECT_TRUE(form->Action(spec.Name)->isEnabled()) << spec.Name;
  }
  EXPECT_TRUE(form->Action("actEditURLHistory")->isEnabled());
  for (const TCommandSpec& spec : TShortcutPage::Commands()) {
    EXPECT_TRUE(form->Action(spec.Name)->isEnabled()) << spec.Name;
  }
  EXPECT_FALSE(form->Action("actUninstall")->isVisible());
  EXPECT_THROW(form->Action("actListShortcut"), TUnknownCommand);
}

TEST(CommandsTest, EveryCommandHasAPictureOfOurOwn) {
  for (const auto& table : {CommandTable(), TTracesPage::Commands(), TShortcutPage::Commands()}) {
    for (const TCommandSpec& spec : table) {
      EXPECT_TRUE(HasOwnPicture(
          QString::fromUtf8(spec.Theme.data(), static_cast<qsizetype>(spec.Theme.size()))))
          << spec.Name << ": " << spec.Theme;
    }
  }
  // The window with every page asks for nothing else.
  test::TWindowFixture window;
  std::unique_ptr<TForm1> form = window.Start();
  QStringList missing = MissingPictures();
  missing.removeAll(QStringLiteral("no-such-picture-anywhere"));
  EXPECT_TRUE(missing.isEmpty()) << missing.join(u' ').toStdString();
  EXPECT_FALSE(HasOwnPicture(QStringLiteral("no-such-picture-anywhere")));
  EXPECT_FALSE(CommandIcon(QStringLiteral("no-such-picture-anywhere")).isNull())
      << "a plain picture rather than none";
}

}  // namespace
}  // namespace nubrix

// The traces page's openers of the registry list editors, through the window.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QRegularExpression>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "cleaners/BrowserFixtures.h"
#include "cleaners/IE_Cache_Hist.h"
#include "cleaners/pages/CleanerPages.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "registry/RegEditorU.h"
#include "support/LockHolder.h"

namespace nubrix {
namespace {

TEST(TracesPageTest, EachOpenerShowsItsListModally) {
  test::TWindowFixture window;
  std::unique_ptr<TForm1> form = window.Start();
  auto store = std::make_unique<platform::TMemoryRegistry>();
  store->SetHive(platform::kHkeyLocalMachine,
                 "WINE REGISTRY Version 2\n[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\"
                 "Run] 1\n\"Tray\"=\"tray.exe\"\n\"Mixer\"=\"mixer.exe\"\n");
  form->Pages().Traces->SetRegistry(std::move(store));

  QString title;
  int rows = -1;
  std::string backupPath;
  QTimer::singleShot(0, [&] {
    auto* editor = qobject_cast<registry::TRegEditorForm*>(QApplication::activeModalWidget());
    ASSERT_NE(editor, nullptr);
    title = editor->windowTitle();
    rows = editor->ListView1->topLevelItemCount();
    backupPath = editor->BackupPath();
    editor->reject();
  });
  form->Action("actEditAutoStart")->trigger();
  EXPECT_EQ(title, "Edit Auto Start List");
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(backupPath, window.Settings / "AppData/AutostartA")
      << "backups beside the settings file";
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "closed and gone";
  EXPECT_TRUE(window.Dialogs.Errors.isEmpty());
}

// A window whose traces page works on a home, a registry and a trash of the test's own.
class TracesPageJobsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form_ = window_.Start();
    page_ = form_->Pages().Traces;
    TTraceEnvironment environment;
    environment.Homes = test::MakeBrowserHome(home_);
    home_.Add("data/\nkde/\nvlc/");
    environment.DataHome = home_ / "data";
    environment.KdeRecent = home_ / "kde";
    environment.VlcConfig = home_ / "vlc/vlc-qt-interface.conf";
    environment.Trash =
        std::vector<platform::TTrashFolder>{{home_ / "trash-top", platform::TTrashKind::Home}};
    page_->SetEnvironment(environment);
    auto store = std::make_unique<platform::TMemoryRegistry>();
    store->SetHive(platform::kHkeyCurrentUser,
                   "WINE REGISTRY Version 2\n[Software\\\\Microsoft\\\\Internet Explorer\\\\"
                   "TypedURLs] 1\n\"url1\"=\"a\"\n\"url2\"=\"b\"\n[Software\\\\Microsoft\\\\"
                   "MediaPlayer\\\\Player\\\\RecentFileList] 1\n\"File0\"=\"x\"\n");
    store_ = store.get();
    page_->SetRegistry(std::move(store));
    form_->ShowPage(TPage::Traces);
  }
  QString Preview(const char* command) {
    auto* label = page_->findChild<QLabel*>(QStringLiteral("Preview_") + command);
    EXPECT_NE(label, nullptr) << command;
    return label != nullptr ? label->text() : QString();
  }
  void WaitForJobs() {
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Preview("actRecycleBin").isEmpty(); }, 20000));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return form_->Action("actEditURLHistory")->isEnabled(); }, 20000));
  }
  void Run(const char* command) {
    form_->Action(command)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page_->Busy(); }, 20000));
  }
  int Values(std::string_view key) {
    platform::TRegistry registry(*store_);
    return registry.OpenKey(key) ? static_cast<int>(registry.GetValueNames().size()) : -1;
  }

  test::TWindowFixture window_;
  test::TTempTree home_;
  std::unique_ptr<TForm1> form_;
  TTracesPage* page_ = nullptr;
  platform::TMemoryRegistry* store_ = nullptr;
};

TEST_F(TracesPageJobsTest, EachCommandShowsWhatItWouldClearAndAfterwardsWhatIsLeft) {
  WaitForJobs();
  EXPECT_EQ(Preview("actClearIECache"), QStringLiteral("6 files, 0.0 MB"));
  EXPECT_EQ(Preview("actCleanIEHistory"), QStringLiteral("7 visits in 2 profiles"));
  EXPECT_EQ(Preview("actClearURL"), QStringLiteral("4 addresses, 2 registry values"));
  EXPECT_EQ(Preview("actClearMedia"), QStringLiteral("0 files, 1 registry value"));
  EXPECT_EQ(Preview("actRecycleBin"), QStringLiteral("0 items, 0.0 MB"));
  Run("actClearURL");
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return Preview("actClearURL") == QStringLiteral("0 addresses, 0 registry values"); },
      20000));
}

TEST_F(TracesPageJobsTest, NineButtonsOfOneSizeAndTheUninstallButtonFollowsItsCommand) {
  const QList<QToolButton*> buttons =
      page_->findChild<QWidget*>(QStringLiteral("GroupBox5"))
          ->findChildren<QToolButton*>(QRegularExpression(QStringLiteral("^Button_")));
  ASSERT_EQ(buttons.size(), 9);
  for (const QToolButton* button : buttons) EXPECT_EQ(button->size(), QSize(115, 99));
  auto* uninstall = page_->findChild<QToolButton*>(QStringLiteral("Button_actUninstall"));
  EXPECT_FALSE(uninstall->isVisibleTo(page_)) << "the command is created not visible";
  form_->Action("actUninstall")->setVisible(true);
  EXPECT_TRUE(uninstall->isVisibleTo(page_));
}

TEST_F(TracesPageJobsTest, ClearingCommandsRunAsJobs) {
  Run("actClearIECache");
  EXPECT_EQ(
      TIEStuff(platform::FindBrowserProfiles({home_.Root(), home_ / ".config", home_ / ".cache"}))
          .Preview()[0]
          .CacheFiles,
      0);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the busy cursor is gone";

  Run("actCleanIEHistory");
  EXPECT_TRUE(test::Rows(test::FirefoxPlaces(home_), "SELECT * FROM moz_historyvisits").empty());
  EXPECT_EQ(test::Rows(test::FirefoxPlaces(home_), "SELECT COUNT(*) FROM moz_bookmarks"),
            std::vector<std::string>{"3"});

  Run("actClearURL");
  EXPECT_EQ(Values("Software\\Microsoft\\Internet Explorer\\TypedURLs"), 0) << "the key stays";
  Run("actClearMedia");
  EXPECT_EQ(Values("Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList"), 0);

  test::WriteFile(home_ / "kde/a.desktop", "[Desktop Entry]\n");
  Run("actClearDocs");
  EXPECT_FALSE(platform::Exists(home_ / "kde/a.desktop"));
  EXPECT_TRUE(window_.Dialogs.Errors.isEmpty()) << window_.Dialogs.Errors.join("\n").toStdString();
}

TEST_F(TracesPageJobsTest, ARunningBrowserIsReportedAfterTheBusyCursorGoes) {
  auto firefox = std::make_unique<test::TLockHolder>(
      home_ / ".mozilla/firefox/abc.default-release/.parentlock");
  // The history command of the main tool bar works from any page.
  form_->ShowPage(TPage::Bars);
  QToolButton* button = nullptr;
  for (QToolButton* candidate : form_->findChildren<QToolButton*>()) {
    if (candidate->defaultAction() == form_->Action("actCleanIEHistory") &&
        candidate->parentWidget()->objectName() == "ToolBar1") {
      button = candidate;
    }
  }
  ASSERT_NE(button, nullptr) << "the history button of the main tool bar";
  button->click();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !page_->Busy(); }, 20000));
  firefox.reset();
  ASSERT_EQ(window_.Dialogs.Errors.size(), 1);
  EXPECT_EQ(window_.Dialogs.Errors[0],
            "Firefox is running: close it to clear its history (profile default-release)");
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(test::Rows(test::FirefoxPlaces(home_), "SELECT COUNT(*) FROM moz_historyvisits"),
            std::vector<std::string>{"5"});
}

TEST_F(TracesPageJobsTest, EmptyingTheTrashAsksFirstAndTouchesOnlyTheTrashGiven) {
  home_.Add("trash-top/Trash/files/old=10\ntrash-top/Trash/info/old.trashinfo=0");
  ::chmod((home_ / "trash-top/Trash").c_str(), 0700);
  Run("actRecycleBin");  // no answer given: No
  ASSERT_EQ(window_.Dialogs.Questions.size(), 1);
  EXPECT_EQ(window_.Dialogs.Questions[0].toStdString(),
            "Delete 1 item (0.000 MB) in the trash for good? Undo cannot bring them back.");
  EXPECT_TRUE(platform::Exists(home_ / "trash-top/Trash/files/old"));
  window_.Dialogs.Answers.push_back(true);
  Run("actRecycleBin");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !page_->Busy(); }, 20000));
  EXPECT_FALSE(platform::Exists(home_ / "trash-top/Trash/files/old"));
  EXPECT_TRUE(window_.Dialogs.Errors.isEmpty()) << window_.Dialogs.Errors.join("\n").toStdString();
}

}  // namespace
}  // namespace nubrix

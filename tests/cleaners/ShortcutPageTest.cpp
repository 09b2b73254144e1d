// The shortcut page, the folder picker and the folder menu through the window, on real files in
// a home of the test's own (its start menu, its trash) and with scripted answers.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>
#include <fstream>

#include "app/CleanupUndo.h"
#include "app/FolderOperations.h"
#include "app/FolderTreeModel.h"
#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "charts/ChartView.h"
#include "cleaners/models/ShortcutRowsModel.h"
#include "cleaners/pages/ShortcutPage.h"
#include "programdb/RunLog.h"
#include "support/TempTree.h"
#include "ui/ScriptedDialogs.h"

namespace nubrix {

extern std::string gHome;  // the test's home, set by main before Qt and GLib start

namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

std::string StartMenu() { return gHome + "/.local/share/applications"; }
std::string TrashFiles() { return gHome + "/.local/share/Trash/files"; }

void WriteEntry(const std::string& path, const std::string& exec) {
  std::ofstream(path) << "[Desktop Entry]\nType=Application\nName=x\nExec=" << exec << "\n";
}

class ShortcutPageTest : public testing::Test {
 protected:
  void SetUp() override {
    test::RemoveTree(StartMenu());
    mkdir(StartMenu().c_str(), 0755);
    form_ = window_.Start();
    page_ = form_->Pages().Shortcuts;
    form_->ShowPage(TPage::Shortcuts);
  }
  // Runs a command of the page and waits for its job.
  void Run(const char* command) {
    form_->Action(command)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !page_->Busy(); }, 20000));
  }
  void Browse(const std::string& folder) {
    dialogs_.FolderAnswers.push_back(folder);
    page_->StartMenuComboChange(kBrowse);
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const TShortcutRow& row : page_->Rows().Rows()) captions.push_back(row.Caption);
    std::sort(captions.begin(), captions.end());
    return captions;
  }

  test::TWindowFixture window_;
  test::TScriptedDialogs& dialogs_ = window_.Dialogs;
  std::unique_ptr<TForm1> form_;
  TShortcutPage* page_ = nullptr;
};

TEST_F(ShortcutPageTest, ListsTheUserStartMenuAndTrashesTheBrokenLaunchers) {
  WriteEntry(StartMenu() + "/good.desktop", "sh");
  WriteEntry(StartMenu() + "/broken.desktop", "no-such-program-anywhere");
  mkdir((StartMenu() + "/sub").c_str(), 0755);
  WriteEntry(StartMenu() + "/sub/gone.desktop", "/opt/gone/bin/app");
  EXPECT_EQ(page_->LocationBox()->currentIndex(), kUserStartMenu)
      << "the box starts at the user's start menu";
  EXPECT_TRUE(page_->LocationBox()->isEnabled());
  Run("actListShortcuts");
  EXPECT_EQ(Captions(),
            (std::vector<std::string>{"broken.desktop", "gone.desktop", "good.desktop"}));
  for (const TShortcutRow& row : page_->Rows().Rows()) {
    EXPECT_EQ(row.Checked, row.Caption != "good.desktop") << row.Caption << " " << row.Condition;
  }
  EXPECT_EQ(form_->StatusText(1).toStdString(), StartMenu());
  EXPECT_TRUE(dialogs_.Messages.isEmpty());
  Run("actDelCheckedItems");  // asked, and No is the answer without a script
  EXPECT_EQ(dialogs_.Questions, QStringList{"Move the 2 checked item(s) to the trash?"});
  EXPECT_TRUE(Exists(StartMenu() + "/broken.desktop"));
  dialogs_.Answers.push_back(true);
  Run("actDelCheckedItems");
  EXPECT_EQ(Captions(), std::vector<std::string>{"good.desktop"});
  EXPECT_TRUE(Exists(StartMenu() + "/good.desktop"));
  EXPECT_FALSE(Exists(StartMenu() + "/broken.desktop"));
  EXPECT_TRUE(Exists(TrashFiles() + "/broken.desktop")) << "to the trash, never deleted";
  EXPECT_TRUE(Exists(TrashFiles() + "/gone.desktop"));
  EXPECT_TRUE(dialogs_.Messages.isEmpty()) << dialogs_.Messages.join('|').toStdString();
}

TEST_F(ShortcutPageTest, NothingFoundNothingInTheListNothingChecked) {
  test::TTempTree empty("plain.txt=3");
  Browse(empty.Root());
  Run("actListShortcuts");
  EXPECT_EQ(dialogs_.Messages, QStringList{QString::fromStdString("No broken shortcut in " +
                                                                  empty.Root() + " found")});
  dialogs_.Messages.clear();
  Run("actDelCheckedItems");
  EXPECT_EQ(dialogs_.Messages, QStringList{QStringLiteral("No items in list")});
  dialogs_.Messages.clear();
  WriteEntry(empty / "fine.desktop", "sh");
  Run("actListShortcuts");
  Run("actDelCheckedItems");
  EXPECT_TRUE(dialogs_.Messages.isEmpty()) << "rows but none checked: nothing happens";
  EXPECT_TRUE(Exists(empty / "fine.desktop"));
}

TEST_F(ShortcutPageTest, EmptyFoldersAreListedCheckedAndRemovedOnlyOnYes) {
  test::TTempTree disk("A/B/C/\nD/\nfull/f=1");
  Browse(disk.Root());
  Run("actListEmptyFolders");
  EXPECT_EQ(Captions(), (std::vector<std::string>{"C", "D"}));
  for (const TShortcutRow& row : page_->Rows().Rows()) EXPECT_TRUE(row.Checked);
  dialogs_.Answers = {false};
  Run("actDelEmptyFolders");
  EXPECT_EQ(page_->Rows().rowCount(), 0) << "the list stays empty whatever the answer";
  EXPECT_TRUE(Exists(disk / "A/B/C"));
  dialogs_.Answers = {true};
  Run("actDelEmptyFolders");
  EXPECT_FALSE(Exists(disk / "A")) << "C, then B, then A";
  EXPECT_FALSE(Exists(disk / "D"));
  EXPECT_TRUE(Exists(disk / "full/f"));
  EXPECT_EQ(form_->StatusText(1), QStringLiteral("4 item(s) moved to the trash"));
  const std::optional<TRun> run = TRunLog(ProgramDatabaseFile(form_->AppDataFolder())).LastRun();
  ASSERT_TRUE(run);
  EXPECT_EQ(run->Summary.Command, "Delete empty folders");
  EXPECT_EQ(run->Items.size(), 4U);
}

TEST_F(ShortcutPageTest, BrowsingChoosesAFolderAndCancellingSelectsTheCommonStartMenu) {
  test::TTempTree disk("chosen/");
  Browse(disk / "chosen");
  EXPECT_EQ(
      dialogs_.FolderTitles,
      QStringList{QStringLiteral("Select Directory where Nubrix starts looking for shortcuts!")});
  EXPECT_EQ(dialogs_.FolderPreselections, std::vector<std::string>{"/"});
  EXPECT_EQ(page_->LocationBox()->currentIndex(), kBrowse);
  EXPECT_EQ(page_->LocationBox()->itemText(kBrowse).toStdString(), disk / "chosen");
  EXPECT_EQ(form_->HistoryCombo()->currentText().toStdString(), disk / "chosen");
  EXPECT_EQ(page_->GetShortcutLocation().Folders, std::vector<std::string>{disk / "chosen"});
  Browse("");  // cancelled
  EXPECT_EQ(page_->LocationBox()->currentIndex(), kCommonStartMenu);
  Browse(disk / "not-there");
  EXPECT_EQ(page_->LocationBox()->currentIndex(), kCommonStartMenu);
  page_->StartMenuComboChange(kTypedLocation);
  EXPECT_EQ(page_->LocationBox()->currentIndex(), kCommonStartMenu);
}

TEST_F(ShortcutPageTest, TheCurrentFolderNeedsASelectedFolder) {
  form_->ShowSelectedPath("/no/such/folder");
  ASSERT_TRUE(form_->SelectedPath().empty());
  page_->LocationBox()->setCurrentIndex(kCurrentFolder);
  Run("actListShortcuts");
  EXPECT_EQ(dialogs_.Messages, (QStringList{QStringLiteral("No folder selected"),
                                            QStringLiteral("No broken shortcut in  found")}));
  ASSERT_TRUE(form_->ShowSelectedPath("/"));
  dialogs_.Messages.clear();
  Run("actDelEmptyFolders");
  EXPECT_TRUE(dialogs_.Questions.isEmpty()) << "refused before anything is asked";
  EXPECT_EQ(
      dialogs_.Messages,
      QStringList{QStringLiteral(
          "Empty folders are not looked for below the root folder /: choose a folder below it.")});
}

TEST_F(ShortcutPageTest, WhatCannotGoToTheTrashStaysCheckedAndIsNamed) {
  if (!test::CanMount()) GTEST_SKIP() << "mounting needs privileges";
  test::TTempTree disk("t/");
  ASSERT_EQ(mount("nubrix-page", (disk / "t").c_str(), "tmpfs", 0, "size=64k"), 0);
  mkdir((disk / "t/old").c_str(), 0755);
  Browse(disk / "t");
  Run("actListEmptyFolders");
  dialogs_.Answers.push_back(true);
  Run("actDelCheckedItems");
  const bool stayed = Exists(disk / "t/old");
  umount2((disk / "t").c_str(), MNT_DETACH);
  EXPECT_TRUE(stayed);
  ASSERT_EQ(page_->Rows().rowCount(), 1);
  EXPECT_TRUE(page_->Rows().Row(0).Checked);
  ASSERT_EQ(dialogs_.Messages.size(), 1);
  EXPECT_TRUE(dialogs_.Messages.front().startsWith(
      QString::fromStdString("These items stayed where they were:\r\n" + (disk / "t/old") + ": ")))
      << dialogs_.Messages.front().toStdString();
}

TEST_F(ShortcutPageTest, TheFolderPickerSetsTheFolderForTheNextScan) {
  test::TTempTree disk("next/");
  dialogs_.FolderAnswers = {disk / "next", ""};
  form_->Action("actBrowseDir")->trigger();
  EXPECT_EQ(form_->SelectedPath(), disk / "next/");
  EXPECT_EQ(dialogs_.FolderTitles.front(), QStringLiteral("Select Directory to scan!"));
  EXPECT_EQ(dialogs_.FolderPreselections.front(), "/");
  form_->Action("actBrowseDir")->trigger();  // cancelled
  EXPECT_EQ(form_->SelectedPath(), disk / "next/");
  EXPECT_EQ(dialogs_.FolderPreselections.back(), "/") << "the same preselection every time";
}

TEST_F(ShortcutPageTest, YesToTheNewScanScansTheFolderItNames) {
  test::TTempTree disk("A/f=10\nB/g=10");
  ASSERT_TRUE(form_->ShowSelectedPath(disk.Root()));
  QSignalSpy finished(form_.get(), &TForm1::ScanFinished);
  form_->Action("actRun")->trigger();
  ASSERT_TRUE(finished.wait(20000));
  ASSERT_TRUE(form_->ShowSelectedPath(disk / "A"));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return form_->DirModel()->PathOf(form_->DirTree()->currentIndex()) == disk / "A"; },
      10000));
  dialogs_.Answers = {true, true};
  // While the question waits, A's row leaves the tree and the highlight moves on.
  bool moved = false;
  dialogs_.WhileAsking = [&](const QString& question) {
    if (!question.startsWith(QStringLiteral("You changed"))) return;
    moved = QTest::qWaitFor([&] { return form_->SelectedPath() != disk / "A/"; }, 3000);
  };
  form_->Folders()->MnuDeleteFolderClick(disk / "A");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form_->Folders()->Busy(); }, 20000));
  dialogs_.WhileAsking = nullptr;
  ASSERT_TRUE(moved) << "the highlight left the moved folder's row";
  ASSERT_TRUE(finished.count() > 1 || finished.wait(20000));
  EXPECT_EQ(form_->CurrentFolder()->Path(), disk.ScanPath());
}

TEST_F(ShortcutPageTest, DeleteFolderAsksThenOffersANewScanAndNoKeepsTheCharts) {
  test::TTempTree disk("A/f=1048576\nB/g=10");
  ASSERT_TRUE(form_->ShowSelectedPath(disk.Root()));
  QSignalSpy finished(form_.get(), &TForm1::ScanFinished);
  form_->Action("actRun")->trigger();
  ASSERT_TRUE(finished.wait(20000));
  const TSizeFolder* shown = form_->CurrentFolder();
  const int points = form_->Bars()->Model().Series.Count();
  dialogs_.Answers = {true, false};
  form_->Folders()->MnuDeleteFolderClick(disk / "A");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form_->Folders()->Busy(); }, 20000));
  EXPECT_FALSE(Exists(disk / "A"));
  EXPECT_TRUE(Exists(TrashFiles() + "/A"));
  ASSERT_EQ(dialogs_.Questions.size(), 2);
  EXPECT_EQ(dialogs_.Asked[0],
            (test::TQuestion{TQuestionKind::Confirmation, TAnswerButtons::YesNo,
                             QString::fromStdString("Move " + (disk / "A") + " to the trash?")}));
  EXPECT_EQ(dialogs_.Asked[1].Kind, TQuestionKind::Warning) << "the new scan";
  EXPECT_EQ(dialogs_.Asked[1].Buttons, TAnswerButtons::YesNo);
  EXPECT_EQ(dialogs_.Questions[1].toStdString(),
            "You changed the folder structure.\r\nTo consider correct results while browsing "
            "through the size "
            "tree, \r\nyou have to run \"scan\" again.\r\nRun scan for " +
                disk.ScanPath() + " ?");
  EXPECT_EQ(form_->CurrentFolder(), shown) << "No: the charts stay as they were";
  EXPECT_EQ(form_->Bars()->Model().Series.Count(), points);
  // Refused before anything is asked.
  dialogs_.Questions.clear();
  for (const std::string& folder : {std::string("/"), gHome, std::string("/proc")})
    form_->Folders()->MnuDeleteFolderClick(folder);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form_->Folders()->Busy(); }, 20000));
  EXPECT_TRUE(dialogs_.Questions.isEmpty());
  ASSERT_EQ(dialogs_.Messages.size(), 3);
  EXPECT_EQ(dialogs_.Messages.front(),
            QStringLiteral("The root folder / cannot be moved to the trash."));
  form_->Folders()->MnuDeleteFolderClick("");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form_->Folders()->Busy(); }, 20000));
  EXPECT_EQ(dialogs_.Messages.size(), 3) << "no target: nothing said, nothing asked";
  // Delete Dir on the selected path: No is a failure to delete.
  ASSERT_TRUE(form_->ShowSelectedPath(disk / "B"));
  dialogs_.Answers = {false};
  form_->Action("actDeleteFile")->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form_->Folders()->Busy(); }, 20000));
  EXPECT_EQ(dialogs_.Messages.back().toStdString(), "Could not delete " + (disk / "B"));
  EXPECT_TRUE(Exists(disk / "B/g"));
  dialogs_.Answers = {true};
  form_->Action("actDeleteFile")->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form_->Folders()->Busy(); }, 20000));
  EXPECT_FALSE(Exists(disk / "B"));
}

}  // namespace
}  // namespace nubrix

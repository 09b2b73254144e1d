// Undo in the window: "Undo last cleanup" and "Cleanup history ..." over cleanups made from the
// window, in the test's own home and trash.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <filesystem>

#include "app/CleanupHistory.h"
#include "app/CleanupUndo.h"
#include "app/FolderOperations.h"
#include "app/FolderTreeModel.h"
#include "app/TForm1.h"
#include "app/WindowFixture.h"
#include "support/TempTree.h"

namespace nubrix {
namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

class UndoWindowTest : public testing::Test {
 protected:
  void SetUp() override { form_ = window_.Start(); }
  void Scan(const std::string& folder) {
    ASSERT_TRUE(test::TWindowFixture::ScanAndWait(*form_, folder));
  }
  void DeleteDir(const std::string& folder) {
    ASSERT_TRUE(form_->ShowSelectedPath(folder));
    dialogs_.Answers = {true};
    form_->Action("actDeleteFile")->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form_->Folders()->Busy(); }, 20000));
    ASSERT_FALSE(Exists(folder));
  }
  std::string Database() const { return ProgramDatabaseFile(form_->AppDataFolder()); }
  // Undo moves the items off the window's thread.
  void WaitForUndo() {
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form_->Undo()->Undoer()->Running(); }, 20000));
  }
  static void WaitForHistory(const TCleanupHistoryDialog& history) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return !history.Loading(); }, 20000));
  }

  test::TWindowFixture window_;
  test::TScriptedDialogs& dialogs_ = window_.Dialogs;
  std::unique_ptr<TForm1> form_;
};

TEST_F(UndoWindowTest, DeleteFolderIsPutBackFromTheFileMenu) {
  test::TTempTree disk("A/f=1048576\nA/sub/g=10\n");
  Scan(disk.Root());
  dialogs_.Answers = {true, false};  // move it; no new scan
  form_->Folders()->MnuDeleteFolderClick(disk / "A");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form_->Folders()->Busy(); }, 20000));
  ASSERT_FALSE(Exists(disk / "A"));
  const std::optional<TRun> run = TRunLog(Database()).LastRun();
  ASSERT_TRUE(run);
  EXPECT_EQ(run->Summary.Command, "Delete Folder");
  EXPECT_EQ(run->Summary.Bytes, 1048576) << "the size the scan found, to a ten-thousandth MB";

  dialogs_.Questions.clear();
  dialogs_.Answers = {true};
  form_->Action("actUndoCleanup")->trigger();
  WaitForUndo();
  ASSERT_EQ(dialogs_.Questions.size(), 1);
  EXPECT_TRUE(dialogs_.Questions[0].startsWith(
      QStringLiteral("Put back the 1 item(s) of \"Delete Folder\" of ")));
  EXPECT_EQ(dialogs_.Asked[0].Kind, TQuestionKind::Confirmation);
  EXPECT_EQ(dialogs_.Asked[0].Buttons, TAnswerButtons::YesNo);
  EXPECT_TRUE(Exists(disk / "A/sub/g"));
  EXPECT_EQ(form_->StatusText(1), QStringLiteral("1 item(s) put back from the trash"));
  EXPECT_EQ(form_->statusBar()->currentMessage(), QStringLiteral("1 item(s) put back"));
  dialogs_.Messages.clear();
  form_->Action("actUndoCleanup")->trigger();
  EXPECT_EQ(dialogs_.Messages, QStringList{QStringLiteral("There is no cleanup to undo.")});
}

// The folder menu of the tree as a user meets it: opened by a right click, "Delete Folder" chosen
// while the tree changes under the open menu, the new scan answered both ways.
TEST_F(UndoWindowTest, DeleteFolderFromTheTreeMenuWhileTheTreeChanges) {
  test::TTempTree disk("A/f=10\nB/g=10\nC/h=10\nD/i=10\nE/F/G/j=1\nH/k=1\n");
  auto* tree = form_->findChild<QTreeView*>(QStringLiteral("DirTree"));
  auto* model = qobject_cast<TFolderTreeModel*>(tree->model());
  ASSERT_NE(model, nullptr);
  // The last round deletes the very folder the charts show, expanded in the tree.
  for (const int round : {0, 1, 2}) {
    const bool rescan = round > 0;
    const std::string target = disk / std::string(1, "ABE"[round]);
    const std::string other = disk / std::string(1, "CDH"[round]);
    if (round == 2) {
      Scan(target);
      ASSERT_TRUE(form_->ShowSelectedPath(disk.Root()));  // what the new scan scans
      const QModelIndex deep = model->IndexOf(disk / "E/F/G");
      for (QModelIndex up = deep.parent(); up.isValid(); up = up.parent()) tree->expand(up);
    } else {
      Scan(disk.Root());
    }
    const QModelIndex index = model->IndexOf(target);
    ASSERT_TRUE(index.isValid());
    tree->scrollTo(index);
    const QPoint at = tree->visualRect(index).center();
    dialogs_.Answers = {true, rescan};
    bool chosen = false;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (menu == nullptr) return;
      std::filesystem::remove_all(other);  // another program changes the tree meanwhile
      QTest::qWait(300);
      for (QAction* action : menu->actions()) {
        if (action->text() != QStringLiteral("Delete Folder")) continue;
        menu->setActiveAction(action);
        QTest::keyClick(menu, Qt::Key_Return);
        chosen = true;
      }
    });
    QSignalSpy finished(form_.get(), &TForm1::ScanFinished);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree->viewport(), &event);
    ASSERT_TRUE(chosen) << "the menu opened at the folder";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form_->Folders()->Busy(); }, 20000));
    EXPECT_FALSE(Exists(target));
    if (rescan) {
      EXPECT_TRUE(finished.count() > 0 || finished.wait(30000));
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return !model->IndexOf(target).isValid(); }, 5000))
        << "the tree follows the disk";
  }
}

TEST_F(UndoWindowTest, NoLeavesEverythingInTheTrash) {
  test::TTempTree disk("B/f=5\n");
  DeleteDir(disk / "B");
  dialogs_.Answers = {false};
  form_->Action("actUndoCleanup")->trigger();
  WaitForUndo();
  EXPECT_FALSE(Exists(disk / "B"));
  const std::optional<TRun> run = TRunLog(Database()).LastRun();
  ASSERT_TRUE(run) << "still there to undo";
  // Emptied meanwhile: nothing is asked, the user is told.
  const TRunItem& item = run->Items[0];
  std::filesystem::remove_all(item.TrashFolder + "/files/" + item.TrashName);
  dialogs_.Questions.clear();
  dialogs_.Messages.clear();
  form_->Action("actUndoCleanup")->trigger();
  WaitForUndo();
  EXPECT_TRUE(dialogs_.Questions.isEmpty());
  ASSERT_EQ(dialogs_.Messages.size(), 1);
  EXPECT_TRUE(dialogs_.Messages[0].startsWith(QStringLiteral("Nothing of \"Delete Dir\" of ")));
}

TEST_F(UndoWindowTest, AFolderDeletedWithoutAScanIsCountedAfterwards) {
  test::TTempTree disk("D/f=1048576\nD/sub/g=524288\n");
  DeleteDir(disk / "D");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form_->Undo()->Sizer()->Running(); }, 20000));
  const std::optional<TRun> run = TRunLog(Database()).LastRun();
  ASSERT_TRUE(run);
  EXPECT_EQ(run->Summary.Bytes, 1572864);
}

TEST_F(UndoWindowTest, TheHistoryListsRunsAndRestoresTheChosenOne) {
  test::TTempTree disk("B/f=5\nC/g=7\n");
  DeleteDir(disk / "B");
  DeleteDir(disk / "C");
  TCleanupHistoryDialog history(
      Database(), [&](std::int64_t id) { form_->Undo()->RestoreRun(*TRunLog(Database()).Run(id)); },
      form_.get());
  QTreeWidget* list = history.List();
  ASSERT_TRUE(history.Loading()) << "counting what is in the trash runs off the window's thread";
  EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("Reading the cleanup history ..."));
  EXPECT_FALSE(history.RestoreButton()->isEnabled());
  WaitForHistory(history);
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(list->topLevelItem(0)->text(1), QStringLiteral("Delete Dir"));
  EXPECT_EQ(list->topLevelItem(0)->text(2), QStringLiteral("1"));
  EXPECT_EQ(list->topLevelItem(0)->text(4), QStringLiteral("1")) << "still in the trash";
  EXPECT_TRUE(history.RestoreButton()->isEnabled());
  // The older run: B.
  QObject::connect(form_->Undo(), &TCleanupUndo::CleanupRestored, &history,
                   &TCleanupHistoryDialog::Reload);
  list->setCurrentItem(list->topLevelItem(1));
  history.RestoreSelected();
  WaitForUndo();
  WaitForHistory(history);
  EXPECT_TRUE(Exists(disk / "B/f"));
  EXPECT_FALSE(Exists(disk / "C"));
  ASSERT_EQ(list->topLevelItemCount(), 2);
  EXPECT_EQ(list->topLevelItem(1)->text(4), QStringLiteral("0"));
  EXPECT_EQ(list->topLevelItem(1)->text(1), QStringLiteral("Delete Dir (restored)"));
  list->setCurrentItem(list->topLevelItem(1));
  EXPECT_FALSE(history.RestoreButton()->isEnabled()) << "nothing of it left to put back";
}

TEST_F(UndoWindowTest, AHistoryThatCannotBeReadSaysSoAndRestoresNothing) {
  test::TTempTree disk("plain-file=3\n");
  bool restored = false;
  TCleanupHistoryDialog history(
      disk / "plain-file/Nubrix.db", [&](std::int64_t) { restored = true; }, form_.get());
  WaitForHistory(history);
  QTreeWidget* list = history.List();
  ASSERT_EQ(list->topLevelItemCount(), 1);
  EXPECT_TRUE(list->topLevelItem(0)->text(1).startsWith(
      QStringLiteral("The cleanup history cannot be read: ")));
  list->setCurrentItem(list->topLevelItem(0));
  EXPECT_FALSE(history.RestoreButton()->isEnabled());
  history.RestoreSelected();
  EXPECT_FALSE(restored);
}

TEST_F(UndoWindowTest, AFolderThatIsGoneIsMadeAgainOnlyOnYes) {
  test::TTempTree disk("X/Y/f=5\n");
  DeleteDir(disk / "X/Y");
  std::filesystem::remove(disk / "X");
  dialogs_.Questions.clear();
  dialogs_.Answers = {true, false};  // put back; do not make X again
  form_->Action("actUndoCleanup")->trigger();
  WaitForUndo();
  ASSERT_EQ(dialogs_.Questions.size(), 2);
  EXPECT_TRUE(dialogs_.Questions[1].contains(QString::fromStdString(disk / "X")));
  EXPECT_FALSE(Exists(disk / "X"));
  ASSERT_FALSE(dialogs_.Messages.isEmpty());
  EXPECT_TRUE(dialogs_.Messages.back().contains(QStringLiteral("is gone")));
  // The run was tried: the history puts it back, this time making the folder.
  const std::vector<TRunSummary> runs = TRunLog(Database()).Runs();
  ASSERT_EQ(runs.size(), 1U);
  dialogs_.Answers = {true};
  form_->Undo()->RestoreRun(*TRunLog(Database()).Run(runs[0].Id));
  WaitForUndo();
  EXPECT_TRUE(Exists(disk / "X/Y/f"));
}

}  // namespace
}  // namespace nubrix

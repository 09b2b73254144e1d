// The list editor window over a registry in memory: what it shows, sorting, deleting, backups,
// restoring and running an entry.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <clocale>
#include <fstream>
#include <sstream>

#include "platform/Paths.h"
#include "registry/RegEditorU.h"
#include "support/TempTree.h"
#include "ui/ScriptedDialogs.h"

namespace nubrix::registry {
namespace {

using platform::kHkeyCurrentUser;

const std::string kHive =
    "WINE REGISTRY Version 2\n"
    "[Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs] 1\n"
    "\"url1\"=\"http://b.example\"\n\"url2\"=\"http://C.example\"\n\"url3\"=\"http://a.example\"\n"
    "[Software\\\\Microsoft\\\\MediaPlayer\\\\Player\\\\RecentFileList] 1\n"
    "\"File0\"=\"/music/a.mp3\"\n\"File1\"=\"/music/b.mp3\"\n\"File2\"=\"/music/c.mp3\"\n"
    "\"File3\"=\"/music/d.mp3\"\n";

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

class RegEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::setlocale(LC_COLLATE, "C");
    RegEditorSortState() = {};
    Store.SetHive(kHkeyCurrentUser, kHive);
  }
  std::unique_ptr<TRegEditorForm> Open(TRegList list) {
    std::unique_ptr<TRegEditorForm> editor(
        CreateListEditor(list, Store, Dialogs, Tree.Root() + "/", nullptr));
    editor->show();
    return editor;
  }
  static QStringList Column(const TRegEditorForm& editor, int column) {
    QStringList texts;
    for (int i = 0; i < editor.ListView1->topLevelItemCount(); ++i) {
      texts << editor.ListView1->topLevelItem(i)->text(column);
    }
    return texts;
  }
  static void Select(TRegEditorForm& editor, std::initializer_list<int> rows) {
    editor.ListView1->clearSelection();
    for (const int row : rows) editor.ListView1->topLevelItem(row)->setSelected(true);
  }

  platform::TMemoryRegistry Store;
  test::TScriptedDialogs Dialogs;
  test::TTempTree Tree;
};

TEST_F(RegEditorTest, ShowsItsListAsConfigured) {
  const auto editor = Open(TRegList::MediaHistory);
  EXPECT_EQ(editor->windowTitle(), "Edit Media Player History");
  EXPECT_EQ(editor->ListView1->headerItem()->text(0), "Media Player MRU Name");
  EXPECT_EQ(editor->ListView1->headerItem()->text(1), "File Location");
  EXPECT_EQ(editor->ListView1->columnWidth(0), 100);
  EXPECT_EQ(editor->ListView1->columnWidth(1), 600);
  EXPECT_EQ(Column(*editor, 0), (QStringList{"File0", "File1", "File2", "File3"}));
  EXPECT_EQ(Column(*editor, 1)[3], "/music/d.mp3");
  editor->FormActivate();
  EXPECT_EQ(editor->StatusBar1->currentMessage(),
            "HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList");
  EXPECT_EQ(editor->BackupPath(), Tree.Root() + "/Media");
}

TEST_F(RegEditorTest, WithoutARegistryTheListIsEmptyAndTheStatusSaysWhy) {
  const test::TTempTree elsewhere;
  platform::TWineRegistry none(elsewhere / "no-wine", elsewhere / "servers");
  std::unique_ptr<TRegEditorForm> editor(
      CreateListEditor(TRegList::AutoStart, none, Dialogs, Tree.Root() + "/", nullptr));
  editor->show();
  editor->FormActivate();
  EXPECT_EQ(editor->ListView1->topLevelItemCount(), 0);
  EXPECT_TRUE(editor->StatusBar1->currentMessage().contains("no-wine/system.reg"))
      << editor->StatusBar1->currentMessage().toStdString();
  Dialogs.Answers = {true};
  editor->actDelKey->trigger();
  EXPECT_TRUE(Dialogs.Errors.isEmpty());
  editor->ToolButton1Click();
  const QStringList backups =
      QDir(QString::fromStdString(Tree.Root())).entryList({"AutostartA_*.reg"}, QDir::Files);
  ASSERT_EQ(backups.size(), 1) << "as for a missing key: the header alone";
  EXPECT_EQ(ReadFile(Tree.Root() + "/" + backups[0].toStdString()),
            "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\"
            "CurrentVersion\\Run]\r\n");
}

TEST_F(RegEditorTest, SortingAColumnTwiceTurnsItRound) {
  const auto editor = Open(TRegList::TypedUrls);
  editor->ListView1->header()->sectionClicked(1);
  EXPECT_EQ(Column(*editor, 0), (QStringList{"url2", "url3", "url1"}))
      << "case-sensitive in the C locale: 'C' before 'a'";
  editor->ListView1->header()->sectionClicked(1);
  EXPECT_EQ(Column(*editor, 0), (QStringList{"url1", "url3", "url2"}));
  editor->ListView1->header()->sectionClicked(0);
  EXPECT_EQ(Column(*editor, 0), (QStringList{"url1", "url2", "url3"}));

  // The state is shared: a window opened later turns the last column round.
  const auto later = Open(TRegList::TypedUrls);
  EXPECT_EQ(Column(*later, 0), (QStringList{"url1", "url2", "url3"})) << "registry order";
  later->ListView1->header()->sectionClicked(0);
  EXPECT_EQ(Column(*later, 0), (QStringList{"url3", "url2", "url1"}));
}

TEST_F(RegEditorTest, DeletingSelectedValues) {
  const auto editor = Open(TRegList::MediaHistory);
  Select(*editor, {0, 2, 3});
  Dialogs.Answers = {false};
  editor->actDelKey->trigger();
  ASSERT_EQ(Dialogs.Questions.size(), 1);
  EXPECT_EQ(Dialogs.Asked[0],
            (test::TQuestion{TQuestionKind::Warning, TAnswerButtons::NoOk,
                             "It is a good idea to do a backup of this \r\nregistry section before "
                             "manipulating any item!\r\nDo you really want to delete this registry "
                             "Item?"}));
  EXPECT_EQ(Column(*editor, 0).size(), 4) << "No deletes nothing";
  EXPECT_EQ(Store.Changes, 0);

  Dialogs.Answers = {true};
  editor->actDelKey->trigger();
  EXPECT_FALSE(editor->actDelKey->isEnabled()) << "the hive is changed on a worker";
  ASSERT_TRUE(QTest::qWaitFor([&] { return editor->actDelKey->isEnabled(); }, 10000));
  EXPECT_EQ(Column(*editor, 0), QStringList{"File1"}) << "three deleted, the list refilled";
  EXPECT_EQ(Store.Changes, 1) << "in one change of the hive";
  EXPECT_TRUE(Dialogs.Errors.isEmpty());
}

TEST_F(RegEditorTest, KeyModeDeletesTheFirstSelectedKey) {
  Store.SetHive(
      kHkeyCurrentUser,
      "WINE REGISTRY Version 2\n[Un\\\\A] 1\n\"UninstallString\"=\"x\"\n[Un\\\\B\\\\C] 1\n");
  TRegEditorForm editor(Store, Dialogs);
  editor.SetKey("Un");
  editor.SetValueType(TValueType::vtKeyList);
  editor.show();
  EXPECT_EQ(Column(editor, 1), (QStringList{"x", ""}));
  Select(editor, {1});
  Dialogs.Answers = {true};
  editor.actDelKey->trigger();
  EXPECT_EQ(Dialogs.Asked.back(),
            (test::TQuestion{TQuestionKind::Warning, TAnswerButtons::NoOk,
                             "Do you really want to delete this Uninstall File?"}));
  EXPECT_EQ(Dialogs.Messages, QStringList{"Registry Key and all Subkeys have been deleted"});
  EXPECT_EQ(Column(editor, 0), QStringList{"A"});
}

TEST_F(RegEditorTest, BackupsAndRestore) {
  const auto editor = Open(TRegList::TypedUrls);
  editor->ToolButton1Click();
  editor->ToolButton1Click();
  ASSERT_EQ(Dialogs.Messages.size(), 2);
  EXPECT_EQ(Dialogs.Messages[0],
            "Registry backup of section\n\rSoftware\\Microsoft\\Internet Explorer\\TypedURLs\n\r"
            "successfully created");
  const QStringList backups =
      QDir(QString::fromStdString(Tree.Root())).entryList({"TypedURLs_*.reg"}, QDir::Files);
  ASSERT_EQ(backups.size(), 2) << "a second backup in the same minute keeps the first";
  const std::string backup = Tree.Root() + "/" + backups[0].toStdString();
  EXPECT_TRUE(ReadFile(backup).starts_with("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\"));

  Select(*editor, {0, 1, 2});
  Dialogs.Answers = {true};
  editor->actDelKey->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return editor->actDelKey->isEnabled(); }, 10000));
  EXPECT_EQ(editor->ListView1->topLevelItemCount(), 0);

  Dialogs.OpenAnswer = backup;
  Dialogs.Answers = {false};
  editor->ToolButton2Click();
  EXPECT_EQ(Dialogs.OpenFilters, QStringList{"*.reg"});
  EXPECT_EQ(Dialogs.OpenFolders, std::vector<std::string>{Tree.Root()});
  EXPECT_EQ(Dialogs.Asked.back(),
            (test::TQuestion{TQuestionKind::Confirmation, TAnswerButtons::YesNo,
                             QString::fromStdString("Are you sure you want to add the information "
                                                    "in " +
                                                    backup + " to the registry?")}));
  EXPECT_EQ(editor->ListView1->topLevelItemCount(), 0) << "No imports nothing";
  Dialogs.Answers = {true};
  editor->ToolButton2Click();
  EXPECT_EQ(Column(*editor, 1),
            (QStringList{"http://b.example", "http://C.example", "http://a.example"}));
  EXPECT_EQ(Dialogs.Messages.back().toStdString(),
            "The keys and values contained in " + backup +
                " have been successfully added to the registry.");
  Dialogs.OpenAnswer.clear();
  editor->ToolButton2Click();
  EXPECT_TRUE(Dialogs.Errors.isEmpty());
}

TEST_F(RegEditorTest, ABackupWhoseFolderIsMissingSaysNothing) {
  const auto editor = Open(TRegList::TypedUrls);
  editor->SetBackupPath(Tree / "missing/TypedURLs");
  editor->ToolButton1Click();
  EXPECT_TRUE(Dialogs.Messages.isEmpty());
  EXPECT_FALSE(platform::Exists(Tree / "missing"));
}

TEST(RunAndWaitTest, ExitCodesAndPrograms) {
  EXPECT_EQ(RunAndWait(QStringLiteral("true"), 1), 0);
  EXPECT_EQ(RunAndWait(QStringLiteral("sh -c \"exit 3\""), 1), 3);
  EXPECT_EQ(RunAndWait(QStringLiteral("/nonexistent/program --flag"), 1), -1);
  EXPECT_EQ(RunAndWait(QString(), 1), -1);
}

TEST_F(RegEditorTest, DoubleClickRunsTheEntry) {
  Store.SetHive(kHkeyCurrentUser,
                "WINE REGISTRY Version 2\n[Run] 1\n\"ok\"=\"sh -c \\\"exit 0\\\"\"\n"
                "\"broken\"=\"/nonexistent/program\"\n");
  TRegEditorForm editor(Store, Dialogs);
  editor.SetKey("Run");
  editor.SetValueType(TValueType::vtValueList);
  editor.show();
  Select(editor, {0, 1});
  editor.ListView1DblClick();
  EXPECT_TRUE(Dialogs.Warnings.isEmpty()) << "two rows selected: nothing runs";
  Select(editor, {1});
  editor.ListView1DblClick();
  EXPECT_EQ(Dialogs.Warnings, QStringList{"Could not execute Program"});
  Store.SetHive(
      kHkeyCurrentUser,
      "WINE REGISTRY Version 2\n[Run] 1\n\"ok\"=\"sh -c \\\"exit 0\\\"\"\n\"new\"=\"x\"\n");
  Select(editor, {0});
  editor.ListView1DblClick();
  EXPECT_EQ(Column(editor, 0), (QStringList{"ok", "new"})) << "refilled after the run";
  EXPECT_TRUE(editor.ToolBar1->isEnabled());
}
}  // namespace
}  // namespace nubrix::registry

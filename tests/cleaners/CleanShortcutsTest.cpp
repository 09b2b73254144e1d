// Shortcut rows, empty folders and their removal on real folders; the trash is the test's own.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <map>

#include "cleaners/Clean_Shortcuts.h"
#include "support/LnkBuilder.h"
#include "support/TempTree.h"

namespace nubrix {

extern std::string gCleanerDataHome;

namespace {

class TRows : public IShortcutRows {
 public:
  void Clear() override { Rows.clear(); }
  void Add(const TShortcutRow& row) override { Rows.push_back(row); }
  std::vector<TShortcutRow> Rows;
};

class TAnswer : public IAskUser {
 public:
  explicit TAnswer(bool yes) : Yes(yes) {}
  bool AskUser(TQuestionKind, const std::string& question, TAnswerButtons) override {
    Questions.push_back(question);
    return Yes;
  }
  void TellUser(const std::string& message) override { Told.push_back(message); }
  bool Yes;
  std::vector<std::string> Questions;
  std::vector<std::string> Told;
};

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

TEST(CheckTargetTest, ConditionsInTheirOrder) {
  test::TTempTree disk("folder/\nfile=1");
  const TCleanShortcut cleaner;
  EXPECT_EQ(cleaner.CheckTarget(disk / "folder"), kConditionOk) << "a folder that exists";
  EXPECT_EQ(cleaner.CheckTarget(disk / "folder/"), kConditionOk);
  EXPECT_EQ(cleaner.CheckTarget(disk / "file"), kConditionOk);
  EXPECT_EQ(cleaner.CheckTarget(disk / "gone"), kConditionBroken);
  EXPECT_EQ(cleaner.CheckTarget(""), kConditionUndefined);
  EXPECT_EQ(cleaner.CheckTarget("\\\\server\\share\\file"), kConditionNetwork) << "never probed";
  EXPECT_EQ(cleaner.CheckTarget("sftp://host/x"), kConditionNetwork);
  EXPECT_EQ(cleaner.CheckTarget("/"), kConditionOk) << "a mount root that is there is there";
  EXPECT_STREQ(ConditionText(kConditionCdRom), "Link to CDRom");
  EXPECT_STREQ(ConditionText(kConditionUndefined), "undefined");
  EXPECT_FALSE(IsNetworkPath(""));
  EXPECT_FALSE(IsCDRomPath(disk.Root()));
}

TEST(ListShortcutsTest, BothKindsOwnFirstDotFoldersLeftOut) {
  test::TTempTree disk("sub/\n.cache/\nplain.txt=1\nfolder/");
  std::ofstream(disk / "good.desktop") << "[Desktop Entry]\nType=Application\nExec=sh\n";
  std::ofstream(disk / "sub/broken.desktop")
      << "[Desktop Entry]\nType=Application\nExec=no-such-program-here\n";
  std::ofstream(disk / ".cache/hidden.desktop") << "[Desktop Entry]\nType=Application\nExec=sh\n";
  test::TLnkSpec share;
  share.NetName = "\\\\server\\share";
  std::ofstream(disk / "share.LNK", std::ios::binary) << test::BuildLnk(share);
  std::ofstream(disk / "junk.lnk") << "not a shortcut";
  TRows rows;
  TCleanShortcut().ListShortcuts(disk.ScanPath(), rows);
  ASSERT_EQ(rows.Rows.size(), 4u);
  std::map<std::string, TShortcutRow> byName;
  for (const TShortcutRow& row : rows.Rows) byName[row.Caption] = row;
  EXPECT_EQ(byName["good.desktop"].Condition, "OK");
  EXPECT_EQ(byName["good.desktop"].State, kConditionOk);
  EXPECT_EQ(byName["broken.desktop"].State, kConditionBroken);
  EXPECT_EQ(byName["share.LNK"].State, kConditionNetwork);
  EXPECT_EQ(byName["junk.lnk"].State, kConditionUndefined);
  EXPECT_FALSE(byName["good.desktop"].Checked);
  EXPECT_EQ(byName["broken.desktop"].Condition, "Broken");
  EXPECT_TRUE(byName["broken.desktop"].Checked);
  EXPECT_EQ(byName["broken.desktop"].ShortcutPath, disk / "sub/broken.desktop");
  EXPECT_EQ(byName["share.LNK"].Condition, "Network Link");
  EXPECT_EQ(byName["share.LNK"].Target, "\\\\server\\share");
  EXPECT_EQ(byName["junk.lnk"].Condition, "undefined");
  EXPECT_EQ(rows.Rows.back().Caption, "broken.desktop")
      << "a folder's own shortcuts before its subfolders'";
  EXPECT_EQ(byName.count("hidden.desktop"), 0u);
  EXPECT_EQ(TCleanShortcut().ReadShortcutTarget(disk / "share.LNK"), "\\\\server\\share");
}

TEST(EmptyFoldersTest, AFolderNamedLikeTheStartFolderGoesToo) {
  test::TTempTree disk("photos/2020/photos/\nphotos/keep=1");
  TRows rows;
  TCleanShortcut().ListEmptyFolders(disk / "photos", rows);
  ASSERT_EQ(rows.Rows.size(), 1u);
  EXPECT_EQ(rows.Rows.front().ShortcutPath, disk / "photos/2020/photos");
  TAnswer yes(true);
  const TRemovalResult removed = TCleanShortcut().DeleteEmptyFolders(disk / "photos", yes);
  EXPECT_EQ(removed.Removed,
            (std::vector<std::string>{disk / "photos/2020/photos", disk / "photos/2020"}));
  EXPECT_TRUE(Exists(disk / "photos/keep"));
}

TEST(EmptyFoldersTest, NestedChainListsTheInnermostAndDeletesAll) {
  test::TTempTree disk("A/B/C/\nfull/f=1\n.dot/empty/\n.config/someapp/\nfull/.hidden=0");
  TRows rows;
  TShortcutRow stale;
  stale.Caption = "stale";
  rows.Rows.push_back(stale);
  const TCleanShortcut cleaner;
  cleaner.ListEmptyFolders(disk.Root(), rows);
  std::vector<std::string> listed;
  for (const TShortcutRow& row : rows.Rows) listed.push_back(row.ShortcutPath);
  std::sort(listed.begin(), listed.end());
  // Nothing inside a dot folder (application state) is listed; a dot file makes its folder not
  // empty.
  EXPECT_EQ(listed, (std::vector<std::string>{disk / "A/B/C"}));
  const auto c = std::find_if(rows.Rows.begin(), rows.Rows.end(),
                              [](const TShortcutRow& row) { return row.Caption == "C"; });
  ASSERT_NE(c, rows.Rows.end());
  EXPECT_EQ(c->Condition, "Empty");
  EXPECT_EQ(c->Target, disk / "A/B/C");
  EXPECT_TRUE(c->Checked);

  TAnswer no(false);
  EXPECT_TRUE(cleaner.DeleteEmptyFolders(disk.Root(), no).Declined);
  EXPECT_EQ(no.Questions, std::vector<std::string>{TCleanShortcut::kDeleteEmptyQuestion});
  EXPECT_TRUE(Exists(disk / "A/B/C"));
  TAnswer yes(true);
  const TRemovalResult removed = cleaner.DeleteEmptyFolders(disk.Root(), yes);
  EXPECT_FALSE(removed.Declined);
  EXPECT_EQ(removed.Removed, (std::vector<std::string>{disk / "A/B/C", disk / "A/B", disk / "A"}));
  EXPECT_TRUE(removed.Failed.empty());
  EXPECT_FALSE(Exists(disk / "A")) << "C, then B, then A";
  EXPECT_TRUE(Exists(disk / "full/f"));
  EXPECT_TRUE(Exists(disk / ".dot/empty")) << "nothing inside a dot folder is removed";
  EXPECT_TRUE(Exists(disk / ".config/someapp"));
  EXPECT_TRUE(Exists(gCleanerDataHome + "/Trash/files/A")) << "to the trash, not deleted";
}

std::vector<std::string> FolderPaths(const std::string& start) {
  std::vector<TFolderFound> found;
  CollectFolders(start, found);
  std::vector<std::string> paths;
  for (const TFolderFound& folder : found) paths.push_back(folder.Path);
  return paths;
}

TEST(EmptyFoldersTest, LinksMountPointsAndReadOnlyFolders) {
  test::TTempTree other("elsewhere/empty/");
  test::TTempTree disk("ro/inner/\nplain/\nmnt/");
  symlink((other / "elsewhere").c_str(), (disk / "link").c_str());
  chmod((disk / "ro").c_str(), 0555);
  bool mounted = test::CanMount() &&
                 mount("nubrix-empty", (disk / "mnt").c_str(), "tmpfs", 0, "size=64k") == 0;
  std::vector<std::string> folders = FolderPaths(disk.Root());
  std::sort(folders.begin(), folders.end());
  std::vector<std::string> expected{disk / "plain", disk / "ro/inner"};
  if (!mounted) expected.insert(expected.begin(), disk / "mnt");
  EXPECT_EQ(folders, expected) << "read-only entered not listed, links and mount points neither";
  TAnswer yes(true);
  TCleanShortcut().DeleteEmptyFolders(disk.Root(), yes);
  EXPECT_TRUE(Exists(other / "elsewhere/empty")) << "nothing through a link";
  if (mounted) {
    EXPECT_TRUE(Exists(disk / "mnt"));
    umount2((disk / "mnt").c_str(), MNT_DETACH);
  }
  chmod((disk / "ro").c_str(), 0755);
  EXPECT_FALSE(IsEmptyFolder(disk / "no-such-folder")) << "what cannot be listed is not empty";
}

// The user's trash lies below the data home; emptying folders of a tree that holds it must leave
// its folders alone, or trashed items could no longer be restored.
TEST(EmptyFoldersTest, TheTrashAndWhatLiesInItAreNeverTouched) {
  const std::string trash = gCleanerDataHome + "/Trash";
  test::TTempTree disk("empty/");
  ASSERT_TRUE(RecycleSilently(platform::TListedItem(disk / "empty")).Ok)
      << "makes the trash with its files/ and info/";
  ASSERT_TRUE(Exists(trash + "/info/empty.trashinfo"));
  mkdir((trash + "/expunged").c_str(), 0700);
  std::vector<std::string> folders = FolderPaths(gCleanerDataHome);
  EXPECT_TRUE(folders.empty()) << folders.front();
  EXPECT_TRUE(FolderPaths(trash + "/files").empty()) << "not from inside either";
  TAnswer yes(true);
  TCleanShortcut().DeleteEmptyFolders(gCleanerDataHome, yes);
  EXPECT_TRUE(Exists(trash + "/info/empty.trashinfo"));
  EXPECT_TRUE(Exists(trash + "/files/empty"));
  EXPECT_TRUE(Exists(trash + "/expunged"));
}

TEST(EmptyFoldersTest, FoldersNoTrashCanTakeStayAndSayWhy) {
  if (!test::CanMount()) GTEST_SKIP() << "mounting needs privileges";
  test::TTempTree disk("t/");
  ASSERT_EQ(mount("nubrix-notrash", (disk / "t").c_str(), "tmpfs", 0, "size=64k"), 0);
  mkdir((disk / "t/old").c_str(), 0755);
  TAnswer yes(true);
  const TRemovalResult result = TCleanShortcut().DeleteEmptyFolders(disk / "t", yes);
  const bool stayed = Exists(disk / "t/old");
  umount2((disk / "t").c_str(), MNT_DETACH);
  EXPECT_TRUE(stayed) << "never deleted in its place";
  EXPECT_TRUE(result.Removed.empty());
  ASSERT_EQ(result.Failed.size(), 1u);
  EXPECT_EQ(result.Failed.front().Path, disk / "t/old");
  EXPECT_NE(result.Failed.front().Reason.find(disk / "t/old"), std::string::npos)
      << result.Failed.front().Reason;
}

TEST(ListShortcutsTest, ACancelledWalkStopsWhereItIs) {
  test::TTempTree disk("a/\nb/\nc/");
  for (const char* folder : {"a", "b", "c"}) {
    std::ofstream(disk / (std::string(folder) + "/x.desktop"))
        << "[Desktop Entry]\nType=Application\nExec=sh\n";
  }
  std::atomic<bool> cancel{true};
  TRows rows;
  TCleanShortcut().ListShortcuts(disk.Root(), rows, &cancel);
  EXPECT_TRUE(rows.Rows.empty()) << "Escape before the walk: nothing listed";
  std::vector<TFolderFound> folders;
  CollectFolders(disk.Root(), folders, &cancel);
  EXPECT_TRUE(folders.empty());
  EXPECT_TRUE(TCleanShortcut().RemoveEmptyFolders(disk.Root(), &cancel).Removed.empty());
  cancel = false;
  TCleanShortcut().ListShortcuts(disk.Root(), rows, &cancel);
  EXPECT_EQ(rows.Rows.size(), 3u);
}

TEST(ListShortcutsTest, PipesLinksAndOtherMountsAreNotRead) {
  test::TTempTree other("elsewhere.desktop=0");
  std::ofstream(other / "elsewhere.desktop")
      << "[Desktop Entry]\nType=Application\nExec=no-such-program-here\n";
  test::TTempTree disk("x.desktop|\nmnt/");
  symlink((other / "elsewhere.desktop").c_str(), (disk / "link.desktop").c_str());
  const bool mounted = test::CanMount() && mount((other.Root()).c_str(), (disk / "mnt").c_str(),
                                                 nullptr, MS_BIND, nullptr) == 0;
  TRows rows;
  TCleanShortcut().ListShortcuts(disk.Root(),
                                 rows);  // a pipe would make a blocking reader wait forever
  ASSERT_EQ(rows.Rows.size(), 1u) << "the pipe is no shortcut file; nothing below the mount point";
  EXPECT_EQ(rows.Rows.front().Caption, "link.desktop");
  EXPECT_EQ(rows.Rows.front().Condition, "undefined")
      << "a link is not followed, so never judged broken";
  EXPECT_FALSE(rows.Rows.front().Checked);
  if (mounted) umount2((disk / "mnt").c_str(), MNT_DETACH);
}

TEST(RecycleTest, AskingFirstAndNeverDeletingInstead) {
  test::TTempTree disk("a=1\nb=1");
  TAnswer no(false);
  const platform::TTrashResult declined = RecycleWithShellDialogs(disk / "a", no);
  EXPECT_FALSE(declined.Ok);
  EXPECT_TRUE(declined.Error.empty()) << "No is no error";
  EXPECT_TRUE(Exists(disk / "a"));
  EXPECT_EQ(no.Questions.front(), "Move " + disk / "a" + " to the trash?");
  TAnswer yes(true);
  EXPECT_TRUE(RecycleWithShellDialogs(disk / "a", yes).Ok);
  EXPECT_FALSE(Exists(disk / "a"));
  EXPECT_TRUE(RecycleSilently(platform::TListedItem(disk / "b")).Ok);
  const platform::TTrashResult gone = RecycleSilently(platform::TListedItem(disk / "b"));
  EXPECT_FALSE(gone.Ok) << "gone already";
  EXPECT_NE(gone.Error.find(disk / "b"), std::string::npos)
      << "the reason names the item: " << gone.Error;
}

}  // namespace

std::string gCleanerDataHome;

}  // namespace nubrix

int main(int argc, char** argv) {
  char pattern[] = "/tmp/nubrix-trash-home-XXXXXX";
  nubrix::gCleanerDataHome = mkdtemp(pattern);
  setenv("XDG_DATA_HOME", nubrix::gCleanerDataHome.c_str(), 1);
  // Nothing of these tests may reach the user's settings either.
  setenv("HOME", nubrix::gCleanerDataHome.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (nubrix::gCleanerDataHome + "/config").c_str(), 1);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  nubrix::test::RemoveTree(nubrix::gCleanerDataHome);
  return result;
}

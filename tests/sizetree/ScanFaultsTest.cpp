// Faults during a scan: unreadable folders, vanishing files, listings without types, mounts,
// cancelling at any moment.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <functional>
#include <set>
#include <sstream>
#include <string>

#include "cli/ScanReport.h"
#include "sizetree/DirSource.h"
#include "sizetree/ScanEngine.h"
#include "support/RecordingProgress.h"
#include "support/ReferenceScan.h"
#include "support/TempTree.h"

namespace nubrix {
namespace {

using test::TTempTree;

// The system source with failures injected by entry name.
class TFaultySource : public TDirSource {
 public:
  std::set<std::string> DenyOpen;  // these folders cannot be opened (EACCES)
  std::set<std::string> Vanished;  // these entries are gone by the time they are stat'ed
  bool HideTypes = false;          // listings report DT_UNKNOWN, as some file systems do
  std::atomic<int> StatCalls{0};
  std::function<void(int)> OnStat;

  int OpenSubfolder(int dirFd, const char* name) override {
    if (DenyOpen.count(name)) return -EACCES;
    return TDirSource::OpenSubfolder(dirFd, name);
  }
  int StatEntry(int dirFd, const char* name, TEntryStat& out) override {
    const int calls = ++StatCalls;
    if (OnStat) OnStat(calls);
    if (Vanished.count(name)) return -ENOENT;
    return TDirSource::StatEntry(dirFd, name, out);
  }
  long ReadEntries(int dirFd, char* buffer, std::size_t size) override {
    const long got = TDirSource::ReadEntries(dirFd, buffer, size);
    if (HideTypes && got > 0) {
      for (long pos = 0; pos < got;) {
        unsigned short length = 0;
        std::memcpy(&length, buffer + pos + 16, sizeof length);
        buffer[pos + 18] = 0;  // d_type
        pos += length;
      }
    }
    return got;
  }
};

std::string Listing(TSizeTree& tree) {
  std::ostringstream out;
  WriteListing(out, *tree.ScanRoot());
  return out.str();
}

bool AllSizesZero(TSizeTree& tree, int& folders) {
  bool zero = true;
  folders = 0;
  VisitPreOrder(*tree.ScanRoot(), [&](TSizeFolder& folder, const std::string&) {
    zero = zero && folder.OwnSize() == 0 && folder.SubfolderSize() == 0;
    ++folders;
    return true;
  });
  return zero;
}

constexpr const char* kTree =
    "a/f=1048576\n"
    "a/locked/inside=5000000\n"
    "a/locked/sub/\n"
    "a/gone=2097152\n"
    "a/stays=3145728\n"
    "b/c/d/e=100\n";

TEST(ScanFaultsTest, UnreadableFolderAddsNothingAndTheScanGoesOn) {
  TTempTree disk(kTree);
  TFaultySource source;
  source.DenyOpen = {"locked"};
  TSizeTree tree;
  TScanContext context;
  context.Source = &source;
  ASSERT_TRUE(ScanIntoTree(tree, disk.ScanPath(), context));
  TSizeFolder* locked = tree.FindFolder(disk / "a/locked");
  ASSERT_NE(locked, tree.ScanRoot()) << "an unreadable folder is still listed in its parent";
  EXPECT_EQ(locked->ChildCount(), 0);
  EXPECT_EQ(locked->OwnSize(), 0);
  EXPECT_EQ(locked->ReadError(), EACCES);
  EXPECT_EQ(tree.FindFolder(disk / "a")->OwnSize(), 10000 + 20000 + 30000);
  EXPECT_NE(tree.FindFolder(disk / "b/c/d"), tree.ScanRoot());
  // The error is counted and marks every folder above it, so the window can say the sizes are
  // short.
  EXPECT_EQ(tree.UnreadableCount(), 1);
  EXPECT_TRUE(locked->UnreadableBelow());
  EXPECT_TRUE(tree.FindFolder(disk / "a")->UnreadableBelow());
  EXPECT_TRUE(tree.ScanRoot()->UnreadableBelow());
  EXPECT_FALSE(tree.FindFolder(disk / "b")->UnreadableBelow());
  EXPECT_FALSE(tree.FindFolder(disk / "b/c/d")->UnreadableBelow());
}

TEST(ScanFaultsTest, FileVanishingBetweenListingAndStatIsSkipped) {
  TTempTree disk(kTree);
  TFaultySource source;
  source.Vanished = {"gone"};
  TSizeTree tree;
  TScanContext context;
  context.Source = &source;
  ASSERT_TRUE(ScanIntoTree(tree, disk.ScanPath(), context));
  EXPECT_EQ(tree.FindFolder(disk / "a")->OwnSize(), 10000 + 30000);
  EXPECT_EQ(FolderFilesSize(disk / "a", &source), 10000 + 30000);
}

TEST(ScanFaultsTest, ListingsWithoutEntryTypesGiveTheSameTree) {
  TTempTree disk(kTree);
  disk.Add("l->a\n.dot/x=5\ne/\n");
  TFaultySource source;
  source.HideTypes = true;
  TSizeTree tree;
  TScanContext context;
  context.Source = &source;
  ASSERT_TRUE(ScanIntoTree(tree, disk.ScanPath(), context));
  EXPECT_EQ(Listing(tree), test::ReferenceListing(disk.ScanPath()));
  EXPECT_EQ(CountSubfolders(disk.ScanPath(), &source), CountSubfolders(disk.ScanPath()));
  EXPECT_EQ(FolderFilesSize(disk / "a", &source), FolderFilesSize(disk / "a"));
}

TEST(ScanFaultsTest, UnreadableFolderForAnUnprivilegedUser) {
  // Root reads everything; drop to nobody in a child process to meet a real permission error.
  TTempTree disk(kTree);
  chmod(disk.Root().c_str(), 0755);
  chmod((disk / "a/locked").c_str(), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    TSizeTree tree;
    TScanContext context;
    if (!ScanIntoTree(tree, disk.ScanPath(), context)) _exit(4);
    const TSizeFolder* locked = tree.FindFolder(disk / "a/locked");
    const bool right = locked != tree.ScanRoot() && locked->ReadError() == EACCES &&
                       locked->ChildCount() == 0 && locked->OwnSize() == 0 &&
                       tree.FindFolder(disk / "a")->OwnSize() == 60000 &&
                       tree.FindFolder(disk / "b/c/d") != tree.ScanRoot();
    _exit(right ? 0 : 5);
  }
  int status = 0;
  waitpid(child, &status, 0);
  chmod((disk / "a/locked").c_str(), 0755);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "3: could not drop privileges, 4: cancelled, 5: wrong tree";
}

TEST(ScanFaultsTest, CancelAtAnyMomentLeavesAConsistentUnsizedTree) {
  TTempTree disk;
  std::string spec;
  for (int i = 0; i < 30; ++i) {
    spec += "d" + std::to_string(i) + "/f=4096\n";
    for (int j = 0; j < 5; ++j)
      spec += "d" + std::to_string(i) + "/s" + std::to_string(j) + "/g=10\n";
  }
  disk.Add(spec);
  for (int threads : {1, 2}) {
    for (int cancelAtStat : {1, 2, 7, 40, 99, 150}) {
      TFaultySource source;
      std::atomic<bool> escape{false};
      source.OnStat = [&](int calls) {
        if (calls == cancelAtStat) escape = true;
      };
      TSizeTree tree;
      TScanContext context;
      context.Source = &source;
      context.Escape = &escape;
      context.Threads = threads;
      EXPECT_FALSE(ScanIntoTree(tree, disk.ScanPath(), context)) << cancelAtStat;
      EXPECT_FALSE(context.State.ScanCancelled.load()) << "the size pass clears the flag";
      int folders = 0;
      EXPECT_TRUE(AllSizesZero(tree, folders));
      EXPECT_EQ(folders - 1, context.State.FolderCount.load())
          << "every folder found is in the tree";
      EXPECT_LT(folders - 1, 180);
    }
  }
}

TEST(ScanFaultsTest, EscapeDuringTheWalkKeepsTheFolderJustAdded) {
  TTempTree disk;
  std::string spec;
  for (int i = 0; i < 120; ++i) spec += "d" + std::to_string(i) + "/\n";
  disk.Add(spec);
  std::atomic<bool> escape{false};
  test::TRecordingProgress progress;
  progress.OnFound = [&](std::int32_t count) {
    if (count == 50) escape = true;
  };
  TSizeTree tree;
  TScanContext context;
  context.Threads = 1;
  context.Progress = &progress;
  context.Escape = &escape;
  EXPECT_FALSE(ScanIntoTree(tree, disk.ScanPath(), context));
  EXPECT_EQ(context.State.FolderCount.load(), 51);
  EXPECT_EQ(tree.ScanRoot()->ChildCount(), 51);
  EXPECT_EQ(progress.Found, (std::vector<std::int32_t>{50}));
  EXPECT_TRUE(progress.Sized.empty());
}

class MountedTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!test::CanMount()) GTEST_SKIP() << "mounting needs privileges";
  }
  void TearDown() override { Unmount(); }
  // Called at the end of each test too: the trees must not go while something is mounted in them.
  void Unmount() {
    for (auto it = mounted_.rbegin(); it != mounted_.rend(); ++it) umount2(it->c_str(), MNT_DETACH);
    mounted_.clear();
  }
  void Bind(const std::string& from, const std::string& to) {
    ASSERT_EQ(mount(from.c_str(), to.c_str(), nullptr, MS_BIND, nullptr), 0) << to;
    mounted_.push_back(to);
  }
  void Tmpfs(const std::string& at) {
    ASSERT_EQ(mount("nubrix-test", at.c_str(), "tmpfs", 0, "size=1m"), 0) << at;
    mounted_.push_back(at);
  }
  std::vector<std::string> mounted_;
};

TEST_F(MountedTest, MountPointsBelowTheRootAreNeitherEnteredNorListed) {
  TTempTree source("content/big=50000000\ncontent/deep/x=1");
  TTempTree disk("keep/f=1048576\nbind/hidden-below=7\nbindfar/a/b/\ntmp/\nname with blank/");
  Bind(source / "content", disk / "bind");
  Bind(source / "content", disk / "bindfar/a/b");
  Tmpfs(disk / "tmp");
  Bind(source / "content", disk / "name with blank");
  TSizeTree tree;
  TScanContext context;
  ASSERT_TRUE(ScanIntoTree(tree, disk.ScanPath(), context));
  const std::string listing = Listing(tree);
  EXPECT_EQ(listing, test::ReferenceListing(disk.ScanPath()));
  for (const char* gone : {"/bind\n", "/tmp\n", "/name with blank\n", "/bindfar/a/b\n"}) {
    EXPECT_EQ(listing.find(gone), std::string::npos) << gone << " in\n" << listing;
  }
  EXPECT_EQ(tree.ScanRoot()->SubfolderSize(), 10000);
  EXPECT_EQ(context.State.FolderCount.load(), 3);
  Unmount();
}

TEST_F(MountedTest, MountRootListsWithoutDotEntries) {
  TTempTree disk("m/");
  Tmpfs(disk / "m");
  for (const char* name : {"A", "B", "C"}) mkdir((disk / "m/" + std::string(name)).c_str(), 0755);
  EXPECT_EQ(CountSubfolders(disk / "m/"), 2);
  TSizeTree tree;
  TScanContext context;
  ASSERT_TRUE(ScanIntoTree(tree, disk / "m/", context));
  EXPECT_EQ(context.State.TopLevelTotal.load(), 2);
  EXPECT_EQ(tree.ScanRoot()->ChildCount(), 3);
  Unmount();
}

}  // namespace
}  // namespace nubrix

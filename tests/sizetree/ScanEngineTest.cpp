// The scan on real folders, compared with a plain sequential scan written out in long hand.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <unistd.h>

#include <sstream>
#include <string>

#include "cli/ScanReport.h"
#include "sizetree/ScanEngine.h"
#include "support/RecordingProgress.h"
#include "support/ReferenceScan.h"
#include "support/TempTree.h"

namespace nubrix {
namespace {

using test::TRecordingProgress;
using test::TTempTree;

std::string Listing(TSizeTree& tree) {
  std::ostringstream out;
  WriteListing(out, *tree.ScanRoot());
  return out.str();
}

std::string ScanListing(const std::string& path, int threads) {
  TSizeTree tree;
  TScanContext context;
  context.Threads = threads;
  EXPECT_TRUE(ScanIntoTree(tree, path, context));
  return Listing(tree);
}

// Names with blanks, a newline, bytes that are not UTF-8, dot names, links of every kind.
constexpr const char* kMixedTree =
    "docs/report one.txt=1200\n"
    "docs/line\\nbreak=77\n"
    "docs/\xff\xfe-latin1-\xe9=32768\n"
    "docs/\xff\xfe-latin1-\xe9 dir/inner=32768\n"
    "docs/.hidden-file=999999\n"
    "docs/.git/objects/pack=5000000\n"
    "media/big.iso=5368709120\n"
    "media/empty/\n"
    "media/sub/deeper/leaf=1\n"
    "links/to-root->/\n"
    "links/loop-a->loop-b\n"
    "links/loop-b->loop-a\n"
    "links/up->..\n"
    "links/dangling->/nonexistent/target\n"
    "links/pipe|\n"
    "top-file=53\n"
    ".dot-folder/x=1000\n";

TEST(ScanEngineTest, ListingEqualsTheSequentialTwoPassRules) {
  TTempTree tree(kMixedTree);
  const std::string expected = test::ReferenceListing(tree.ScanPath());
  ASSERT_NE(expected.find("latin1"), std::string::npos);
  for (int threads : {1, 2, 4}) {
    EXPECT_EQ(ScanListing(tree.ScanPath(), threads), expected) << threads << " threads";
  }
}

TEST(ScanEngineTest, SizesOfTheMixedTree) {
  TTempTree disk(kMixedTree);
  TSizeTree tree;
  TScanContext context;
  ASSERT_TRUE(ScanIntoTree(tree, disk.ScanPath(), context));
  TSizeFolder* root = tree.ScanRoot();
  EXPECT_EQ(root->Name(), disk.ScanPath());
  EXPECT_EQ(root->OwnSize(), 1);  // top-file: 53 bytes, counted once
  TSizeFolder* media = tree.FindFolder(disk / "media");
  ASSERT_NE(media, root);
  EXPECT_EQ(media->OwnSize(), 51200000);  // 5 GiB, sparse: the apparent size
  EXPECT_EQ(media->SubfolderSize(), 0);   // the 1-byte leaf rounds to nothing
  EXPECT_EQ(tree.FindFolder(disk / "docs/.git"), root) << "dot folders are never entered";
  EXPECT_EQ(tree.FindFolder(disk / ".dot-folder"), root);
  EXPECT_EQ(tree.FindFolder(disk / "links")->ChildCount(), 0) << "links are never followed";
  // Folders: docs, docs/<latin1 dir>, media, media/empty, media/sub, media/sub/deeper, links.
  EXPECT_EQ(context.State.FolderCount.load(), 7);
}

// Every total is summed in bytes and converted once: no file is too small to count.
TEST(ScanEngineTest, ThreeGigabyteFileAndExactTotals) {
  std::string spec =
      "big=3000000000\nties/a=32768\nties/b=32768\nup/a=98304\nup/b=98304\n.htaccess=5000\n"
      "half/x/a=32768\nhalf/y/a=32768\n";
  for (int i = 0; i < 100; ++i) spec += "small/f" + std::to_string(i) + "=50\n";
  TTempTree disk(spec);
  TSizeTree tree;
  TScanContext context;
  ASSERT_TRUE(ScanIntoTree(tree, disk.ScanPath(), context));
  EXPECT_EQ(FormatSizeMB(tree.ScanRoot()->OwnSize()), "2861.0229");
  EXPECT_EQ(tree.FindFolder(disk / "ties")->OwnSize(), 625) << "exactly 0.0625 MB";
  EXPECT_EQ(tree.FindFolder(disk / "up")->OwnSize(), 1875);
  EXPECT_EQ(tree.FindFolder(disk / "small")->OwnSize(), 48)
      << "5,000 bytes in files of 50 bytes each";
  // Each half is 312.5 units, shown as 312; the 65,536 bytes below "half" are 625 units.
  EXPECT_EQ(tree.FindFolder(disk / "half/x")->OwnSize(), 312);
  EXPECT_EQ(tree.FindFolder(disk / "half")->SubfolderSize(), 625);
  EXPECT_EQ(tree.ScanRoot()->SubfolderSize(),
            BytesToSizeMB(2 * 32768 + 2 * 98304 + 2 * 32768 + 5000));
  EXPECT_EQ(FolderFilesSize(disk / "ties"), 625);
  EXPECT_EQ(FolderFilesBytes(disk / "small"), 5000u);
  EXPECT_EQ(FolderFilesSize(disk / "nothing-here"), 0);
}

TEST(ScanEngineTest, FoundCountsEveryFiftyFoldersAndTheTotal) {
  TTempTree disk;
  std::string spec;
  for (int i = 0; i < 12; ++i) {
    for (int j = 0; j < 9; ++j) spec += "d" + std::to_string(i) + "/s" + std::to_string(j) + "/\n";
  }
  disk.Add(spec);  // 12 + 108 = 120 folders
  TSizeTree tree;
  TRecordingProgress progress;
  TScanContext context;
  context.Threads = 1;
  context.Progress = &progress;
  ASSERT_TRUE(ScanIntoTree(tree, disk.ScanPath(), context));
  EXPECT_EQ(context.State.FolderCount.load(), 120);
  EXPECT_EQ(progress.Found, (std::vector<std::int32_t>{50, 100}));
  EXPECT_EQ(progress.Totals, (std::vector<std::int32_t>{120}));
  ASSERT_EQ(progress.Sized.size(), 121u) << "the scan root is sized too";
  EXPECT_EQ(progress.Sized.back(), 121);
}

TEST(ScanEngineTest, GaugeShowsPercentPerFirstLevelFolder) {
  TTempTree disk("A/x/\nB/\nC/\n.hidden/\nfile=10");
  TSizeTree tree;
  TRecordingProgress progress;
  TScanContext context;
  context.Threads = 1;
  context.Progress = &progress;
  ASSERT_TRUE(ScanIntoTree(tree, disk.ScanPath(), context));
  // A, B, C, .hidden, "." and ".." are six folder entries: the divisor is five.
  EXPECT_EQ(context.State.TopLevelTotal.load(), 5);
  EXPECT_EQ(progress.Gauge, (std::vector<std::int32_t>{20, 40, 60}));
  EXPECT_EQ(CountSubfolders(disk.ScanPath()), 5);

  TTempTree plain("A/\nB/\nC/");
  EXPECT_EQ(CountSubfolders(plain.Root()), 4);
  TSizeTree plainTree;
  TRecordingProgress plainProgress;
  TScanContext plainContext;
  plainContext.Threads = 1;
  plainContext.Progress = &plainProgress;
  ASSERT_TRUE(ScanIntoTree(plainTree, plain.ScanPath(), plainContext));
  EXPECT_EQ(plainProgress.Gauge, (std::vector<std::int32_t>{25, 50, 75}));

  TTempTree empty;
  EXPECT_EQ(CountSubfolders(empty.Root()), 1);  // "." and ".."
  EXPECT_EQ(CountSubfolders(empty / "missing"), 0);
}

TEST(ScanEngineTest, SpecialFilesAreSizedButNeverOpened) {
  TTempTree disk("dir/\nfile=10");
  const std::string socketPath = disk / "dir/sock";
  const int sock = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(socketPath.size(), sizeof address.sun_path);
  socketPath.copy(address.sun_path, socketPath.size());
  ASSERT_EQ(bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  disk.Add("dir/fifo|");
  const bool haveDevice = mknod((disk / "dir/null").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0;
  const std::string expected = test::ReferenceListing(disk.ScanPath());
  EXPECT_EQ(ScanListing(disk.ScanPath(), 2), expected);
  close(sock);
  if (!haveDevice) GTEST_SKIP() << "device files need privileges; the rest passed";
}

TEST(ScanEngineTest, HandBuiltTreeListsItsFoldersInTheSizePass) {
  TTempTree disk("a/f=1048576\na/b/g=2097152\nh=53");
  TSizeTree tree;
  TSizeFolder* root = tree.TopFolder().AddChild(disk.ScanPath());
  TSizeFolder* a = root->AddChild(disk / "a");
  a->AddChild(disk / "a/b");
  TScanContext context;
  ASSERT_TRUE(tree.CalculateSizes(context));
  EXPECT_EQ(root->OwnSize(), 1);
  EXPECT_EQ(a->OwnSize(), 10000);
  EXPECT_EQ(a->SubfolderSize(), 20000);
  EXPECT_EQ(root->SubfolderSize(), 30000);
  EXPECT_EQ(tree.TopFolder().SubfolderSize(), 0) << "the top folder is never sized";
}

}  // namespace
}  // namespace nubrix

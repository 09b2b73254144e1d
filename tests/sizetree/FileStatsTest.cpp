// The largest files and the file types: counted as the scan counts, bounded, deterministic
// whatever the threads, and the same whether the scan or a later listing of a folder gives them.
#include <gtest/gtest.h>

#include <numeric>

#include "sizetree/FileStats.h"
#include "sizetree/ScanEngine.h"
#include "support/TempTree.h"

namespace nubrix {
namespace {

TFileStats ScanStats(const std::string& path, std::size_t count, int threads = 0) {
  TSizeTree tree;
  TFileCollector collector(count);
  TScanContext context;
  context.Files = &collector;
  context.Threads = threads;
  EXPECT_TRUE(ScanIntoTree(tree, path, context));
  return collector.Take();
}

std::vector<std::string> Paths(const TFileStats& stats) {
  std::vector<std::string> paths;
  for (const TLargeFile& file : stats.Largest) paths.push_back(file.Path);
  return paths;
}

TEST(FileExtensionTest, TextAfterTheLastDotThatIsNotTheFirstByte) {
  EXPECT_EQ(FileExtension("photo.JPG"), "jpg");
  EXPECT_EQ(FileExtension("a.TAR.Gz"), "gz");
  EXPECT_EQ(FileExtension(".bashrc"), "");
  EXPECT_EQ(FileExtension("Makefile"), "");
  EXPECT_EQ(FileExtension("trailing."), "");
  EXPECT_EQ(FileExtension("x.\xC3\x84Q\xFF"), "\xC3\x84q\xFF") << "only ASCII letters fold";
}

TEST(FileStatsTest, TheTypesOfTheScanRootAddUpToItsTotal) {
  test::TTempTree disk(
      "a/big.BIN=5000\na/b/x.txt=300\na/b/w.TXT=301\nnoext=6\n.dot=99\n.hidden/in.txt=77\n"
      "a/link->/\nbad\xFF.bin=1\nc/d/e/deep.txt=12345");
  TSizeTree tree;
  TFileCollector collector(3);
  TScanContext context;
  context.Files = &collector;
  ASSERT_TRUE(ScanIntoTree(tree, disk.ScanPath(), context));
  const TFileStats stats = collector.Take();
  const std::uint64_t linkSize = 1;  // "/" is the link's own size
  const std::uint64_t expected = 5000 + 300 + 301 + 6 + linkSize + 1 + 12345;
  EXPECT_EQ(stats.Bytes, expected) << "dot names are left out, links are their own size";
  EXPECT_EQ(stats.Files, 7U);
  const std::uint64_t typeBytes =
      std::accumulate(stats.Types.begin(), stats.Types.end(), std::uint64_t{0},
                      [](std::uint64_t sum, const TTypeTotal& type) { return sum + type.Bytes; });
  EXPECT_EQ(typeBytes, expected);
  EXPECT_EQ(tree.ScanRoot()->TotalSize(),
            tree.ScanRoot()->OwnSize() + BytesToSizeMB(expected - 6 - 1))
      << "the files below the root are the root's subfolder size, to the byte";
  ASSERT_EQ(stats.Types.size(), 3U);
  EXPECT_EQ(stats.Types[0].Extension, "txt");
  EXPECT_EQ(stats.Types[0].Files, 3U);
  EXPECT_EQ(stats.Types[1].Extension, "bin");
  EXPECT_EQ(stats.Types[2].Extension, "");
  EXPECT_EQ(Paths(stats), (std::vector<std::string>{disk / "c/d/e/deep.txt", disk / "a/big.BIN",
                                                    disk / "a/b/w.TXT"}));
  EXPECT_EQ(stats.Largest[0].Name(), "deep.txt");
  EXPECT_EQ(stats.Largest[0].Folder(), disk / "c/d/e/");
  EXPECT_NE(stats.Largest[0].Inode, 0U);
  EXPECT_NE(stats.Largest[0].FolderInode, 0U);
  EXPECT_GT(stats.Largest[0].Modified, 0);
}

TEST(FileStatsTest, EqualSizesAtTheCutAreKeptInByteOrderWhateverTheThreads) {
  test::TTempTree disk;
  for (int folder = 0; folder < 40; ++folder) {
    for (int file = 0; file < 25; ++file) {
      disk.Add("f" + std::to_string(folder) + "/s" + std::to_string(file) + "=7");
    }
  }
  disk.Add("f3/big=8");
  std::vector<std::string> all;
  for (int folder = 0; folder < 40; ++folder)
    for (int file = 0; file < 25; ++file)
      all.push_back(disk / ("f" + std::to_string(folder) + "/s" + std::to_string(file)));
  std::sort(all.begin(), all.end());
  std::vector<std::string> expected{disk / "f3/big"};
  expected.insert(expected.end(), all.begin(), all.begin() + 9);
  for (const int threads : {1, 8}) {
    EXPECT_EQ(Paths(ScanStats(disk.ScanPath(), 10, threads)), expected) << threads << " threads";
  }
  EXPECT_TRUE(ScanStats(disk.ScanPath(), 0).Largest.empty());
  EXPECT_EQ(ScanStats(disk.ScanPath(), 0).Files, 1001U) << "the types count without a list";
}

TEST(FileStatsTest, ALowerFolderListedLaterGivesWhatItsOwnScanGives) {
  test::TTempTree disk("top=1\nsub/a.log=10\nsub/x/b.log=20\nsub/x/y/c.dat=30\nsub/.no=5");
  TSizeTree tree;
  TScanContext context;
  ASSERT_TRUE(ScanIntoTree(tree, disk.ScanPath(), context));
  const TTreeFolders folders = TreeFoldersBelow(*tree.FindFolder(disk / "sub"));
  int reported = 0;
  const TFileStats later =
      CollectFileStats(folders, 100, nullptr, [&](std::int64_t done) { reported = int(done); });
  const TFileStats scanned = ScanStats(disk / "sub/", 100);
  EXPECT_EQ(later.Bytes, 60U);
  EXPECT_EQ(later.Bytes, scanned.Bytes);
  ASSERT_EQ(later.Largest.size(), 3U);
  EXPECT_EQ(later.Largest.front().Path, disk / "sub/x/y/c.dat");
  EXPECT_EQ(later.Types.size(), scanned.Types.size());
  EXPECT_GT(reported, 0);
  // A folder gone since the scan adds nothing; a cancel stops before anything is listed.
  test::RemoveTree(disk / "sub/x/y");
  EXPECT_EQ(CollectFileStats(folders, 100).Bytes, 30U);
  const std::atomic<bool> cancel{true};
  const TFileStats cancelled = CollectFileStats(folders, 100, &cancel);
  EXPECT_TRUE(cancelled.Cancelled);
  EXPECT_EQ(cancelled.Files, 0U);
}

}  // namespace
}  // namespace nubrix

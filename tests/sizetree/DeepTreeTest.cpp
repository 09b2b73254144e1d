// A tree far deeper than PATH_MAX and than any call stack would allow for recursion.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <sstream>
#include <string>

#include "cli/ScanReport.h"
#include "sizetree/ScanEngine.h"
#include "support/TempTree.h"

namespace nubrix {
namespace {

constexpr int kDepth = 20000;

// kDepth nested folders "d", each holding one file of 1 MB; built with descriptors because the
// paths soon pass PATH_MAX.
void BuildChain(const std::string& root) {
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0);
  for (int level = 0; level < kDepth; ++level) {
    ASSERT_EQ(mkdirat(fd, "d", 0755), 0) << level;
    const int file = openat(fd, "f", O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(file, 0);
    ASSERT_EQ(ftruncate(file, 1048576), 0);
    close(file);
    const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
    ASSERT_GE(fd, 0);
  }
  close(fd);
}

TEST(DeepTreeTest, WalkSizeFindSortAndFreeTwentyThousandLevels) {
  test::TTempTree disk;
  BuildChain(disk.Root());
  auto tree = std::make_unique<TSizeTree>();
  TScanContext context;
  ASSERT_TRUE(ScanIntoTree(*tree, disk.ScanPath(), context));
  EXPECT_EQ(context.State.FolderCount.load(), kDepth);

  TSizeFolder* root = tree->ScanRoot();
  EXPECT_EQ(root->OwnSize(), 10000);
  EXPECT_EQ(root->SubfolderSize(), SizeMB{kDepth - 1} * 10000) << "the deepest folder is empty";

  std::string deepest = disk.Root();
  for (int level = 0; level < kDepth; ++level) deepest += "/d";
  ASSERT_GT(deepest.size(), static_cast<std::size_t>(PATH_MAX));
  TSizeFolder* found = tree->FindFolder(deepest + "/");
  ASSERT_NE(found, root);
  EXPECT_EQ(found->Path(), deepest);
  EXPECT_EQ(found->ChildCount(), 0);
  EXPECT_EQ(found->ReadError(), 0);
  EXPECT_EQ(GetParent(found)->SubfolderSize(), 0);
  EXPECT_EQ(GetParent(found)->OwnSize(), 10000);

  for (TSizeFolder* folder = found; folder != &tree->TopFolder(); folder = GetParent(folder)) {
    SortChildrenByName(folder);
    SortChildrenBySize(folder);
  }
  std::ostringstream listing;
  WriteListing(listing, *root);
  const std::string lines = listing.str();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), kDepth + 1);
  tree.reset();  // freeing must not recurse either
}

}  // namespace
}  // namespace nubrix

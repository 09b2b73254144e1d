// The safe walk of the cleaners on real folders: order, what it never enters, cancelling, and
// the folders it could not read kept as data.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <map>

#include "platform/FolderWalker.h"
#include "support/TempTree.h"

namespace nubrix::platform {
namespace {

struct TVisit {
  std::string Path;
  int Depth;
};

std::vector<TVisit> Walk(const std::string& start, const TWalkOptions& options = {},
                         TWalkResult* result = nullptr) {
  std::vector<TVisit> visits;
  TWalkResult got = WalkFolderTree(start, options, [&](const TWalkFolder& folder) {
    visits.push_back({folder.Path, folder.Depth});
  });
  if (result != nullptr) *result = std::move(got);
  return visits;
}

std::vector<std::string> Paths(const std::vector<TVisit>& visits, const std::string& root) {
  std::vector<std::string> paths;
  for (const TVisit& visit : visits) paths.push_back(visit.Path.substr(root.size()));
  return paths;
}

TEST(FolderWalkerTest, ParentsFirstInListingOrderNeverThroughLinksOrDotFolders) {
  test::TTempTree other("target/inner/");
  test::TTempTree disk("a/b/c/\na/f=1\nz/\n.hidden/x/\n\xff\xfe/");
  symlink((other / "target").c_str(), (disk / "a/link").c_str());
  std::vector<TVisit> visits = Walk(disk.ScanPath());
  ASSERT_FALSE(visits.empty());
  EXPECT_EQ(visits.front().Path, disk.Root()) << "the start without its separator";
  EXPECT_EQ(visits.front().Depth, 0);
  std::vector<std::string> paths = Paths(visits, disk.Root());
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{"", "/a", "/a/b", "/a/b/c", "/z", "/\xff\xfe"}));
  for (std::size_t i = 1; i < visits.size(); ++i) {
    const std::string& path = visits[i].Path;
    const auto parent =
        std::find_if(visits.begin(), visits.begin() + static_cast<long>(i),
                     [&](const TVisit& v) { return v.Path == path.substr(0, path.rfind('/')); });
    EXPECT_NE(parent, visits.begin() + static_cast<long>(i)) << path << " before its parent";
    EXPECT_EQ(visits[i].Depth, parent->Depth + 1);
  }
  TWalkOptions dots;
  dots.EnterDotFolders = true;
  EXPECT_EQ(Walk(disk.Root(), dots).size(), visits.size() + 2);
}

TEST(FolderWalkerTest, EntriesComeWithTheirKinds) {
  test::TTempTree disk("dir/\nfile=3\npipe|\nlink->/nowhere");
  std::vector<TWalkEntry> entries;
  WalkFolderTree(disk.Root(), {}, [&](const TWalkFolder& folder) {
    if (folder.Depth == 0) entries = folder.Entries;
  });
  std::map<std::string, TEntryKind> kinds;
  for (const TWalkEntry& entry : entries) kinds[entry.Name] = entry.Kind;
  EXPECT_EQ(kinds, (std::map<std::string, TEntryKind>{{"dir", TEntryKind::Folder},
                                                      {"file", TEntryKind::File},
                                                      {"pipe", TEntryKind::Other},
                                                      {"link", TEntryKind::Link}}));
}

TEST(FolderWalkerTest, OtherMountsAndPseudoFileSystemsAreNotEntered) {
  TWalkResult result;
  EXPECT_TRUE(Walk("/proc", {}, &result).empty());
  ASSERT_EQ(result.Errors.size(), 1u);
  EXPECT_EQ(result.Errors.front().Error, EREMOTE);
  if (!test::CanMount()) GTEST_SKIP() << "mounting needs privileges";
  test::TTempTree other("inside/");
  test::TTempTree disk("bound/\ntmp/\nplain/");
  ASSERT_EQ(mount(other.Root().c_str(), (disk / "bound").c_str(), nullptr, MS_BIND, nullptr), 0);
  ASSERT_EQ(mount("nubrix-walk", (disk / "tmp").c_str(), "tmpfs", 0, "size=64k"), 0);
  mkdir((disk / "tmp/x").c_str(), 0755);
  std::vector<std::string> paths = Paths(Walk(disk.Root(), {}, &result), disk.Root());
  umount2((disk / "bound").c_str(), MNT_DETACH);
  umount2((disk / "tmp").c_str(), MNT_DETACH);
  EXPECT_EQ(paths, (std::vector<std::string>{"", "/plain"})) << "bind mounts neither";
  EXPECT_TRUE(result.Errors.empty()) << "a mount point is not an error";
}

TEST(FolderWalkerTest, CancellingStopsBetweenFolders) {
  test::TTempTree disk("a/\nb/\nc/\nd/");
  std::atomic<bool> cancel{false};
  TWalkOptions options;
  options.Cancel = &cancel;
  int visited = 0;
  const TWalkResult result = WalkFolderTree(disk.Root(), options, [&](const TWalkFolder&) {
    if (++visited == 2) cancel = true;
  });
  EXPECT_TRUE(result.Cancelled);
  EXPECT_EQ(visited, 2);
}

// Folders that could not be read stay in the result with their error, and the walk goes on.
TEST(FolderWalkerTest, UnreadableFoldersAreKeptWithTheirErrors) {
  test::TTempTree disk("locked/inner/\nopen/a/b/c/d/e/");
  TWalkResult result;
  if (geteuid() != 0) {
    chmod((disk / "locked").c_str(), 0);
    Walk(disk.Root(), {}, &result);
    chmod((disk / "locked").c_str(), 0755);
    ASSERT_EQ(result.Errors.size(), 1u);
    EXPECT_EQ(result.Errors.front().Path, disk / "locked");
    EXPECT_EQ(result.Errors.front().Error, EACCES);
  }
  // Out of descriptors half way down: the folders below are reported, the rest still walked.
  rlimit saved{};
  getrlimit(RLIMIT_NOFILE, &saved);
  int used = 0;
  for (int fd = 0; fd < 1024; ++fd) used += fcntl(fd, F_GETFD) != -1;
  rlimit tight = saved;
  tight.rlim_cur = static_cast<rlim_t>(used + 5);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  const std::vector<TVisit> visits = Walk(disk.Root(), {}, &result);
  setrlimit(RLIMIT_NOFILE, &saved);
  EXPECT_FALSE(result.Errors.empty());
  for (const TWalkError& error : result.Errors) EXPECT_EQ(error.Error, EMFILE) << error.Path;
  EXPECT_GE(visits.size(), 3u);
  EXPECT_EQ(result.Folders, static_cast<int>(visits.size()));
}

}  // namespace
}  // namespace nubrix::platform

// The trash on real folders: XDG_DATA_HOME points into the test's own folder before GLib starts.
#include "platform/Trash.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <regex>
#include <sstream>

#include "support/TempTree.h"

namespace nubrix::platform {

std::string gDataHome;  // set by main, before anything of GLib runs

namespace {

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool Exists(const std::string& path) {
  struct stat info{};
  return lstat(path.c_str(), &info) == 0;
}

std::string InfoOf(const std::string& name) { return Slurp(gDataHome + "/Trash/info/" + name + ".trashinfo"); }

TEST(TrashTest, FilesFoldersLinksAndOddNamesGoWithATrashInfo) {
  test::TTempTree disk("file.txt=10\nfolder/inner=5\ntarget=3\n\xff\xfe odd=1");
  symlink((disk / "target").c_str(), (disk / "link").c_str());
  symlink((disk / "gone").c_str(), (disk / "dangling").c_str());
  for (const char* name : {"file.txt", "folder", "link", "dangling", "\xff\xfe odd"}) {
    const TTrashResult result = MoveToTrash(disk / name);
    ASSERT_TRUE(result.Ok) << name << ": " << result.Error;
    EXPECT_FALSE(Exists(disk / name)) << name;
    EXPECT_TRUE(Exists(gDataHome + "/Trash/files/" + name)) << name;
  }
  EXPECT_TRUE(Exists(disk / "target")) << "a link goes, its target stays";
  struct stat info{};
  ASSERT_EQ(lstat((gDataHome + "/Trash/files/link").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  const std::string odd = InfoOf("\xff\xfe odd");
  EXPECT_NE(odd.find("[Trash Info]"), std::string::npos);
  EXPECT_NE(odd.find("Path=" + disk.Root() + "/%FF%FE%20odd"), std::string::npos) << odd;
  EXPECT_TRUE(std::regex_search(odd, std::regex("DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d"))) << odd;
}

TEST(TrashTest, WhereNoTrashCanTakeItNothingHappens) {
  if (!test::CanMount()) GTEST_SKIP() << "mounting needs privileges";
  test::TTempTree disk("m/");
  ASSERT_EQ(mount("nubrix-trash", (disk / "m").c_str(), "tmpfs", 0, "size=1m"), 0);
  std::ofstream(disk / "m/keep.txt") << "data";
  const TTrashResult result = MoveToTrash(disk / "m/keep.txt");
  EXPECT_FALSE(result.Ok);
  EXPECT_NE(result.Error.find(disk / "m/keep.txt"), std::string::npos) << result.Error;
  EXPECT_EQ(Slurp(disk / "m/keep.txt"), "data") << "never deleted in its place";
  umount2((disk / "m").c_str(), MNT_DETACH);
  EXPECT_FALSE(MoveToTrash(disk / "no-such-file").Ok);
}

TEST(TrashTest, EmptyingRemovesNothingOutsideTheTrash) {
  test::TTempTree outside("precious/keep=7\nprecious/sub/also=1");
  const std::string trash = gDataHome + "/Trash";
  mkdir(trash.c_str(), 0700);
  mkdir((trash + "/files").c_str(), 0700);
  mkdir((trash + "/info").c_str(), 0700);
  mkdir((trash + "/expunged").c_str(), 0700);
  symlink((outside / "precious").c_str(), (trash + "/files/link-to-precious").c_str());
  mkdir((trash + "/files/readonly").c_str(), 0755);
  mkdir((trash + "/files/readonly/deep").c_str(), 0755);
  std::ofstream(trash + "/files/readonly/deep/f") << "x";
  chmod((trash + "/files/readonly/deep").c_str(), 0555);
  chmod((trash + "/files/readonly").c_str(), 0555);
  std::ofstream(trash + "/info/orphan.trashinfo") << "[Trash Info]\n";
  std::ofstream(trash + "/expunged/old") << "x";
  std::ofstream(trash + "/directorysizes") << "1 2 x\n";
  bool bound = false;
  if (test::CanMount()) {
    mkdir((trash + "/files/mounted").c_str(), 0755);
    bound = mount((outside / "precious").c_str(), (trash + "/files/mounted").c_str(), nullptr, MS_BIND, nullptr) == 0;
  }
  const TEmptyResult result = EmptyAllTrash();
  ASSERT_FALSE(result.TrashFolders.empty());
  EXPECT_EQ(result.TrashFolders.front(), trash);
  EXPECT_TRUE(Exists(outside / "precious/keep")) << "a link's target is never touched";
  EXPECT_TRUE(Exists(outside / "precious/sub/also"));
  EXPECT_FALSE(Exists(trash + "/files/link-to-precious"));
  EXPECT_FALSE(Exists(trash + "/files/readonly")) << "read-only trees go too";
  EXPECT_FALSE(Exists(trash + "/info/orphan.trashinfo"));
  EXPECT_FALSE(Exists(trash + "/expunged/old"));
  EXPECT_FALSE(Exists(trash + "/directorysizes"));
  if (bound) {
    EXPECT_TRUE(Exists(trash + "/files/mounted/keep")) << "a mount point inside the trash is not entered";
    EXPECT_FALSE(result.Failures.empty());
    umount2((trash + "/files/mounted").c_str(), MNT_DETACH);
    rmdir((trash + "/files/mounted").c_str());
  }
}

TEST(TrashTest, RemovingADeepTreeNeedsNoDeepStack) {
  test::TTempTree disk("top/");
  int fd = open((disk / "top").c_str(), O_RDONLY | O_DIRECTORY);
  for (int i = 0; i < 5000; ++i) {
    mkdirat(fd, "d", 0755);
    const int next = openat(fd, "d", O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = next;
  }
  close(fd);
  const int top = open((disk / "top").c_str(), O_RDONLY | O_DIRECTORY);
  std::vector<std::string> failures;
  EXPECT_EQ(RemoveContents(top, failures, disk / "top"), 5000);
  close(top);
  EXPECT_TRUE(failures.empty());
  EXPECT_FALSE(Exists(disk / "top/d"));
}

}  // namespace
}  // namespace nubrix::platform

int main(int argc, char** argv) {
  // Before GLib reads it: the trash of these tests lives in their own folder.
  char pattern[] = "/tmp/nubrix-trash-home-XXXXXX";
  nubrix::platform::gDataHome = mkdtemp(pattern);
  setenv("XDG_DATA_HOME", nubrix::platform::gDataHome.c_str(), 1);
  testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  nubrix::test::RemoveTree(nubrix::platform::gDataHome);
  return result;
}

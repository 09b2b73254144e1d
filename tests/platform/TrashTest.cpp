// The trash on real folders: XDG_DATA_HOME points into the test's own folder before GLib starts.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <fstream>
#include <regex>
#include <sstream>

#include "platform/Trash.h"
#include "platform/TrashMove.h"
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
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

std::string InfoOf(const std::string& name) {
  return Slurp(gDataHome + "/Trash/info/" + name + ".trashinfo");
}

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
  struct stat info {};
  ASSERT_EQ(lstat((gDataHome + "/Trash/files/link").c_str(), &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  // The same name again in the same second gets a name of its own: a run never mixes them up.
  std::ofstream(disk / "file.txt") << "second";
  const TTrashResult second = MoveToTrash(disk / "file.txt");
  ASSERT_TRUE(second.Ok) << second.Error;
  EXPECT_EQ(second.TrashName, "file.2.txt");
  struct stat moved {};
  ASSERT_EQ(lstat((gDataHome + "/Trash/files/file.2.txt").c_str(), &moved), 0);
  EXPECT_EQ(second.ItemId, IdOf(moved)) << "the run knows the very item";
  const std::string odd = InfoOf("\xff\xfe odd");
  EXPECT_NE(odd.find("[Trash Info]"), std::string::npos);
  EXPECT_NE(odd.find("Path=" + disk.Root() + "/%FF%FE%20odd"), std::string::npos) << odd;
  EXPECT_TRUE(
      std::regex_search(odd, std::regex("DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d")))
      << odd;
}

TFileId IdAt(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return IdOf(info);
}

TEST(TrashTest, AMoveReplacesNothingAndTakesOnlyWhatWasListedWhereItWasListed) {
  test::TTempTree disk("a/lone.txt=4\nb/\na/empty/\na/refilled/\n");
  // An item in files/ without an info file (another program's, or half of an emptying).
  mkdir((gDataHome + "/Trash").c_str(), 0700);
  mkdir((gDataHome + "/Trash/files").c_str(), 0700);
  std::ofstream(gDataHome + "/Trash/files/lone.txt") << "orphan";
  const TTrashResult moved = MoveToTrash(disk / "a/lone.txt");
  ASSERT_TRUE(moved.Ok) << moved.Error;
  EXPECT_EQ(moved.TrashName, "lone.2.txt");
  EXPECT_EQ(Slurp(gDataHome + "/Trash/files/lone.txt"), "orphan");
  // The same file listed in a/, reached through another name in b/.
  std::ofstream(disk / "a/f") << "x";
  ASSERT_EQ(link((disk / "a/f").c_str(), (disk / "b/f").c_str()), 0);
  const TTrashResult elsewhere =
      MoveToTrash(TListedItem(disk / "b/f", IdAt(disk / "a"), IdAt(disk / "a/f")));
  EXPECT_FALSE(elsewhere.Ok);
  EXPECT_TRUE(Exists(disk / "b/f"));
  // A folder listed as empty that fills before the move, or in the last moment before it.
  TListedItem empty(disk / "a/empty", IdAt(disk / "a"), IdAt(disk / "a/empty"), true);
  std::ofstream(disk / "a/empty/new") << "x";
  EXPECT_NE(MoveToTrash(empty).Error.find("no longer an empty folder"), std::string::npos);
  TListedItem refilled(disk / "a/refilled", IdAt(disk / "a"), IdAt(disk / "a/refilled"), true);
  refilled.Guard = [&] {
    std::ofstream(disk / "a/refilled/late") << "x";
    return std::string();
  };
  EXPECT_NE(MoveToTrash(refilled).Error.find("filled while it was moved"), std::string::npos);
  EXPECT_TRUE(Exists(disk / "a/refilled/late"));
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

// A trash folder of the test's own, with files/, info/ and expunged/.
std::string MakeTrash(const std::string& path) {
  mkdir(path.c_str(), 0700);
  for (const char* sub : {"/files", "/info", "/expunged"}) mkdir((path + sub).c_str(), 0700);
  return path;
}

TEmptyResult EmptyHomeTrash(const TRemoveHooks* hooks = nullptr) {
  return EmptyTrash({{gDataHome, TTrashKind::Home}}, getuid(), hooks);
}

TEST(TrashTest, EmptyingRemovesNothingOutsideTheTrash) {
  test::TTempTree outside("precious/keep=7\nprecious/sub/also=1\nlocked/");
  const std::string trash = MakeTrash(gDataHome + "/Trash");
  symlink((outside / "precious").c_str(), (trash + "/files/link-to-precious").c_str());
  chmod((outside / "locked").c_str(), 0555);
  symlink((outside / "locked").c_str(), (trash + "/files/link-to-locked").c_str());
  mkdir((trash + "/files/readonly").c_str(), 0755);
  mkdir((trash + "/files/readonly/deep").c_str(), 0755);
  std::ofstream(trash + "/files/readonly/deep/f") << "x";
  chmod((trash + "/files/readonly/deep").c_str(), 0555);
  chmod((trash + "/files/readonly").c_str(), 0555);
  std::ofstream(trash + "/info/orphan.trashinfo") << "[Trash Info]\n";
  const struct timespec twoDaysAgo[2] = {{0, UTIME_OMIT}, {std::time(nullptr) - 172800, 0}};
  utimensat(AT_FDCWD, (trash + "/info/orphan.trashinfo").c_str(), twoDaysAgo, 0);
  // The info file of an item still on its way in: written first, the item follows.
  std::ofstream(trash + "/info/arriving.trashinfo") << "[Trash Info]\n";
  std::ofstream(trash + "/expunged/old") << "x";
  std::ofstream(trash + "/directorysizes") << "1 2 x\n";
  bool bound = false;
  if (test::CanMount()) {
    mkdir((trash + "/files/mounted").c_str(), 0755);
    std::ofstream(trash + "/info/mounted.trashinfo") << "[Trash Info]\n";
    bound = mount((outside / "precious").c_str(), (trash + "/files/mounted").c_str(), nullptr,
                  MS_BIND, nullptr) == 0;
  }
  const TEmptyResult result = EmptyHomeTrash();
  ASSERT_EQ(result.TrashFolders, std::vector<std::string>{trash});
  EXPECT_TRUE(Exists(outside / "precious/keep")) << "a link's target is never touched";
  EXPECT_TRUE(Exists(outside / "precious/sub/also"));
  struct stat locked {};
  ASSERT_EQ(stat((outside / "locked").c_str(), &locked), 0);
  EXPECT_EQ(locked.st_mode & 0777, 0555u) << "a link's target keeps its mode";
  chmod((outside / "locked").c_str(), 0755);
  EXPECT_FALSE(Exists(trash + "/files/link-to-precious"));
  EXPECT_FALSE(Exists(trash + "/files/readonly")) << "read-only trees go too";
  EXPECT_FALSE(Exists(trash + "/info/orphan.trashinfo"));
  EXPECT_TRUE(Exists(trash + "/info/arriving.trashinfo")) << "an item may still be on its way";
  unlink((trash + "/info/arriving.trashinfo").c_str());
  EXPECT_FALSE(Exists(trash + "/expunged/old"));
  EXPECT_FALSE(Exists(trash + "/directorysizes"));
  if (bound) {
    EXPECT_TRUE(Exists(trash + "/files/mounted/keep"))
        << "a mount point inside the trash is not entered";
    EXPECT_TRUE(Exists(trash + "/info/mounted.trashinfo")) << "an item that stayed keeps its info";
    EXPECT_FALSE(result.Failures.empty());
    umount2((trash + "/files/mounted").c_str(), MNT_DETACH);
    rmdir((trash + "/files/mounted").c_str());
    unlink((trash + "/info/mounted.trashinfo").c_str());
  }
}

// A file manager restores a trashed folder while the trash is emptied: it gets the whole folder
// or nothing of it, never what the walk had not reached yet.
TEST(TrashTest, ARestoreDuringTheEmptyingGetsTheWholeFolderOrNothing) {
  test::TTempTree documents("precious=5");
  const std::string trash = MakeTrash(gDataHome + "/Trash");
  test::TTempTree made("Project/README=3\nProject/src/f1.c=2\nProject/src/deep/g1=1\n");
  ASSERT_EQ(rename((made / "Project").c_str(), (trash + "/files/Project").c_str()), 0);
  std::ofstream(trash + "/info/Project.trashinfo")
      << "[Trash Info]\nPath=" << documents.Root() << "/Project\n";
  std::ofstream(trash + "/files/other") << "x";
  bool restored = false;
  bool raced = false;
  TRemoveHooks hooks;
  hooks.FolderEntered = [&](const std::string& shown) {
    if (raced || !shown.ends_with("/src/deep")) return;
    raced = true;
    restored = rename((trash + "/files/Project").c_str(), (documents / "Project").c_str()) == 0;
  };
  EmptyHomeTrash(&hooks);
  ASSERT_TRUE(raced) << "the restore was tried in the middle of the emptying";
  EXPECT_TRUE(Exists(documents / "precious"));
  if (restored) {
    EXPECT_TRUE(Exists(documents / "Project/README"));
    EXPECT_TRUE(Exists(documents / "Project/src/f1.c"));
  } else {
    EXPECT_FALSE(Exists(documents / "Project")) << "the restore found nothing to take";
  }
  EXPECT_FALSE(Exists(trash + "/files/other")) << "the rest of the trash is emptied";
  EXPECT_FALSE(Exists(trash + "/info/Project.trashinfo"));
}

TEST(TrashTest, WhatCouldNotBeDeletedWaitsInExpungedForTheNextEmptying) {
  const std::string trash = MakeTrash(gDataHome + "/Trash");
  mkdir((trash + "/files/stuck").c_str(), 0755);
  mkdir((trash + "/files/stuck/sub").c_str(), 0755);
  std::ofstream(trash + "/files/stuck/sub/a") << "x";
  std::ofstream(trash + "/info/stuck.trashinfo") << "[Trash Info]\n";
  TRemoveHooks hooks;
  // Something new lands in the folder each time it is emptied, so it cannot be removed now.
  bool landed = false;
  hooks.LeavingFolder = [&](const std::string& shown) {
    if (shown.ends_with("/expunged/stuck/sub"))
      landed = static_cast<bool>(std::ofstream(shown + "/late") << "x");
  };
  TEmptyResult result = EmptyHomeTrash(&hooks);
  ASSERT_TRUE(landed);
  EXPECT_FALSE(Exists(trash + "/files/stuck")) << "it left files/ before anything was deleted";
  EXPECT_FALSE(Exists(trash + "/info/stuck.trashinfo"));
  EXPECT_TRUE(Exists(trash + "/expunged/stuck/sub/late"));
  EXPECT_FALSE(result.Failures.empty());
  result = EmptyHomeTrash();
  EXPECT_FALSE(Exists(trash + "/expunged/stuck"));
  EXPECT_TRUE(result.Failures.empty());
}

// The trash folders of mounts come from the mount table handed in, so no test reaches a trash
// outside its own folder.
TEST(TrashTest, TrashFoldersOfMountsAreCheckedOnTheirDescriptors) {
  test::TTempTree disk(
      "usb/\nnfs/\nproc/\nshared-ok/.Trash/\nshared-loose/.Trash/\nlinked/\nelsewhere/\nloose/");
  const uid_t uid = getuid();
  const std::string id = std::to_string(uid);
  auto entry = [&](const char* name, const char* type) {
    TMountEntry mount;
    mount.MountPoint = disk / name;
    mount.FsType = type;
    return mount;
  };
  const std::vector<TMountEntry> mounts = {
      entry("usb", "vfat"),       entry("nfs", "nfs4"),          entry("proc", "proc"),
      entry("shared-ok", "ext4"), entry("shared-loose", "ext4"), entry("linked", "ext4"),
      entry("loose", "ext4")};
  const std::vector<TTrashFolder> candidates = TrashFolderCandidates(gDataHome, mounts, uid);
  ASSERT_EQ(candidates.size(), 1u + 2u * 5u) << "network and pseudo file systems are skipped";
  EXPECT_EQ(candidates.front().Path(uid), gDataHome + "/Trash");

  MakeTrash(disk / ("usb/.Trash-" + id));
  MakeTrash(disk / ("nfs/.Trash-" + id));
  chmod((disk / "shared-ok/.Trash").c_str(), 01777);
  MakeTrash(disk / ("shared-ok/.Trash/" + id));
  MakeTrash(disk / ("shared-loose/.Trash/" + id));  // .Trash without the sticky bit
  MakeTrash(disk / "elsewhere/t");
  symlink((disk / "elsewhere/t").c_str(), (disk / ("linked/.Trash-" + id)).c_str());
  MakeTrash(disk / ("loose/.Trash-" + id));
  chmod((disk / ("loose/.Trash-" + id)).c_str(), 0777);
  for (const std::string& trash :
       {disk / ("usb/.Trash-" + id), disk / ("nfs/.Trash-" + id), disk / ("shared-ok/.Trash/" + id),
        disk / ("shared-loose/.Trash/" + id), disk / "elsewhere/t",
        disk / ("loose/.Trash-" + id)}) {
    std::ofstream(trash + "/files/item") << "x";
  }
  std::vector<TTrashFolder> mountsOnly(candidates.begin() + 1, candidates.end());
  const TEmptyResult result = EmptyTrash(mountsOnly, uid);
  EXPECT_EQ(result.TrashFolders, (std::vector<std::string>{disk / ("usb/.Trash-" + id),
                                                           disk / ("shared-ok/.Trash/" + id)}));
  EXPECT_FALSE(Exists(disk / ("usb/.Trash-" + id + "/files/item")));
  EXPECT_FALSE(Exists(disk / ("shared-ok/.Trash/" + id + "/files/item")));
  EXPECT_TRUE(Exists(disk / ("nfs/.Trash-" + id + "/files/item"))) << "a network file system";
  EXPECT_TRUE(Exists(disk / ("shared-loose/.Trash/" + id + "/files/item")))
      << ".Trash without the sticky bit";
  EXPECT_TRUE(Exists(disk / "elsewhere/t/files/item")) << ".Trash-$uid that is a link";
  EXPECT_TRUE(Exists(disk / ("loose/.Trash-" + id + "/files/item"))) << "others may write it";
  EXPECT_LT(OpenTrashFolder({disk / "linked", TTrashKind::Private}, uid), 0) << "a link";
  EXPECT_EQ(OpenTrashFolder({disk / "loose", TTrashKind::Private}, uid), -EPERM);
  EXPECT_EQ(OpenTrashFolder({disk / "missing", TTrashKind::Private}, uid), -ENOENT);
  if (uid == 0) {
    // Someone else's trash folder, as only root can make it here.
    MakeTrash(disk / ("elsewhere/.Trash-" + id));
    ASSERT_EQ(chown((disk / ("elsewhere/.Trash-" + id)).c_str(), 12345, 12345), 0);
    EXPECT_EQ(OpenTrashFolder({disk / "elsewhere", TTrashKind::Private}, uid), -EPERM);
  }
}

TEST(TrashTest, ARemovalStopsWhereItIsWhenCancelled) {
  test::TTempTree disk("top/a/f1=1\ntop/a/f2=1\ntop/b/g1=1\ntop/b/g2=1\n");
  std::atomic<bool> cancel{false};
  TRemoveHooks hooks;
  hooks.Cancel = &cancel;
  hooks.FolderEntered = [&](const std::string&) { cancel = true; };
  const int top = open((disk / "top").c_str(), O_RDONLY | O_DIRECTORY);
  std::vector<std::string> failures;
  EXPECT_EQ(RemoveContents(top, failures, disk / "top", &hooks), 0)
      << "stopped in the first folder";
  close(top);
  EXPECT_TRUE(Exists(disk / "top/a") && Exists(disk / "top/b/g2"));
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
  EXPECT_EQ(RemoveContents(top, failures, disk / "top"), 0) << "folders are not counted";
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

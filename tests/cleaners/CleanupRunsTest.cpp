// Undo of cleanups: runs kept with where each item went, put back byte for byte, and every way
// an item can fail to come back (place taken, folder gone, link in its place, emptied, another
// item under the same trash name), on the test's own trash and database.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cleaners/Clean_Shortcuts.h"
#include "cleaners/CleanupRuns.h"
#include "cleaners/TempFiles.h"
#include "cli/CleanCommand.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "platform/TrashItems.h"
#include "platform/TrashMove.h"
#include "support/OtherUser.h"
#include "support/TempTree.h"

namespace nubrix {

extern std::string gCleanerDataHome;

namespace {

using platform::TRestoreStatus;

std::string Slurp(const std::string& path) {
  std::string text;
  platform::ReadWholeFile(path, text);
  return text;
}

using platform::Exists;

struct TCall {
  int Status;
  std::string Out;
  std::string Err;
};

class CleanupRunsTest : public testing::Test {
 protected:
  TCall Clean(const std::vector<std::string>& arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = RunClean(arguments, out, err, database_);
    return {status, out.str(), err.str()};
  }
  TRun LastRun() {
    const std::optional<TRun> run = TRunLog(database_).LastRun();
    EXPECT_TRUE(run);
    return run.value_or(TRun{});
  }
  // A run of its own over the given paths.
  TRun Trash(const std::vector<std::string>& paths, bool cancelled = false) {
    TCleanupRun run(database_, "test");
    for (const std::string& path : paths) {
      const platform::TTrashResult moved = run.Trash(platform::TListedItem(path));
      EXPECT_TRUE(moved.Ok) << moved.Error;
      EXPECT_FALSE(moved.TrashName.empty()) << "where " << path << " went is known";
    }
    EXPECT_EQ(run.Finish(cancelled).Error, "");
    return LastRun();
  }

  test::TTempTree home_{"AppData/"};
  std::string database_ = home_ / "AppData/Nubrix.db";
};

TEST_F(CleanupRunsTest, ATempFileCleanupComesBackByteForByteWithModesAndTimes) {
  test::TTempTree disk("keep.txt=10\nsub/");
  std::ofstream(disk / "a.tmp") << "first temp file";
  std::ofstream(disk / "sub/b.tmp") << std::string(5000, 'b');
  chmod((disk / "a.tmp").c_str(), 0640);
  const timespec times[2] = {{1'000'000'000, 0}, {1'200'000'000, 0}};
  utimensat(AT_FDCWD, (disk / "sub/b.tmp").c_str(), times, 0);
  struct stat before {};
  ASSERT_EQ(lstat((disk / "sub/b.tmp").c_str(), &before), 0);

  TCall call = Clean({"temp-files", "--mask", "*.tmp", "--trash", disk.Root()});
  ASSERT_EQ(call.Status, 0) << call.Err;
  ASSERT_FALSE(Exists(disk / "a.tmp"));
  call = Clean({"runs"});
  EXPECT_EQ(call.Status, 0);
  EXPECT_NE(call.Out.find("\t2\t5015\t2\tnubrix-clean temp-files --trash\n"), std::string::npos)
      << call.Out;

  call = Clean({"undo"});
  EXPECT_EQ(call.Status, 0) << call.Err;
  EXPECT_EQ(call.Out, (disk / "sub/b.tmp") + "\n" + (disk / "a.tmp") + "\n")
      << "the last moved comes back first";
  EXPECT_EQ(Slurp(disk / "a.tmp"), "first temp file");
  EXPECT_EQ(Slurp(disk / "sub/b.tmp"), std::string(5000, 'b'));
  struct stat after {};
  ASSERT_EQ(lstat((disk / "a.tmp").c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0640U);
  ASSERT_EQ(lstat((disk / "sub/b.tmp").c_str(), &after), 0);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_ino, before.st_ino) << "moved back, not copied";
  const std::vector<TRunSummary> runs = TRunLog(database_).Runs();
  ASSERT_EQ(runs.size(), 1U);
  EXPECT_TRUE(runs[0].Undone);
  EXPECT_EQ(CountInTrash(TRunLog(database_).Run(runs[0].Id).value_or(TRun{})), 0);
  EXPECT_FALSE(TRunLog(database_).LastRun()) << "an undone run is not the last one to undo";
  call = Clean({"undo"});
  EXPECT_EQ(call.Status, 1);
  EXPECT_NE(call.Err.find("no cleanup to undo"), std::string::npos);
}

TEST_F(CleanupRunsTest, APlaceTakenMeanwhileKeepsWhatIsThereAndTheItemInTheTrash) {
  test::TTempTree disk("x.log=3\ny.log=4\n");
  const TRun run = Trash({disk / "x.log", disk / "y.log"});
  std::ofstream(disk / "x.log") << "new content";
  const TUndoResult result = UndoRun(run, false);
  EXPECT_EQ(result.Restored, 1);
  ASSERT_EQ(result.Stayed.size(), 1U);
  EXPECT_EQ(result.Stayed[0].Path, disk / "x.log");
  EXPECT_EQ(result.Stayed[0].Status, TRestoreStatus::PlaceTaken);
  EXPECT_EQ(Slurp(disk / "x.log"), "new content") << "never overwritten";
  EXPECT_TRUE(platform::StillInTrash(TrashedItem(run.Items[0])));
  EXPECT_TRUE(Exists(disk / "y.log"));
  EXPECT_FALSE(Exists(run.Items[1].TrashFolder + "/info/" + run.Items[1].TrashName + ".trashinfo"))
      << "the info file of what came back is gone";
}

TEST_F(CleanupRunsTest, EmptiedItemsAndANameReusedByAnotherItemAreNotRestored) {
  test::TTempTree disk("one/same.txt=1\ntwo/same.txt=2\n");
  const TRun first = Trash({disk / "one/same.txt"});
  // Another program empties the trash; then another file takes the same name there.
  const std::string trashFolder = first.Items[0].TrashFolder;
  std::filesystem::remove(trashFolder + "/files/" + first.Items[0].TrashName);
  std::filesystem::remove(trashFolder + "/info/" + first.Items[0].TrashName + ".trashinfo");
  const TRun second = Trash({disk / "two/same.txt"});
  ASSERT_EQ(second.Items[0].TrashName, first.Items[0].TrashName) << "the name was free again";
  EXPECT_EQ(CountInTrash(first), 0);
  const TUndoResult result = UndoRun(first, false);
  EXPECT_EQ(result.Restored, 0);
  ASSERT_EQ(result.Stayed.size(), 1U);
  EXPECT_EQ(result.Stayed[0].Status, TRestoreStatus::LeftTrash);
  EXPECT_FALSE(Exists(disk / "one/same.txt")) << "the other file never lands in its place";
  EXPECT_EQ(CountInTrash(second), 1);
}

TEST_F(CleanupRunsTest, UndoTrustsNeitherAnotherFolderNorAnotherItemOfTheSameNames) {
  test::TTempTree disk("d/f.tmp=9\ne/g.tmp=3\n");
  const TRun first = Trash({disk / "d/f.tmp"});
  // The folder moved away and a new, real one made in its place.
  ASSERT_EQ(rename((disk / "d").c_str(), (disk / "d.old").c_str()), 0);
  ASSERT_EQ(mkdir((disk / "d").c_str(), 0755), 0);
  TUndoResult result = UndoRun(first, true);
  ASSERT_EQ(result.Stayed.size(), 1U);
  EXPECT_EQ(result.Stayed[0].Status, TRestoreStatus::FolderChanged);
  EXPECT_FALSE(Exists(disk / "d/f.tmp"));
  // A run kept without birth times whose trash name now holds another file, its info unchanged.
  TRun second = Trash({disk / "e/g.tmp"});
  second.Items[0].ItemBirth = 0;
  const std::string inTrash = second.Items[0].TrashFolder + "/files/" + second.Items[0].TrashName;
  std::ofstream(inTrash + ".new") << "another";  // made while the item still holds its inode
  ASSERT_EQ(rename((inTrash + ".new").c_str(), inTrash.c_str()), 0);
  result = UndoRun(second, false);
  ASSERT_EQ(result.Stayed.size(), 1U);
  EXPECT_EQ(result.Stayed[0].Status, TRestoreStatus::LeftTrash);
  EXPECT_FALSE(Exists(disk / "e/g.tmp"));
}

TEST_F(CleanupRunsTest, AFolderThatIsGoneIsMadeAgainOnlyWhenAsked) {
  test::TTempTree disk("deep/er/f.tmp=9\n");
  const TRun run = Trash({disk / "deep/er/f.tmp"});
  std::filesystem::remove_all(disk / "deep");
  EXPECT_EQ(MissingFolders(run), std::vector<std::string>{disk / "deep/er"});
  TUndoResult result = UndoRun(run, false);
  ASSERT_EQ(result.Stayed.size(), 1U);
  EXPECT_EQ(result.Stayed[0].Status, TRestoreStatus::ParentGone);
  EXPECT_FALSE(Exists(disk / "deep"));
  result = UndoRun(run, true);
  EXPECT_EQ(result.Restored, 1);
  EXPECT_TRUE(Exists(disk / "deep/er/f.tmp"));
}

TEST_F(CleanupRunsTest, AnItemIsForgottenOnlyWhenItsTrashSaysItIsGone) {
  test::TTempTree disk("a.tmp=3\nb.tmp=4\n");
  const TRun run = Trash({disk / "a.tmp", disk / "b.tmp"});
  const std::string trash = run.Items[0].TrashFolder;
  // The trash folder away for a moment: nothing is restored, nothing forgotten.
  ASSERT_EQ(rename(trash.c_str(), (trash + ".away").c_str()), 0);
  TUndoResult result = UndoRun(run, false);
  ASSERT_EQ(rename((trash + ".away").c_str(), trash.c_str()), 0);
  EXPECT_EQ(result.Restored, 0);
  EXPECT_TRUE(result.States.empty()) << "no item marked as gone";
  // An info file lost half way through an emptying: the item itself still comes back.
  ASSERT_EQ(unlink((trash + "/info/" + run.Items[1].TrashName + ".trashinfo").c_str()), 0);
  result = UndoRun(run, false);
  EXPECT_EQ(result.Restored, 2);
  EXPECT_TRUE(Exists(disk / "a.tmp") && Exists(disk / "b.tmp"));
}

TEST_F(CleanupRunsTest, ALinkStandingWhereTheFolderWasIsNeverFollowed) {
  test::TTempTree disk("d/f.tmp=9\nelsewhere/\n");
  const TRun run = Trash({disk / "d/f.tmp"});
  std::filesystem::remove(disk / "d");
  std::filesystem::create_directory_symlink(disk / "elsewhere", disk / "d");
  const TUndoResult result = UndoRun(run, true);
  EXPECT_EQ(result.Restored, 0);
  ASSERT_EQ(result.Stayed.size(), 1U);
  EXPECT_EQ(result.Stayed[0].Status, TRestoreStatus::FolderChanged);
  EXPECT_FALSE(Exists(disk / "elsewhere/f.tmp"));
}

TEST_F(CleanupRunsTest, EmptyFoldersComeBackParentsFirst) {
  test::TTempTree disk("a/b/c/\nfull/f=1\n");
  TCall call = Clean({"empty-folders", "--trash", disk.Root()});
  ASSERT_EQ(call.Status, 0) << call.Err;
  ASSERT_FALSE(Exists(disk / "a"));
  EXPECT_EQ(LastRun().Items.size(), 3U);
  EXPECT_TRUE(MissingFolders(LastRun()).empty()) << "the run brings its own folders back";
  call = Clean({"undo"});
  EXPECT_EQ(call.Status, 0) << call.Err;
  EXPECT_TRUE(Exists(disk / "a/b/c"));
}

TEST_F(CleanupRunsTest, ACancelledRunKeepsWhatWentAndCanBeUndone) {
  test::TTempTree disk("1.tmp=1\n2.tmp=2\n3.tmp=3\n");
  const TRun run = Trash({disk / "1.tmp", disk / "2.tmp"}, true);
  EXPECT_TRUE(run.Summary.Cancelled);
  EXPECT_EQ(run.Summary.Items, 2);
  EXPECT_EQ(run.Summary.Bytes, 3);
  EXPECT_EQ(UndoRun(run, false).Restored, 2);
  EXPECT_TRUE(Exists(disk / "1.tmp"));
  EXPECT_TRUE(Exists(disk / "2.tmp"));
}

TEST_F(CleanupRunsTest, AFolderMovedWithoutASizeIsCountedInTheTrashAfterwards) {
  test::TTempTree disk("big/a=1048576\nbig/sub/b=524288\nbig/.hidden=7\nsmall/c=10\nfile=5\n");
  TCleanupRun run(database_, "test");
  ASSERT_TRUE(run.Trash(platform::TListedItem(disk / "big")).Ok);
  ASSERT_TRUE(run.Trash(platform::TListedItem(disk / "small"), 1234).Ok);  // a size given is kept
  ASSERT_TRUE(run.Trash(platform::TListedItem(disk / "file")).Ok);
  EXPECT_TRUE(run.UnsizedFolders().InTrash.empty()) << "nothing is kept yet";
  ASSERT_EQ(run.Finish(false).Error, "");
  const TUnsizedFolders unsized = run.UnsizedFolders();
  ASSERT_EQ(unsized.InTrash.size(), 1U);
  EXPECT_EQ(unsized.InTrash[0].first, 0U);
  EXPECT_EQ(LastRun().Summary.Bytes, 1234 + 5) << "until counted, the folder counts nothing";
  const std::atomic<bool> cancelled{true};
  EXPECT_EQ(SizeUnsizedFolders(database_, unsized, &cancelled).Error, "");
  EXPECT_EQ(LastRun().Summary.Bytes, 1234 + 5) << "cancelled: nothing written";
  EXPECT_EQ(SizeUnsizedFolders(database_, unsized, nullptr).Error, "");
  const TRun counted = LastRun();
  ASSERT_EQ(counted.Items.size(), 3U);
  EXPECT_EQ(counted.Items[0].Size, 1572864) << "as a scan counts it: dot names left out";
  EXPECT_EQ(counted.Summary.Bytes, 1572864 + 1234 + 5);
  EXPECT_EQ(UndoRun(counted, false).Restored, 3);
  EXPECT_TRUE(Exists(disk / "big/sub/b"));
}

TEST_F(CleanupRunsTest, NamesThatAreNotUtf8ComeBack) {
  test::TTempTree disk("\xff\xfe odd.tmp=4\n\x80/inner.tmp=2\n");
  const TRun run = Trash({disk / "\xff\xfe odd.tmp", disk / "\x80/inner.tmp"});
  const TCall call = Clean({"undo", std::to_string(run.Summary.Id)});
  EXPECT_EQ(call.Status, 0) << call.Err;
  EXPECT_TRUE(Exists(disk / "\xff\xfe odd.tmp"));
  EXPECT_TRUE(Exists(disk / "\x80/inner.tmp"));
  EXPECT_NE(call.Out.find(disk / "\xff\xfe odd.tmp"), std::string::npos) << "raw bytes";
}

TEST_F(CleanupRunsTest, AnItemInTheTrashAtTheTopOfAMountComesBack) {
  // A trash as the desktop makes it at the top of a mount: paths relative to the top.
  test::TTempTree top("data/\n");
  const std::string trash = top / (".Trash-" + std::to_string(getuid()));
  std::filesystem::create_directories(trash + "/files");
  std::filesystem::create_directories(trash + "/info");
  std::ofstream(trash + "/files/rep.2.txt") << "report";
  std::ofstream(trash + "/info/rep.2.txt.trashinfo")
      << "[Trash Info]\nPath=data/rep.txt\nDeletionDate=2026-12-09T10:00:00\n";
  TRun run;
  run.Items.push_back({top / "data/rep.txt", 6, trash, "rep.2.txt"});
  EXPECT_EQ(CountInTrash(run), 1);
  EXPECT_EQ(UndoRun(run, false).Restored, 1);
  EXPECT_EQ(Slurp(top / "data/rep.txt"), "report");
  EXPECT_FALSE(Exists(trash + "/info/rep.2.txt.trashinfo"));
}

TEST_F(CleanupRunsTest, ARelativePathIsKeptAbsoluteSoItCanComeBack) {
  test::TTempTree disk("rel.tmp=3\n");
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(disk.Root());
  const TRun run = Trash({"rel.tmp"});
  std::filesystem::current_path(before);
  ASSERT_EQ(run.Items.size(), 1U);
  EXPECT_EQ(run.Items[0].Path, disk / "rel.tmp");
  EXPECT_EQ(UndoRun(run, false).Restored, 1);
  EXPECT_TRUE(Exists(disk / "rel.tmp"));
}

TEST_F(CleanupRunsTest, InfoFilesAreReadAsTheRulesSay) {
  const auto parse = [](std::string_view text) {
    return platform::ParseTrashInfo(text, "/mnt/top").value_or(platform::TTrashInfo{"-", "-"});
  };
  EXPECT_EQ(
      parse("[Trash Info]\nPath=/a/%FF%20b\nPath=/ignored\nDeletionDate=2026-01-02T03:04:05\n")
          .Path,
      "/a/\xff b");
  EXPECT_EQ(parse("[Trash Info]\r\nPath=rel/x\r\n").Path, "/mnt/top/rel/x");
  EXPECT_EQ(parse("[Other]\nPath=/x\n").Path, "-") << "only the [Trash Info] group";
  EXPECT_EQ(parse("[Trash Info]\nPath=/a%00b\n").Path, "-") << "no NUL in a path";
  EXPECT_EQ(parse("[Trash Info]\nPath=/a%4\n").Path, "-");
  EXPECT_EQ(platform::TopOfTrashFolder("/mnt/top/.Trash-1000"), "/mnt/top");
  EXPECT_EQ(platform::TopOfTrashFolder("/mnt/top/.Trash/1000"), "/mnt/top");
  EXPECT_EQ(platform::TopOfTrashFolder("/home/u/.local/share/Trash"), "");
}

TEST_F(CleanupRunsTest, WrongUndoCallsAndADamagedLog) {
  EXPECT_EQ(Clean({"undo", "x"}).Status, 2);
  EXPECT_EQ(Clean({"undo", "99"}).Status, 2);
  EXPECT_EQ(Clean({"runs", "extra"}).Status, 2);
  std::ofstream(database_, std::ios::binary) << std::string(4096, 'z');
  const TCall call = Clean({"runs"});
  EXPECT_EQ(call.Status, 0);
  EXPECT_NE(call.Err.find("set aside"), std::string::npos) << call.Err;
  EXPECT_EQ(call.Out, "");
}

// What a cleanup moved comes back only to the folder it came from, through no link, and only the
// very item: the faults below were each reproduced on real file systems.

#define SKIP_UNLESS_ROOT() \
  if (!test::CanActAsOtherUser()) GTEST_SKIP() << "acting as a second user needs root"

// A folder all users may write, as /tmp is, inside the test's own folder.
void MakeShared(const test::TTempTree& disk, const std::string& shared) {
  chmod(disk.Root().c_str(), 0755);
  mkdir(shared.c_str(), 01777);
  chmod(shared.c_str(), 01777);
}

TEST_F(CleanupRunsTest, UndoNeverFollowsALinkPutWhereAFolderOnTheWayWas) {
  SKIP_UNLESS_ROOT();
  test::TTempTree disk;
  const std::string shared = disk / "shared";
  MakeShared(disk, shared);
  ASSERT_TRUE(test::AsOtherUser([&] {
    return mkdir((shared + "/proj").c_str(), 0755) == 0 &&
           mkdir((shared + "/proj/sub").c_str(), 0755) == 0 &&
           mkdir((shared + "/somewhere").c_str(), 0755) == 0 &&
           mkdir((shared + "/somewhere/sub").c_str(), 0755) == 0 &&
           static_cast<bool>(std::ofstream(shared + "/proj/sub/f.tmp") << "root cleaned this");
  }));
  ASSERT_EQ(Clean({"temp-files", "--mask", "*.tmp", "--trash", shared + "/proj"}).Status, 0);
  // The owner of proj puts a link to a folder of its choice where proj was.
  ASSERT_TRUE(test::AsOtherUser([&] {
    return rename((shared + "/proj").c_str(), (shared + "/old").c_str()) == 0 &&
           symlink((shared + "/somewhere").c_str(), (shared + "/proj").c_str()) == 0;
  }));
  TCall call = Clean({"undo"});
  EXPECT_EQ(call.Status, 1);
  EXPECT_FALSE(Exists(shared + "/somewhere/sub/f.tmp")) << "never into the link's target";
  rmdir((shared + "/somewhere/sub").c_str());
  call = Clean({"undo", "--make-folders"});
  EXPECT_EQ(call.Status, 1);
  EXPECT_FALSE(Exists(shared + "/somewhere/sub")) << "no folder made inside the link's target";
  EXPECT_EQ(CountInTrash(LastRun()), 1) << "it waits in the trash";
}

TEST_F(CleanupRunsTest, UndoMakesNoFolderInsideAnotherUsersFolder) {
  SKIP_UNLESS_ROOT();
  test::TTempTree disk;
  const std::string shared = disk / "shared";
  MakeShared(disk, shared);
  test::TTempTree own("proj/sub/f.tmp=5\n");
  ASSERT_EQ(rename((own / "proj").c_str(), (shared + "/proj").c_str()), 0);
  ASSERT_EQ(Clean({"temp-files", "--mask", "*.tmp", "--trash", shared + "/proj"}).Status, 0);
  test::RemoveTree(shared + "/proj");
  // Another user makes a folder of the same name in the shared folder.
  ASSERT_TRUE(test::AsOtherUser([&] { return mkdir((shared + "/proj").c_str(), 0777) == 0; }));
  const TCall call = Clean({"undo", "--make-folders"});
  EXPECT_EQ(call.Status, 1);
  EXPECT_FALSE(Exists(shared + "/proj/sub")) << call.Err;
  EXPECT_EQ(CountInTrash(LastRun()), 1) << "it waits in the trash";
}

TEST_F(CleanupRunsTest, ATrashFolderAnotherUserMadeIsNeverUsedNorBelieved) {
  SKIP_UNLESS_ROOT();
  test::TTempTree disk("usb/");
  const test::TLoopMount usb(disk / "usb");
  if (!usb.Mounted()) GTEST_SKIP() << "no loop device to mount a file system of the test's own";
  const std::string top = disk / "usb";
  const std::string planted = top + "/.Trash/" + std::to_string(getuid());
  chmod(disk.Root().c_str(), 0755);
  mkdir((top + "/.Trash").c_str(), 01777);
  chmod((top + "/.Trash").c_str(), 01777);
  mkdir((top + "/data").c_str(), 0755);
  std::ofstream(top + "/data/f.tmp") << "ours";
  ASSERT_TRUE(test::AsOtherUser([&] {
    return mkdir(planted.c_str(), 0700) == 0 && mkdir((planted + "/files").c_str(), 0700) == 0 &&
           mkdir((planted + "/info").c_str(), 0700) == 0 &&
           static_cast<bool>(std::ofstream(planted + "/files/f.tmp") << "planted") &&
           static_cast<bool>(
               std::ofstream(planted + "/info/f.tmp.trashinfo")
               << "[Trash Info]\nPath=data/f.tmp\nDeletionDate=9999-12-31T23:59:59\n");
  }));
  ASSERT_EQ(Clean({"temp-files", "--mask", "*.tmp", "--trash", top + "/data"}).Status, 0);
  const TRun run = LastRun();
  ASSERT_EQ(run.Items.size(), 1U);
  EXPECT_EQ(run.Items[0].TrashFolder, top + "/.Trash-" + std::to_string(getuid()));
  const TCall call = Clean({"undo"});
  EXPECT_EQ(call.Status, 0) << call.Err;
  EXPECT_EQ(Slurp(top + "/data/f.tmp"), "ours");
  EXPECT_TRUE(Exists(planted + "/files/f.tmp")) << "what another user put there stays there";
}

TEST_F(CleanupRunsTest, AFolderGivenWithDotDotAfterALinkIsCleanedAsTheKernelReadsIt) {
  test::TTempTree disk(
      "real/inner/\nreal/data/x.tmp=1\ntop/data/x.tmp=2\nreal/dirs/empty/\ntop/dirs/empty/"
      "photo.jpg=5\n");
  symlink((disk / "real/inner").c_str(), (disk / "top/link").c_str());
  TCall call = Clean({"temp-files", "--mask", "*.tmp", "--trash", disk / "top/link/../data"});
  EXPECT_EQ(call.Status, 0) << call.Err;
  EXPECT_EQ(call.Out, "1\t" + disk / "real/data/x.tmp" + "\n");
  EXPECT_FALSE(Exists(disk / "real/data/x.tmp"));
  EXPECT_TRUE(Exists(disk / "top/data/x.tmp")) << "the text's reading is never used";
  call = Clean({"empty-folders", "--trash", disk / "top/link/../dirs"});
  EXPECT_EQ(call.Status, 0) << call.Err;
  EXPECT_FALSE(Exists(disk / "real/dirs/empty"));
  EXPECT_TRUE(Exists(disk / "top/dirs/empty/photo.jpg"));
}

TEST_F(CleanupRunsTest, WhatChangedBetweenListingAndMovingStays) {
  SKIP_UNLESS_ROOT();
  test::TTempTree disk("victim/x.tmp=3\nlist/empty/\n");
  const std::string shared = disk / "shared";
  MakeShared(disk, shared);
  ASSERT_TRUE(test::AsOtherUser([&] {
    return mkdir((shared + "/proj").c_str(), 0755) == 0 &&
           static_cast<bool>(std::ofstream(shared + "/proj/x.tmp") << "x");
  }));
  std::vector<TTempTreeData> rows;
  SearchTempFilesInFolder(shared + "/proj", {"*.tmp"}, rows);
  ASSERT_EQ(rows.size(), 1U);
  // Listed, then the folder is swapped for a link to a folder of someone else.
  ASSERT_TRUE(test::AsOtherUser([&] {
    return rename((shared + "/proj").c_str(), (shared + "/old").c_str()) == 0 &&
           symlink((disk / "victim").c_str(), (shared + "/proj").c_str()) == 0;
  }));
  TCleanupRun run(database_, "test");
  const platform::TTrashResult moved = run.Trash(ListedTempFile(rows[0]));
  EXPECT_FALSE(moved.Ok);
  EXPECT_NE(moved.Error.find("left where it is"), std::string::npos) << moved.Error;
  EXPECT_TRUE(Exists(disk / "victim/x.tmp"));
  // A folder listed as empty that is not empty any more.
  std::vector<TShortcutRow> found;
  struct TCollect : IShortcutRows {
    explicit TCollect(std::vector<TShortcutRow>& rows) : Rows(rows) {}
    void Clear() override { Rows.clear(); }
    void Add(const TShortcutRow& row) override { Rows.push_back(row); }
    std::vector<TShortcutRow>& Rows;
  } collect(found);
  TCleanShortcut().ListEmptyFolders(disk / "list", collect);
  ASSERT_EQ(found.size(), 1U);
  std::ofstream(disk / "list/empty/new.txt") << "arrived";
  EXPECT_FALSE(run.Trash(found[0].Listed()).Ok);
  EXPECT_EQ(Slurp(disk / "list/empty/new.txt"), "arrived");
}

TEST_F(CleanupRunsTest, AnUndoThatCouldNotFinishIsContinuedNotSkipped) {
  test::TTempTree disk("a/one.tmp=1\nb/two.tmp=2\nb/keep/three.tmp=3\n");
  ASSERT_EQ(Clean({"temp-files", "--mask", "one.tmp", "--trash", disk / "a"}).Status, 0);
  ASSERT_EQ(Clean({"temp-files", "--mask", "t*.tmp", "--trash", disk / "b"}).Status, 0);
  std::filesystem::remove_all(disk / "b/keep");
  TCall call = Clean({"undo"});
  EXPECT_EQ(call.Status, 1);
  EXPECT_EQ(call.Out, disk / "b/two.tmp" + "\n");
  EXPECT_NE(Clean({"runs"}).Out.find("(partly restored (1 of 2))"), std::string::npos);
  call = Clean({"undo", "--make-folders"});
  EXPECT_EQ(call.Status, 0) << call.Err;
  EXPECT_EQ(call.Out, disk / "b/keep/three.tmp" + "\n") << "the same run, only what was left";
  EXPECT_FALSE(Exists(disk / "a/one.tmp")) << "an older cleanup is not put back unasked";
  EXPECT_NE(Clean({"runs"}).Out.find("--trash (restored)"), std::string::npos);
}

TEST_F(CleanupRunsTest, OnlyTheVeryItemARunMovedComesBack) {
  test::TTempTree disk;
  // The same path cleaned twice in one second: each run gets its own item back.
  std::ofstream(disk / "s.tmp") << "first";
  ASSERT_EQ(Clean({"temp-files", "--mask", "*.tmp", "--trash", disk.Root()}).Status, 0);
  std::ofstream(disk / "s.tmp") << "second";
  ASSERT_EQ(Clean({"temp-files", "--mask", "*.tmp", "--trash", disk.Root()}).Status, 0);
  ASSERT_EQ(Clean({"undo"}).Status, 0);
  EXPECT_EQ(Slurp(disk / "s.tmp"), "second");
  std::filesystem::remove(disk / "s.tmp");
  ASSERT_EQ(Clean({"undo"}).Status, 0);
  EXPECT_EQ(Slurp(disk / "s.tmp"), "first");
  // The trash emptied, then the same path trashed by another program under the same name.
  std::ofstream(disk / "r.tmp") << "mine";
  ASSERT_EQ(Clean({"temp-files", "--mask", "r.tmp", "--trash", disk.Root()}).Status, 0);
  platform::EmptyTrash({{gCleanerDataHome, platform::TTrashKind::Home}}, getuid());
  std::ofstream(disk / "r.tmp") << "not ours";
  ASSERT_EQ(platform::MoveToTrash(disk / "r.tmp").TrashName, "r.tmp");
  const TCall call = Clean({"undo"});
  EXPECT_EQ(call.Status, 1);
  EXPECT_FALSE(Exists(disk / "r.tmp")) << "a file the run never moved stays in the trash";
  EXPECT_FALSE(TRunLog(database_).LastRun()) << "what left the trash is settled";
}

TEST_F(CleanupRunsTest, ACleanupThatCannotBeKeptForUndoFails) {
  test::TTempTree disk("x.tmp=1\ne/\n");
  mkdir(database_.c_str(), 0755);  // a folder where the database should be
  TCall call = Clean({"temp-files", "--mask", "*.tmp", "--trash", disk.Root()});
  EXPECT_EQ(call.Status, 1);
  EXPECT_NE(call.Err.find("cannot be undone"), std::string::npos) << call.Err;
  EXPECT_FALSE(Exists(disk / "x.tmp")) << "the cleanup itself went through";
  call = Clean({"empty-folders", "--trash", disk.Root()});
  EXPECT_EQ(call.Status, 1);
}

}  // namespace
}  // namespace nubrix

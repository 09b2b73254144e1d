// nubrix-clean as scripts use it: the lines, the exit status, the trash of the test's own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>

#include "cli/CleanCommand.h"
#include "support/TempTree.h"

namespace nubrix {

extern std::string gCleanerDataHome;

namespace {

struct TRun {
  int Status;
  std::string Out;
  std::string Err;
};

TRun Clean(const std::vector<std::string>& arguments) {
  std::ostringstream out;
  std::ostringstream err;
  const int status = RunClean(arguments, out, err, gCleanerDataHome + "/AppData/Nubrix.db");
  return {status, out.str(), err.str()};
}

bool Exists(const std::string& path) {
  struct stat info {};
  return lstat(path.c_str(), &info) == 0;
}

TEST(CleanCommandTest, ShortcutLinesInThePagesOrder) {
  test::TTempTree disk("sub/");
  std::ofstream(disk / "ok.desktop") << "[Desktop Entry]\nType=Application\nExec=/bin/sh\n";
  std::ofstream(disk / "sub/bad.desktop")
      << "[Desktop Entry]\nType=Application\nExec=/opt/none/app\n";
  const TRun run = Clean({"shortcuts", disk.Root() + "/"});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "OK\t/bin/sh\t" + (disk / "ok.desktop") + "\nBroken\t/opt/none/app\t" +
                         (disk / "sub/bad.desktop") + "\n");
  EXPECT_EQ(run.Err, "");
}

TEST(CleanCommandTest, EmptyFoldersListedThenTrashed) {
  test::TTempTree disk("A/B/\nC/\nfull/f=1");
  TRun run = Clean({"empty-folders", disk.Root()});
  EXPECT_EQ(run.Status, 0);
  std::istringstream lines(run.Out);
  std::vector<std::string> listed;
  for (std::string line; std::getline(lines, line);) listed.push_back(line);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, (std::vector<std::string>{disk / "A/B", disk / "C"}));
  EXPECT_TRUE(Exists(disk / "A/B")) << "listing moves nothing";
  run = Clean({"empty-folders", "--trash", disk.Root()});
  EXPECT_EQ(run.Status, 0);
  EXPECT_FALSE(Exists(disk / "A"));
  EXPECT_FALSE(Exists(disk / "C"));
  EXPECT_TRUE(Exists(disk / "full/f"));
  EXPECT_TRUE(Exists(gCleanerDataHome + "/Trash/files/B"));
}

TEST(CleanCommandTest, TempFilesListsThePagesRowsAndTrashesEachFileOnce) {
  test::TTempTree disk("a.tmp=5\nsub/b.tmp=7\nsub/c.bak=9\n.d.tmp=1\nx.tmp/\nsub/.git/e.tmp=3");
  TRun run = Clean({"temp-files", "--mask", "*.tmp", "--mask", "*.bak", disk.Root()});
  EXPECT_EQ(run.Status, 0);
  EXPECT_EQ(run.Out, "5\t" + (disk / "a.tmp") + "\n7\t" + (disk / "sub/b.tmp") + "\n9\t" +
                         (disk / "sub/c.bak") + "\n")
      << "the root's files, then its folders' in the scan's order; dot names and folders left out";
  std::ofstream(disk / "t.tpl") << "[tmpList]\n*.BAK=backups\n";
  run = Clean({"temp-files", "--template", disk / "t.tpl", disk.Root()});
  EXPECT_EQ(run.Out, "9\t" + (disk / "sub/c.bak") + "\n") << "the template's masks, case ignored";
  run = Clean({"temp-files", "--mask", "*.tmp", "--mask", "a.*", "--trash", disk.Root()});
  EXPECT_EQ(run.Status, 0) << run.Err;
  EXPECT_EQ(run.Out, "5\t" + (disk / "a.tmp") + "\n5\t" + (disk / "a.tmp") + "\n7\t" +
                         (disk / "sub/b.tmp") + "\n")
      << "a folder's rows in mask order";
  EXPECT_FALSE(Exists(disk / "a.tmp"));
  EXPECT_FALSE(Exists(disk / "sub/b.tmp"));
  EXPECT_TRUE(Exists(disk / "sub/c.bak"));
  EXPECT_TRUE(Exists(gCleanerDataHome + "/Trash/files/a.tmp"));
}

TEST(CleanCommandTest, WrongCallsAndUnreadableFolders) {
  for (const std::vector<std::string>& arguments : {std::vector<std::string>{},
                                                    {"shortcuts"},
                                                    {"shortcuts", "--trash", "/tmp"},
                                                    {"temp"},
                                                    {"empty-folders", "--trash"},
                                                    {"empty-folders", "-x", "/tmp"}}) {
    const TRun run = Clean(arguments);
    EXPECT_EQ(run.Status, 2) << arguments.size();
    EXPECT_EQ(run.Out, "");
    EXPECT_NE(run.Err.find("usage: nubrix-clean"), std::string::npos);
  }
  const TRun root = Clean({"empty-folders", "--trash", "/"});
  EXPECT_EQ(root.Status, 2);
  EXPECT_EQ(root.Err,
            "nubrix-clean: Empty folders are not looked for below the root folder /: "
            "choose a folder below it.\n");
  const TRun missing = Clean({"shortcuts", "/no/such/folder"});
  EXPECT_EQ(missing.Status, 2);
  EXPECT_EQ(missing.Out, "");
  EXPECT_NE(missing.Err.find("/no/such/folder"), std::string::npos);
}

}  // namespace
}  // namespace nubrix

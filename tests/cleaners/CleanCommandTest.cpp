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
  const int status = RunClean(arguments, out, err);
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
  const TRun missing = Clean({"shortcuts", "/no/such/folder"});
  EXPECT_EQ(missing.Status, 2);
  EXPECT_EQ(missing.Out, "");
  EXPECT_NE(missing.Err.find("/no/such/folder"), std::string::npos);
}

}  // namespace
}  // namespace nubrix

// The INI rules on real files, odd input included.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "settings/IniStuff.h"
#include "support/TempTree.h"

namespace nubrix {
namespace {

class IniStuffTest : public testing::Test {
 protected:
  std::string Write(const std::string& text) {
    std::ofstream(file_, std::ios::binary) << text;
    return file_;
  }
  std::string Read() const {
    std::ifstream in(file_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  test::TTempTree dir_;
  std::string file_ = dir_ / "Nubrix.ini";
};

TEST_F(IniStuffTest, NamesWithoutCaseFirstDuplicateWinsDefaultsForTheRest) {
  TIniFile ini(Write("[Switches]\nSort=1\nsort=2\n[switches]\nToggle3D=0\n[Other]\nx=5\n"));
  EXPECT_EQ(ini.ReadInteger("SWITCHES", "SORT", 9), 1);
  EXPECT_EQ(ini.ReadInteger("Switches", "Toggle3D", 7), 7)
      << "a second section of that name is not read";
  EXPECT_EQ(ini.ReadInteger("Missing", "x", 3), 3);
  EXPECT_EQ(ini.ReadInteger("Other", "y", 4), 4);
  EXPECT_EQ(ini.ReadString("Other", "x", "d"), "5");
  TIniFile missing(dir_ / "not-there.ini");
  EXPECT_EQ(missing.ReadString("a", "b", "fallback"), "fallback");
}

TEST_F(IniStuffTest, ValuesAreTrimmedUnquotedOnceAndCutAt2047) {
  const std::string longValue(5000, 'v');
  TIniFile ini(
      Write("[s]\n  key  =  spaced value \t\nq=\"quoted\"\nqq=\"\"inner\"\"\nhalf=\"open\nlong=" +
            longValue + "\nempty=\n"));
  EXPECT_EQ(ini.ReadString("s", "key", ""), "spaced value");
  EXPECT_EQ(ini.ReadString("s", "q", ""), "quoted");
  EXPECT_EQ(ini.ReadString("s", "qq", ""), "\"inner\"");
  EXPECT_EQ(ini.ReadString("s", "half", ""), "\"open");
  EXPECT_EQ(ini.ReadString("s", "long", "").size(), kMaxIniString);
  EXPECT_EQ(ini.ReadString("s", "empty", "d"), "");
}

TEST_F(IniStuffTest, IntegersDecimalHexadecimalOrTheDefault) {
  const std::pair<const char*, std::int32_t> cases[] = {
      {"257", 257}, {"0x1F", 31},       {"0XfF", 255},       {"-12", -12},
      {"+7", 7},    {"0xFFFFFFFF", -1}, {"yes", -99},        {"12abc", -99},
      {"", -99},    {"0x", -99},        {"2147483648", -99}, {"-2147483648", INT32_MIN},
      {" 42 ", 42}};
  std::string text = "[n]\n";
  for (std::size_t i = 0; i < std::size(cases); ++i)
    text += "k" + std::to_string(i) + "=" + cases[i].first + "\n";
  TIniFile ini(Write(text));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(ini.ReadInteger("n", "k" + std::to_string(i), -99), cases[i].second)
        << cases[i].first;
  }
  EXPECT_TRUE(ini.ReadBool("n", "k0", false));
  EXPECT_FALSE(TIniFile(Write("[b]\nv=0\n")).ReadBool("b", "v", true));
  EXPECT_TRUE(TIniFile(Write("[b]\nv=2\n")).ReadBool("b", "v", false)) << "any value but 0 is true";
  EXPECT_FALSE(TIniFile(Write("[b]\nv=yes\n")).ReadBool("b", "v", false))
      << "a non-number is the default";
}

TEST_F(IniStuffTest, WritingKeepsEveryOtherLineAndAppendsAtTheSectionEnd) {
  const std::string original =
      "; my comment\r\n[Bounds]\r\nleft=1\r\nno equals sign "
      "here\r\n\r\n[Switches]\r\nSort=0\r\n\r\n; tail\r\n";
  TIniFile ini(Write(original));
  ini.WriteInteger("bounds", "LEFT", 5);
  ini.WriteInteger("Bounds", "width", 900);
  ini.WriteString("New", "k", "v");
  ini.UpdateFile();
  EXPECT_EQ(Read(),
            "; my comment\r\n[Bounds]\r\nleft=5\r\nno equals sign "
            "here\r\nwidth=900\r\n\r\n[Switches]\r\nSort=0\r\n"
            "\r\n; tail\r\n[New]\r\nk=v\r\n");
  TIniFile again(file_);
  again.DeleteKey("Switches", "sort");
  again.UpdateFile();
  EXPECT_EQ(Read().find("Sort=0"), std::string::npos);
  EXPECT_NE(Read().find("[Switches]\r\n\r\n; tail"), std::string::npos)
      << "only the key's line goes";
}

TEST_F(IniStuffTest, ByteOrderMarkLineEndsAndJunkSurvive) {
  std::string junk("\x00\x01\xff\xfe garbage \x80\n", 15);
  TIniFile ini(Write("\xEF\xBB\xBF[Page]\nTabSheet=3\n" + junk +
                     "[LastDir]\nStart with=/home/\xff\xfe\nlast=1"));
  EXPECT_EQ(ini.ReadInteger("Page", "TabSheet", 0), 3)
      << "the mark does not hide the first section";
  EXPECT_EQ(ini.ReadString("LastDir", "Start with", ""), "/home/\xff\xfe");
  EXPECT_EQ(ini.ReadInteger("LastDir", "last", 0), 1) << "a last line without a line end";
  ini.WriteInteger("LastDir", "added", 2);
  ini.UpdateFile();
  EXPECT_EQ(Read(), "\xEF\xBB\xBF[Page]\nTabSheet=3\n" + junk +
                        "[LastDir]\nStart with=/home/\xff\xfe\nlast=1\nadded=2\n");
}

TEST_F(IniStuffTest, IniWriteStringMovesTheKeyToTheEndOfItsSection) {
  Write("[HistoryCombo]\ncount=2\n0=/a/\n1=/b/\n[Next]\nx=1\n");
  IniWriteString(file_, "HistoryCombo", "0", "/c/");
  IniWriteInteger(file_, "HistoryCombo", "count", 3);
  EXPECT_EQ(Read(), "[HistoryCombo]\ncount=3\n1=/b/\n0=/c/\n[Next]\nx=1\n");
  const std::string fresh = dir_ / "sub/fresh.ini";
  IniWriteString(fresh, "S", "k", "v");
  EXPECT_EQ(TIniFile(fresh).ReadString("S", "k", ""), "v") << "folder and file made on the way";
}

TEST_F(IniStuffTest, ReadOnlyFileIsRefusedAndLeftWhole) {
  Write("[a]\nb=1\n");
  chmod(file_.c_str(), 0444);
  TIniFile ini(file_);
  ini.WriteInteger("a", "b", 2);
  try {
    ini.UpdateFile();
    ADD_FAILURE() << "no error";
  } catch (const TIniWriteError& error) {
    EXPECT_EQ(std::string(error.what()), "Unable to write to " + file_);
  }
  EXPECT_EQ(Read(), "[a]\nb=1\n");
  chmod(file_.c_str(), 0644);
}

TEST_F(IniStuffTest, UnreadableFileReadsAsEmptyForAnUnprivilegedUser) {
  Write("[a]\nb=1\n");
  chmod(file_.c_str(), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(3);
    _exit(TIniFile(file_).ReadInteger("a", "b", 7) == 7 ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  chmod(file_.c_str(), 0644);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(IniStuffTest, LineBreaksNeverReachTheFile) {
  Write("[s]\nk=old\n");
  TIniFile ini(file_);
  EXPECT_FALSE(ini.WriteString("s", "k", "new\ninjected=1"));
  EXPECT_FALSE(ini.WriteString("s", "k\r", "v"));
  EXPECT_FALSE(ini.WriteString("s]\n[t", "k", "v"));
  EXPECT_EQ(ini.Text(), "[s]\nk=old\n");
  EXPECT_TRUE(ini.WriteString("s", "k", "new"));
}

TEST_F(IniStuffTest, EnsureCreatesMissingParentsAndTellsWhatItCouldNotCreate) {
  const std::string deep = dir_ / "no/such/config/Nubrix/AppData/x.ini";
  EXPECT_TRUE(EnsureIniFile(deep));
  EXPECT_TRUE(std::ifstream(deep).good());
  std::vector<std::string> told;
  const std::string blocked = dir_ / "no/such/config/Nubrix/AppData/x.ini/inside.ini";
  EXPECT_THROW(EnsureIniFile(blocked, [&](const std::string& m) { told.push_back(m); }),
               TIniCreateError)
      << "a file stands where the folder would go";
  if (!test::CanMount()) GTEST_SKIP() << "a read-only mount needs privileges";
  const std::string folder = dir_ / "ro";
  mkdir(folder.c_str(), 0755);
  ASSERT_EQ(mount("nubrix-ro", folder.c_str(), "tmpfs", 0, "size=64k"), 0);
  ASSERT_EQ(mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
  EXPECT_FALSE(EnsureIniFile(folder + "/x.ini", [&](const std::string& m) { told.push_back(m); }));
  umount2(folder.c_str(), MNT_DETACH);
  EXPECT_EQ(told, std::vector<std::string>{"Could not create " + folder + "/x.ini"});
}

TEST_F(IniStuffTest, ReadOnlyFolderGivesTheErrorText) {
  if (!test::CanMount()) GTEST_SKIP() << "a read-only mount needs privileges";
  const std::string folder = dir_ / "ro";
  mkdir(folder.c_str(), 0755);
  ASSERT_EQ(mount("nubrix-ro", folder.c_str(), "tmpfs", MS_RDONLY, "size=64k"), 0);
  const std::string inside = folder + "/Nubrix.ini";
  TIniFile ini(inside);
  ini.WriteInteger("a", "b", 1);
  EXPECT_THROW(ini.UpdateFile(), TIniWriteError);
  EXPECT_THROW(EnsureIniFile(folder + "/AppData/x.ini"), TIniCreateError);
  umount2(folder.c_str(), MNT_DETACH);
}

TEST_F(IniStuffTest, FullDiskLeavesTheOldFileWhole) {
  // A file-size limit stands in for a full disk: every write past it fails.
  const std::string original = "[keep]\nthis=whole\n";
  Write(original);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{64, 64};
    setrlimit(RLIMIT_FSIZE, &limit);
    TIniFile ini(file_);
    ini.WriteString("big", "value", std::string(4096, 'x'));
    try {
      ini.UpdateFile();
    } catch (const TIniWriteError&) {
      _exit(0);
    }
    _exit(1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was not reported";
  EXPECT_EQ(Read(), original);
  // No temporary file is left behind.
  EXPECT_EQ(std::system(("test $(ls -A " + dir_.Root() + " | wc -l) -eq 1").c_str()), 0);
}

}  // namespace
}  // namespace nubrix

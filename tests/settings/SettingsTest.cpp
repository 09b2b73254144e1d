#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "settings/Settings.h"
#include "support/TempTree.h"

namespace nubrix {
namespace {

TEST(SettingsTest, DefaultsOfAFirstRun) {
  test::TTempTree dir;
  const TWindowSettings s = ReadSettings(TIniFile(dir / "none.ini"));
  EXPECT_EQ(s.Left, 100);
  EXPECT_EQ(s.Top, 50);
  EXPECT_EQ(s.Width, 900);
  EXPECT_EQ(s.Height, 600);
  EXPECT_TRUE(s.MarkVisible && s.ShowHints && s.Toggle3D && s.ShowDirTree && s.EnableZoom);
  EXPECT_FALSE(s.ShowLegend || s.ExplodeBiggest || s.Elyptic || s.FreeSpace || s.HistoryCombo);
  EXPECT_EQ(s.Sort, 0);
  EXPECT_EQ(s.StartWith, "/");
  EXPECT_EQ(s.HistorySize, 20);
  EXPECT_EQ(s.TabSheet, 0);
}

TEST(SettingsTest, OddValuesReadAsTheRulesSay) {
  test::TTempTree dir;
  const std::string file = dir / "odd.ini";
  std::ofstream(file) << "[Switches]\nSort=257\nToggle3D=2\nShowLegend=yes\n[Page]\nTabSheet=7\n["
                         "Settings]\nHistorySize=0x10\n";
  const TWindowSettings s = ReadSettings(TIniFile(file));
  EXPECT_EQ(s.Sort, 1) << "the low eight bits";
  EXPECT_TRUE(s.Toggle3D);
  EXPECT_FALSE(s.ShowLegend) << "not a number: the default";
  EXPECT_EQ(s.TabSheet, 7);
  EXPECT_EQ(s.HistorySize, 16);
}

TEST(SettingsTest, WrittenSectionsAndWhatIsNeverWritten) {
  test::TTempTree dir;
  TIniFile ini(dir / "w.ini");
  TWindowSettings s;
  s.History = {"/a/"};
  WriteSettings(ini, s, true);
  const std::string text = ini.Text();
  for (const char* section :
       {"[Bounds]", "[Switches]", "[PieForm]", "[Page]", "[LastDir]", "[HistoryCombo]"}) {
    EXPECT_NE(text.find(section), std::string::npos) << section;
  }
  EXPECT_EQ(text.find("[Settings]"), std::string::npos)
      << "EnableZoom and HistorySize are never written";
  EXPECT_LT(text.find("ShowDirTree"), text.find("Sort="));
  TIniFile maximized(dir / "m.ini");
  WriteSettings(maximized, s, false);
  EXPECT_EQ(maximized.Text().find("[Bounds]"), std::string::npos);
}

TEST(SettingsTest, TheSettingsLiveInTheConfigFolderUnlessTheProgramIsPortable) {
  test::TTempTree disk("bin/\nportable/AppData/\nreadonly/");
  chmod((disk / "readonly").c_str(), 0555);
  const std::string config = disk / "config";
  EXPECT_EQ(ChooseAppDir(disk / "bin/", config), config + "/Nubrix/");
  EXPECT_EQ(ChooseAppDir(disk / "portable/", config), disk / "portable/")
      << "AppData beside the program";
  EXPECT_EQ(ChooseAppDir(disk / "readonly/", config), config + "/Nubrix/");
  EXPECT_EQ(ChooseAppDir("", config), config + "/Nubrix/") << "the program's folder is unknown";
  std::ofstream(disk / "bin/AppData") << "a file, not a folder";
  EXPECT_EQ(ChooseAppDir(disk / "bin/", config), config + "/Nubrix/");
  chmod((disk / "readonly").c_str(), 0755);
}

TEST(SettingsTest, AHugeHistoryCountReadsOnlyWhatIsThere) {
  test::TTempTree dir;
  const std::string file = dir / "h.ini";
  std::ofstream(file)
      << "[HistoryCombo]\ncount=2147483647\n0=/a/\n1=\n2=/c/\n7=/h/\nx=/no/\n[Other]\n9=/other/\n";
  // Before the bound this read for minutes; now it ends at the last numbered key.
  EXPECT_EQ(LoadHistory(TIniFile(file)), (std::vector<std::string>{"/a/", "/c/", "/h/"}));
  std::ofstream(file) << "[HistoryCombo]\ncount=2\n0=/a/\n1=/b/\n2=/beyond/\n";
  EXPECT_EQ(LoadHistory(TIniFile(file)), (std::vector<std::string>{"/a/", "/b/"}))
      << "count still limits";
}

// A folder name may hold a line break; written as it is, it would split its line and plant a key.
TEST(SettingsTest, NamesWithLineBreaksAreNeverWritten) {
  test::TTempTree dir;
  const std::string file = dir / "n.ini";
  std::ofstream(file) << "[LastDir]\nStart with=/before/\n";
  TIniFile ini(file);
  TWindowSettings s;
  s.StartWith = "/evil\n[Switches]\nShowLegend=1\n/";
  s.History = {"/a/", "/x\r\ncount=99\n/", "/b/"};
  WriteSettings(ini, s, true);
  ini.UpdateFile();
  const TIniFile back(file);
  const TWindowSettings read = ReadSettings(back);
  EXPECT_EQ(read.StartWith, "/before/") << "the start folder stored before stays";
  EXPECT_EQ(read.History, (std::vector<std::string>{"/a/", "/b/"}));
  EXPECT_FALSE(read.ShowLegend);
  EXPECT_EQ(back.KeyNames("HistoryCombo"), (std::vector<std::string>{"count", "0", "1"}));
}

}  // namespace
}  // namespace nubrix

#include "app/Settings.h"

#include <gtest/gtest.h>

#include <fstream>

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
  std::ofstream(file) << "[Switches]\nSort=257\nToggle3D=2\nShowLegend=yes\n[Page]\nTabSheet=7\n[Settings]\nHistorySize=0x10\n";
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
  for (const char* section : {"[Bounds]", "[Switches]", "[PieForm]", "[Page]", "[LastDir]", "[HistoryCombo]"}) {
    EXPECT_NE(text.find(section), std::string::npos) << section;
  }
  EXPECT_EQ(text.find("[Settings]"), std::string::npos) << "EnableZoom and HistorySize are never written";
  EXPECT_LT(text.find("ShowDirTree"), text.find("Sort="));
  TIniFile maximized(dir / "m.ini");
  WriteSettings(maximized, s, false);
  EXPECT_EQ(maximized.Text().find("[Bounds]"), std::string::npos);
}

}  // namespace
}  // namespace nubrix

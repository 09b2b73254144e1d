#include <gtest/gtest.h>

#include "settings/History.h"
#include "settings/Settings.h"
#include "support/TempTree.h"

namespace nubrix {
namespace {

std::vector<std::string> Folders(int count) {
  std::vector<std::string> folders;
  for (int i = 0; i < count; ++i) folders.push_back("/f" + std::to_string(i) + "/");
  return folders;
}

TEST(HistoryTest, SettlesAtTheLimitPlusTwoAndNeverDropsTheNewest) {
  for (unsigned seed = 1; seed <= 20; ++seed) {
    std::mt19937 random(seed);
    THistoryList history;
    history.Assign(Folders(22));
    history.Add("/new/", 20, random);
    ASSERT_EQ(history.Entries().size(), 22u) << seed;
    EXPECT_EQ(history.Entries().back(), "/new/");
    EXPECT_NE(std::find(history.Entries().begin(), history.Entries().end(), "/f21/"),
              history.Entries().end())
        << "the newest entry before it stays";
  }
  std::mt19937 random(7);
  THistoryList history;
  history.Assign(Folders(21));
  history.Add("/new/", 20, random);
  EXPECT_EQ(history.Entries().size(), 22u) << "21 entries: appended without a deletion";
  EXPECT_EQ(history.Entries().front(), "/f0/");
}

TEST(HistoryTest, DuplicatesIgnoreCaseAndKeepTheirPlace) {
  std::mt19937 random(1);
  THistoryList history;
  history.Assign({"/data/", "/Other/"});
  history.Add("/DATA/", 20, random);
  history.Add("/other/", 20, random);
  EXPECT_EQ(history.Entries(), (std::vector<std::string>{"/data/", "/Other/"}));
  history.Add("", 20, random);
  EXPECT_EQ(history.Entries().size(), 2u);
  history.Add("/\xff-odd/", 20, random);
  history.Add("/\xfe-odd/", 20, random);
  EXPECT_EQ(history.Entries().size(), 4u) << "bytes that are not UTF-8 still tell folders apart";
  history.Add("/\xc3\x84rger/", 20, random);  // /Ärger/
  history.Add("/\xc3\xa4RGER/", 20, random);  // /äRGER/: the same folder by Unicode's case rules
  history.Add(
      "/stra\xc3\x9f"
      "e/",
      20, random);  // /straße/
  history.Add("/STRASSE/", 20, random);
  EXPECT_EQ(history.Entries().size(), 6u);
}

TEST(HistoryTest, ZeroSizeNeverDeletes) {
  std::mt19937 random(3);
  THistoryList history;
  history.Assign(Folders(40));
  history.Add("/new/", 0, random);
  EXPECT_EQ(history.Entries().size(), 41u);
}

TEST(HistoryTest, StoredAsCountAndNumberedKeysEmptyOnesSkipped) {
  test::TTempTree dir;
  const std::string file = dir / "Nubrix.ini";
  {
    TIniFile ini(file);
    ini.WriteString("HistoryCombo", "count", "4");
    ini.WriteString("HistoryCombo", "0", "/a/");
    ini.WriteString("HistoryCombo", "1", "");
    ini.WriteString("HistoryCombo", "3", "/d/");
    ini.UpdateFile();
  }
  EXPECT_EQ(LoadHistory(TIniFile(file)), (std::vector<std::string>{"/a/", "/d/"}));
  TIniFile ini(file);
  SaveHistory(ini, {"/x/"});
  ini.UpdateFile();
  const TIniFile saved(file);
  EXPECT_EQ(saved.ReadInteger("HistoryCombo", "count", -1), 1);
  EXPECT_EQ(saved.ReadString("HistoryCombo", "3", ""), "/d/") << "keys past the count stay";
  EXPECT_EQ(LoadHistory(saved), (std::vector<std::string>{"/x/"}));
}

}  // namespace
}  // namespace nubrix

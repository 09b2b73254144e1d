// The editor's work without its window: rows of the three modes, sorting, deletions, backups.
#include <gtest/gtest.h>

#include <clocale>

#include "registry/RegLists.h"

namespace nubrix::registry {
namespace {

using platform::kHkeyCurrentUser;
using platform::TMemoryRegistry;

const std::string kHive =
    "WINE REGISTRY Version 2\n"
    "[Software\\\\Microsoft\\\\Internet Explorer\\\\TypedURLs] 1\n"
    "\"url1\"=\"http://b.example\"\n\"url2\"=\"http://a.example\"\n"
    "[Mixed] 1\n\"first\"=\"1\"\n\"number\"=dword:00000001\n\"after\"=\"2\"\n"
    "[Uninstall\\\\App] 1\n\"UninstallString\"=\"/usr/bin/true --remove\"\n"
    "[Uninstall\\\\Bare] 1\n\"Other\"=\"x\"\n"
    "[Folders\\\\A\\\\One] 1\n[Folders\\\\A\\\\Two] 1\n[Folders\\\\B] 1\n"
    "[Folders\\\\C\\\\Three\\\\Deeper] 1\n";

struct TUser : IAskUser {
  bool AskUser(TQuestionKind, const std::string&, TAnswerButtons) override { return false; }
  void TellUser(const std::string& message) override { Told.push_back(message); }
  std::vector<std::string> Told;
};

std::vector<std::string> Captions(const TRegFill& fill) {
  std::vector<std::string> captions;
  for (const TRegRow& row : fill.Rows) captions.push_back(row.Caption + "=" + row.Text);
  return captions;
}

class RegListsTest : public ::testing::Test {
 protected:
  void SetUp() override { Store.SetHive(kHkeyCurrentUser, kHive); }
  TMemoryRegistry Store;
};

TEST_F(RegListsTest, ValueRows) {
  TRegFill fill = ListValues(Store, kHkeyCurrentUser, std::string(kSubstituteKey));
  EXPECT_TRUE(fill.Replaced);
  EXPECT_EQ(Captions(fill),
            (std::vector<std::string>{"url1=http://b.example", "url2=http://a.example"}));
  EXPECT_EQ(fill.Rows[0].Picture, 0);

  fill = ListValues(Store, kHkeyCurrentUser, "Software\\Microsoft\\MediaPlayer\\Player\\Nothing");
  EXPECT_EQ(fill.Rows.size(), 2U) << "a missing key lists the typed addresses instead";

  fill = ListValues(Store, kHkeyCurrentUser, "Mixed");
  EXPECT_TRUE(fill.Replaced);
  EXPECT_EQ(Captions(fill), std::vector<std::string>{"first=1"}) << "the rows before the error";
  EXPECT_EQ(fill.Error, "Invalid data type for 'number'");

  TMemoryRegistry bare;
  bare.SetHive(kHkeyCurrentUser, "WINE REGISTRY Version 2\n");
  EXPECT_FALSE(ListValues(bare, kHkeyCurrentUser, "Missing").Replaced)
      << "without the substitute the list keeps what it showed";
  TMemoryRegistry none;
  EXPECT_FALSE(ListValues(none, kHkeyCurrentUser, "Missing").Replaced) << "no registry at all";
}

TEST_F(RegListsTest, KeyAndFolderRows) {
  TRegFill fill = FillRows(Store, kHkeyCurrentUser, "Uninstall", TValueType::vtKeyList);
  EXPECT_EQ(Captions(fill), (std::vector<std::string>{"App=/usr/bin/true --remove", "Bare="}));
  EXPECT_EQ(fill.Rows[0].Picture, 1);
  fill = FillRows(Store, kHkeyCurrentUser, "Folders", TValueType::vtFolderList);
  EXPECT_EQ(Captions(fill), (std::vector<std::string>{"A=One", "A=Two", "C=Three"}));
  EXPECT_FALSE(FillRows(Store, kHkeyCurrentUser, "Nothing", TValueType::vtFolderList).Replaced)
      << "the folder mode has no substitute key";
}

TEST(RegListsSortTest, ColumnsAndDirections) {
  std::setlocale(LC_COLLATE, "C");
  TSortState state;
  ClickColumn(state, 1);
  EXPECT_EQ(state.SortColumn, 1);
  EXPECT_TRUE(state.SortAscending);
  const TRegRow a{"b", "A", 0};
  const TRegRow b{"a", "B", 0};
  EXPECT_LT(CompareRows(a, b, state), 0);
  ClickColumn(state, 1);
  EXPECT_FALSE(state.SortAscending) << "the same column twice turns the order round";
  EXPECT_GT(CompareRows(a, b, state), 0);
  ClickColumn(state, 0);
  EXPECT_TRUE(state.SortAscending) << "another column starts ascending";
  EXPECT_GT(CompareRows(a, b, state), 0);
  EXPECT_LT(CompareRows({"B", "", 0}, {"a", "", 0}, state), 0) << "case-sensitive";
  ClickColumn(state, 2);
  EXPECT_EQ(CompareRows(a, b, state), 0) << "the third column has no text";
}

TEST_F(RegListsTest, Deletions) {
  DeleteSelectedValues(Store, kHkeyCurrentUser, "Mixed", {"first", "number", "missing"});
  platform::TRegistry registry(Store);
  ASSERT_TRUE(registry.OpenKey("Mixed"));
  EXPECT_EQ(registry.GetValueNames(), std::vector<std::string>{"after"});
  const int changes = Store.Changes;
  DeleteSelectedValues(Store, kHkeyCurrentUser, "Nothing", {"after"});
  EXPECT_EQ(Store.Changes, changes);

  TUser user;
  DeleteKeyIfPresent(Store, kHkeyCurrentUser, "Folders\\C", user);
  EXPECT_FALSE(registry.KeyExists("Folders\\C\\Three\\Deeper"));
  EXPECT_FALSE(registry.KeyExists("Folders\\C"));
  EXPECT_TRUE(registry.KeyExists("Folders\\A\\One"));
  EXPECT_EQ(user.Told, std::vector<std::string>{"Registry Key and all Subkeys have been deleted"});
  DeleteKeyIfPresent(Store, kHkeyCurrentUser, "Folders\\C", user);
  EXPECT_EQ(user.Told.size(), 1U) << "nothing to delete, nothing said";

  std::vector<std::string> paths;
  CollectSubKeyPaths(registry, "Folders", paths);
  EXPECT_EQ(paths, (std::vector<std::string>{"Folders\\A", "Folders\\A\\One", "Folders\\A\\Two",
                                             "Folders\\B"}));
}

TEST(RegListsBackupTest, Stamp) {
  std::tm local{};
  local.tm_year = 126;
  local.tm_mon = 0;
  local.tm_mday = 5;
  local.tm_hour = 9;
  local.tm_min = 7;
  local.tm_sec = 59;
  EXPECT_EQ(BackupStamp(local), "_05_01__09_07");
  EXPECT_EQ(BackupFileName("/cfg/AppData/Media", local), "/cfg/AppData/Media_05_01__09_07.reg");
  EXPECT_EQ(BackupNote("K\\L"), "Registry backup of section\n\rK\\L\n\rsuccessfully created");
}

}  // namespace
}  // namespace nubrix::registry

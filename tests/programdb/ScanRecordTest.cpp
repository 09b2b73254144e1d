// The scan record: growth between two scans of a folder, roots kept apart, pruning, two writers
// at once, damaged files set aside, and names that are not UTF-8.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "programdb/ScanRecord.h"
#include "sizetree/ScanEngine.h"
#include "support/TempTree.h"

namespace nubrix {
namespace {

// A tree scanned for real, flattened as the window and the command line do it.
struct TScan {
  explicit TScan(const std::string& folder, std::int64_t time = 1000) {
    TScanContext context;
    ScanIntoTree(Tree, folder, context);
    Snapshot = SnapshotOf(*Tree.ScanRoot(), time);
  }
  TSizeTree Tree;
  TScanSnapshot Snapshot;
};

std::map<std::string, SizeMB> GrowthByPath(const TScanSnapshot& snapshot,
                                           const TScanComparison& comparison) {
  std::map<std::string, SizeMB> growth;
  for (const TFolderGrowth& folder : GrowthOf(snapshot, comparison)) {
    growth[folder.Path] = folder.Change;
  }
  return growth;
}

class ScanRecordTest : public testing::Test {
 protected:
  std::optional<TScanComparison> Keep(const TScanSnapshot& snapshot) {
    const TRecordOutcome outcome = CompareAndRecord(file_, snapshot, true);
    EXPECT_EQ(outcome.Error, "");
    EXPECT_EQ(outcome.SetAside, "");
    return outcome.Comparison;
  }
  std::int64_t Count(const char* sql) const {
    sqlite3* db = nullptr;
    sqlite3_open(file_.c_str(), &db);
    sqlite3_stmt* statement = nullptr;
    std::int64_t count = -1;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
      count = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return count;
  }

  test::TTempTree home_{"AppData/"};
  std::string file_ = ProgramDatabaseFile(home_ / "AppData");
};

TEST_F(ScanRecordTest, GrowthCoversAddedRemovedRenamedGrownAndShrunkFolders) {
  test::TTempTree disk(
      "grow/f=1048576\nshrink/f=2097152\nsame/f=4096\nold/f=524288\ngone/x=1000\n");
  const TScan first(disk.ScanPath(), 111);
  EXPECT_FALSE(Keep(first.Snapshot)) << "nothing to compare the first scan with";
  disk.Add("grow/g=1048576\nnew/inner/f=3145728");
  std::filesystem::resize_file(disk / "shrink/f", 1048576);
  std::filesystem::rename(disk / "old", disk / "renamed");
  std::filesystem::remove_all(disk / "gone");
  const TScan second(disk.ScanPath(), 222);
  const std::optional<TScanComparison> comparison = Keep(second.Snapshot);
  ASSERT_TRUE(comparison);
  EXPECT_EQ(comparison->EarlierTime, 111);

  const std::map<std::string, SizeMB> growth = GrowthByPath(second.Snapshot, *comparison);
  const std::string root = disk.ScanPath();
  const std::map<std::string, SizeMB> expected{
      {root, 10000 + 30000 - 10000 - 10},  // the whole: grown, new, shrunk, 1000 bytes gone
      {root + "grow", 10000},
      {root + "shrink", -10000},
      {root + "new", 30000},
      {root + "new/inner", 30000},
      {root + "renamed", 5000},
      {root + "old", -5000},
      {root + "gone", -10}};
  EXPECT_EQ(growth, expected) << "unchanged folders are left out";

  // Largest growth first, removed folders with nothing left now.
  const std::vector<TFolderGrowth> ordered = GrowthOf(second.Snapshot, *comparison);
  for (std::size_t i = 1; i < ordered.size(); ++i) {
    EXPECT_GE(ordered[i - 1].Change, ordered[i].Change);
  }
  EXPECT_EQ(ordered.back().Path, root + "shrink");
  EXPECT_EQ(ordered.back().Now, 10000);
  for (const TFolderGrowth& folder : ordered) {
    if (folder.Path == root + "old") {
      EXPECT_EQ(folder.Now, 0);
    }
  }
  // Per entry: new folders are marked as such, the others carry their earlier total.
  for (std::size_t i = 0; i < second.Snapshot.Folders.size(); ++i) {
    const std::string path = EntryPath(second.Snapshot, i);
    const bool isNew =
        path == root + "new" || path == root + "new/inner" || path == root + "renamed";
    EXPECT_EQ(comparison->Before[i] == kNewFolder, isNew) << path;
  }
}

TEST_F(ScanRecordTest, RootsAreKeptApartAlsoWhenOneLiesInsideAnother) {
  test::TTempTree disk("sub/f=1048576\nsub/deeper/\n");
  EXPECT_FALSE(Keep(TScan(disk.ScanPath()).Snapshot));
  EXPECT_FALSE(Keep(TScan(disk / "sub/").Snapshot))
      << "a folder scanned before only as part of its parent has no scan of its own";
  disk.Add("sub/g=1048576");
  const TScan sub(disk / "sub/");
  const std::optional<TScanComparison> comparison = Keep(sub.Snapshot);
  ASSERT_TRUE(comparison);
  EXPECT_EQ(GrowthByPath(sub.Snapshot, *comparison),
            (std::map<std::string, SizeMB>{{disk / "sub/", 10000}}));
  // The parent's record still compares with the parent's own last scan.
  const TScan parent(disk.ScanPath());
  const std::optional<TScanComparison> parentComparison = Keep(parent.Snapshot);
  ASSERT_TRUE(parentComparison);
  EXPECT_EQ(GrowthByPath(parent.Snapshot, *parentComparison).at(disk / "sub"), 10000);
}

TEST_F(ScanRecordTest, AFolderNamedThroughALinkIsTheSameFolder) {
  test::TTempTree disk("real/a/f=1000\n");
  std::filesystem::create_directory_symlink(disk / "real", disk / "link");
  EXPECT_FALSE(Keep(TScan(disk / "link/").Snapshot));
  const TScan again(disk / "real/");
  EXPECT_EQ(again.Snapshot.Root, disk / "real/");
  EXPECT_TRUE(Keep(again.Snapshot)) << "kept under the folder's own path";
}

TEST_F(ScanRecordTest, TheEleventhScanDropsTheOldestAndTheFoldersOnlyItHad) {
  test::TTempTree disk("keep/");
  for (int i = 0; i < 11; ++i) {
    disk.Add("only" + std::to_string(i) + "/");
    Keep(TScan(disk.ScanPath(), 100 + i).Snapshot);
    std::filesystem::remove(disk / ("only" + std::to_string(i)));
  }
  TScanRecord record(file_);
  const std::vector<std::int64_t> times = record.ScanTimes(disk.ScanPath());
  ASSERT_EQ(times.size(), 10U);
  EXPECT_EQ(times.front(), 101);
  EXPECT_EQ(times.back(), 110);
  // The root, keep/ and the ten folders of the kept scans; only0 has gone with its scan.
  EXPECT_EQ(Count("SELECT count(*) FROM folders"), 12);
  EXPECT_EQ(Count("SELECT count(*) FROM folders WHERE name = CAST('only0' AS BLOB)"), 0);
  // The comparison after pruning still names what the last scan had.
  const TScan last(disk.ScanPath(), 200);
  const std::optional<TScanComparison> comparison = Keep(last.Snapshot);
  ASSERT_TRUE(comparison);
  ASSERT_EQ(comparison->Removed.size(), 1U);
  EXPECT_EQ(comparison->Removed[0].Path, disk / "only10");
}

TEST_F(ScanRecordTest, TwoProcessesRecordingAtOnceLoseNothing) {
  test::TTempTree disk("a/f=1000\nb/\n");
  const TScan scan(disk.ScanPath());
  Keep(scan.Snapshot);  // the file exists before the writers race
  constexpr int kWriters = 2;
  constexpr int kScansEach = 15;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int failures = 0;
      for (int i = 0; i < kScansEach; ++i) {
        TScanSnapshot snapshot = scan.Snapshot;
        snapshot.Time = 1000 * (w + 1) + i;
        const TRecordOutcome outcome = CompareAndRecord(file_, snapshot, true);
        failures += !outcome.Error.empty() || !outcome.SetAside.empty() || !outcome.Comparison;
      }
      _exit(failures);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a writer failed";
  }
  EXPECT_EQ(TScanRecord(file_).ScanTimes(disk.ScanPath()).size(), 10U);
  EXPECT_EQ(Count("SELECT count(*) FROM pragma_integrity_check WHERE integrity_check != 'ok'"), 0);
  EXPECT_EQ(Count("SELECT count(*) FROM folders"), 3) << "each folder numbered once";
}

TEST_F(ScanRecordTest, ADamagedFileIsSetAsideAndANewRecordBegun) {
  test::TTempTree disk("a/f=1000\n");
  const std::string garbage(8192, '\x5a');
  std::ofstream(file_, std::ios::binary) << garbage;
  const TScan scan(disk.ScanPath());
  const TRecordOutcome outcome = CompareAndRecord(file_, scan.Snapshot, true);
  EXPECT_EQ(outcome.Error, "");
  ASSERT_NE(outcome.SetAside, "");
  EXPECT_FALSE(outcome.Comparison);
  std::ifstream aside(outcome.SetAside, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(aside), {}), garbage) << "kept, unchanged";
  EXPECT_EQ(TScanRecord(file_).ScanTimes(disk.ScanPath()).size(), 1U);
}

TEST_F(ScanRecordTest, AKeptScanThatDoesNotDecodeSetsTheFileAside) {
  test::TTempTree disk("a/f=1000\n");
  const TScan scan(disk.ScanPath());
  // Cut short; a folder number beyond the dictionary; a number that wraps; an unknown format.
  for (const char* blob :
       {"x'01ffffff'", "x'01c80100'", "x'010200feffffffffffffffff0100'", "x'07'", "x''"}) {
    Keep(scan.Snapshot);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file_.c_str(), &db), SQLITE_OK);
    const std::string update = std::string("UPDATE scans SET sizes = ") + blob;
    ASSERT_EQ(sqlite3_exec(db, update.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    const TRecordOutcome outcome = CompareAndRecord(file_, scan.Snapshot, true);
    EXPECT_NE(outcome.SetAside, "") << blob;
    EXPECT_EQ(outcome.Error, "") << blob;
    EXPECT_FALSE(outcome.Comparison) << blob;
    EXPECT_TRUE(std::filesystem::exists(outcome.SetAside)) << blob;
  }
}

TEST_F(ScanRecordTest, ARecordThatCannotBeOpenedIsAnErrorAndNothingIsSetAside) {
  std::filesystem::create_directory(file_);  // a folder where the file should be
  const TRecordOutcome outcome = CompareAndRecord(file_, TScan(home_.ScanPath()).Snapshot, true);
  EXPECT_NE(outcome.Error, "");
  EXPECT_EQ(outcome.SetAside, "");
  EXPECT_TRUE(std::filesystem::is_directory(file_));
}

TEST_F(ScanRecordTest, NamesThatAreNotUtf8KeepTheirBytes) {
  test::TTempTree disk("\xff\xfe-odd/f=1048576\nplain\x80/\n");
  Keep(TScan(disk.ScanPath()).Snapshot);
  disk.Add("\xff\xfe-odd/g=1048576");
  std::filesystem::remove(disk / "plain\x80");
  const TScan second(disk.ScanPath());
  const std::optional<TScanComparison> comparison = Keep(second.Snapshot);
  ASSERT_TRUE(comparison);
  EXPECT_EQ(
      GrowthByPath(second.Snapshot, *comparison),
      (std::map<std::string, SizeMB>{{disk.ScanPath(), 10000}, {disk / "\xff\xfe-odd", 10000}}));
  ASSERT_EQ(comparison->Removed.size(), 1U);
  EXPECT_EQ(comparison->Removed[0].Path, disk / "plain\x80");
}

TEST_F(ScanRecordTest, CompareWithoutRecordingWritesNothing) {
  test::TTempTree disk("a/\n");
  const TScan scan(disk.ScanPath());
  EXPECT_FALSE(CompareAndRecord(file_, scan.Snapshot, false).Comparison);
  Keep(scan.Snapshot);
  EXPECT_TRUE(CompareAndRecord(file_, scan.Snapshot, false).Comparison);
  EXPECT_EQ(TScanRecord(file_).ScanTimes(disk.ScanPath()).size(), 1U);
}

}  // namespace
}  // namespace nubrix

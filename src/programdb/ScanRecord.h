// The scan record: the folder sizes of the last scans of each scanned folder, kept in the
// program's database, and the comparison of a new scan with the last one kept.
//
// A folder is known by its path below the scan root: each root has a dictionary of the folders
// its scans have seen (parent and name, numbered once), and a scan is one compact list of
// (folder number, total size) pairs, so a scan kept costs a few bytes per folder. A folder
// moved or renamed is a different path: one removed, one new.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "programdb/Sqlite.h"
#include "sizetree/SizeMB.h"

namespace nubrix {

class TSizeFolder;

// One folder of a scan in pre-order; the root comes first with Parent -1 and an empty name.
struct TScanEntry {
  std::int32_t Parent = -1;
  std::string Name;  // raw bytes
  SizeMB Total = 0;
};

struct TScanSnapshot {
  std::string Root;       // the scanned folder's path, raw bytes, with a trailing separator
  std::int64_t Time = 0;  // seconds since the epoch
  std::vector<TScanEntry> Folders;
};

// The tree below root flattened, its root named by its absolute path (links resolved); folders
// (when given) receives the folder of each entry.
TScanSnapshot SnapshotOf(const TSizeFolder& root, std::int64_t time,
                         std::vector<const TSizeFolder*>* folders = nullptr);

// The path of a snapshot's folder.
std::string EntryPath(const TScanSnapshot& snapshot, std::size_t index);

inline constexpr SizeMB kNewFolder = -1;

struct TRemovedFolder {
  std::string Path;
  SizeMB Before = 0;
};

struct TScanComparison {
  std::int64_t EarlierTime = 0;
  // Per entry of the snapshot compared: its total in the earlier scan, or kNewFolder.
  std::vector<SizeMB> Before;
  // Folders of the earlier scan that this one does not have, in the earlier scan's order.
  std::vector<TRemovedFolder> Removed;
};

inline constexpr int kKeptScans = 10;

class TScanRecord {
 public:
  // Opens or creates the database; throws db::TDatabaseError.
  explicit TScanRecord(const std::string& file);

  // In one transaction: the comparison with the last scan kept of snapshot.Root (nullopt when
  // there is none), then, when record, the snapshot kept and the oldest scans beyond
  // kKeptScans dropped.
  std::optional<TScanComparison> CompareAndRecord(const TScanSnapshot& snapshot, bool record);

  // The times of the scans kept of root, oldest first.
  std::vector<std::int64_t> ScanTimes(const std::string& root);

 private:
  db::TDatabase Db_;
};

// What recording a scan came to, for the window's status bar and the command line.
struct TRecordOutcome {
  std::optional<TScanComparison> Comparison;
  std::string SetAside;  // where a damaged database was moved; empty when none was
  std::string Error;     // why the scan could not be kept; empty when it was
};

// TScanRecord::CompareAndRecord on file. A damaged file is renamed aside (never deleted), with
// its journal, and the work done on a new one. Errors are returned, not thrown.
TRecordOutcome CompareAndRecord(const std::string& file, const TScanSnapshot& snapshot,
                                bool record);

struct TFolderGrowth {
  SizeMB Change = 0;
  SizeMB Now = 0;  // 0 for a folder that is gone
  std::string Path;
};

// Every folder whose total changed, removed ones included, largest growth first.
std::vector<TFolderGrowth> GrowthOf(const TScanSnapshot& snapshot,
                                    const TScanComparison& comparison);

}  // namespace nubrix

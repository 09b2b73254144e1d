// The folder scan: a walk that builds one TSizeFolder per folder and a size pass that fills
// OwnSize and SubfolderSize. The walk lists each folder once on a few worker threads; the tree
// it leaves is the one a sequential depth-first walk would build (same folders, children in
// listing order, same sizes to the unit).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "sizetree/SizeTreeU.h"

namespace nubrix {

class TDirSource;
class TFileCollector;

// Where the scan reports progress. The calls come from the scan's threads, possibly two at a
// time, and must return quickly; a window queues them to its own thread.
class IScanProgress {
 public:
  virtual ~IScanProgress() = default;
  virtual void FoldersSized(std::int32_t count) = 0;      // after each folder of the size pass
  virtual void TotalAnnounced(std::int32_t total) = 0;    // once, before the size pass
  virtual void FoldersFound(std::int32_t count) = 0;      // every 50th folder of the walk
  virtual void GaugePosition(std::int32_t position) = 0;  // percent, per first-level folder
};

// One scan's counters, readable from other threads while it runs.
struct TScanState {
  std::atomic<std::int32_t> FolderCount{0};    // folders the walk added
  std::atomic<std::int32_t> TopLevelDone{0};   // first-level folders entered
  std::atomic<std::int32_t> TopLevelTotal{0};  // divisor of the walk percentage
  std::atomic<std::int32_t> SizedCount{0};     // folders the size pass has sized
  std::atomic<bool> ScanCancelled{false};
};

struct TScanContext {
  TScanState State;
  IScanProgress* Progress = nullptr;          // may be null
  const std::atomic<bool>* Escape = nullptr;  // set from outside to cancel the walk
  int Threads = 0;                            // 0: the default, 8; at most 64
  TDirSource* Source = nullptr;               // null: the system's
  TFileCollector* Files = nullptr;            // when set, hears every file the scan counts
};

inline constexpr std::int32_t kFoundReportInterval = 50;

// The bytes of one folder's own files: its entries, names beginning with "." left out, folders
// adding nothing. 0 for a folder that cannot be listed.
std::uint64_t FolderFilesBytes(const std::string& path, TDirSource* source = nullptr);
// The same converted to units once (nearest unit, ties to even).
SizeMB FolderFilesSize(const std::string& path, TDirSource* source = nullptr);

// The folder entries of path ("." and ".." and dot names included; at a mount root "." and ".."
// do not count), less one when there are more than one.
std::int32_t CountSubfolders(const std::string& path, TDirSource* source = nullptr);

// Walks everything below folder, adding its subfolders; with topLevel, folder is the scan root
// and its children report the walk percentage.
void WalkFolders(TSizeFolder* folder, bool topLevel, TScanContext& context);

// The whole scan of path into an empty tree: the scan root, the walk, the size pass. Returns
// the size pass's result (false when cancelled).
bool ScanIntoTree(TSizeTree& tree, const std::string& path, TScanContext& context);

}  // namespace nubrix

// Which files: the largest files and the totals per file type of a part of the tree, counted as
// the scan counts (dot names left out, links not followed, one file system, apparent sizes), so
// that the types of a folder add up to its total to the byte. Collected by the scan for its root
// while it lists, and by CollectFileStats for a lower folder. Only the largest files are kept,
// never a record per file.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "sizetree/DirSource.h"
#include "sizetree/TreeFolders.h"

namespace nubrix {

class TSizeFolder;

inline constexpr std::size_t kDefaultLargestCount = 1000;

struct TLargeFile {
  std::string Path;
  std::size_t NameStart = 0;  // where the file's name begins in Path
  std::uint64_t Size = 0;
  std::int64_t Modified = 0;  // seconds since the epoch
  std::uint64_t FolderDevice = 0;
  std::uint64_t FolderInode = 0;
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  platform::TFileTimes Times{};

  std::string_view Name() const { return std::string_view(Path).substr(NameStart); }
  // The folder's path with its trailing separator.
  std::string_view Folder() const { return std::string_view(Path).substr(0, NameStart); }
};

struct TTypeTotal {
  std::string Extension;  // lower-case ASCII letters; empty for names without one
  std::uint64_t Files = 0;
  std::uint64_t Bytes = 0;
};

struct TFileStats {
  std::vector<TLargeFile> Largest;  // largest first; equal sizes in byte order of the path
  std::vector<TTypeTotal> Types;    // most bytes first; equal bytes in byte order of extension
  std::uint64_t Files = 0;
  std::uint64_t Bytes = 0;
  bool Cancelled = false;  // what was counted before the cancel
};

// The text after the last "." of a file name when that dot is not the name's first byte, with
// the ASCII letters lower-cased; empty when there is none.
std::string FileExtension(std::string_view name);

// Gathers from many listing threads at once. Each thread lists through a TFolderFiles of its own,
// which holds the types of one folder and hands them over when the folder ends, so the threads
// meet at a lock once per folder, and for the largest files only when a file is big enough.
class TFileCollector {
 public:
  explicit TFileCollector(std::size_t largestCount = kDefaultLargestCount);

  // Sorted; the collector is empty afterwards.
  TFileStats Take();

 private:
  friend class TFolderFiles;
  struct TCount {
    std::uint64_t Files = 0;
    std::uint64_t Bytes = 0;
  };
  bool MayEnter(std::uint64_t size) const {
    return size >= Threshold_.load(std::memory_order_relaxed);
  }
  void Offer(TLargeFile file);
  void AddTypes(const std::unordered_map<std::string, TCount>& types, std::uint64_t files,
                std::uint64_t bytes);

  const std::size_t Limit_;
  // The smallest size that may still enter the list; 0 until it is full.
  std::atomic<std::uint64_t> Threshold_{0};
  std::mutex LargestMutex_;
  std::vector<TLargeFile> Heap_;  // the worst kept file on top
  std::mutex TypesMutex_;
  std::unordered_map<std::string, TCount> Types_;
  std::uint64_t Files_ = 0;
  std::uint64_t Bytes_ = 0;
};

// One listing thread's view of the folder it lists. The thread's type totals reach the collector
// only at Flush, so threads do not meet at a lock once per folder.
class TFolderFiles {
 public:
  explicit TFolderFiles(TFileCollector& collector) : Collector_(collector) {}

  // folderPath is asked for only when a file of the folder enters the largest files.
  void Begin(int dirFd, std::function<std::string()> folderPath);
  void Add(std::string_view name, const TEntryStat& stat);
  void End();
  void Flush();

 private:
  TFileCollector::TCount& CountOf(std::string_view name);

  TFileCollector& Collector_;
  int DirFd_ = -1;
  std::function<std::string()> FolderPath_;
  std::string Folder_;  // with its separator, once asked for
  bool HaveFolder_ = false;
  std::uint64_t FolderDevice_ = 0;
  std::uint64_t FolderInode_ = 0;
  std::vector<std::pair<std::string, TFileCollector::TCount>> Types_;  // of the folder
  std::unordered_map<std::string, TFileCollector::TCount> Kept_;       // of the folders ended
  std::string Extension_;
  std::uint64_t Files_ = 0;
  std::uint64_t Bytes_ = 0;
};

// The files of these folders (each listed on its own, as the scan lists a folder; no subfolder is
// entered; each reached as TTreeOpener reaches it), on a few threads. progress(folders done) comes
// from the calling thread.
TFileStats CollectFileStats(const TTreeFolders& folders, std::size_t largestCount,
                            const std::atomic<bool>* cancel = nullptr,
                            const std::function<void(std::int64_t)>& progress = {},
                            TDirSource* source = nullptr);

}  // namespace nubrix

// Files stored twice below a folder: the files the scan counts (dot names left out, links not
// followed, one file system), grouped by size, then by a digest of their first block, then by a
// digest of the whole file, and only then confirmed byte for byte, so that a digest collision can
// never cost a file. A file with several names (hard links) is one file, never its own duplicate.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TrashMove.h"
#include "sizetree/TreeFolders.h"

namespace nubrix {

struct TDuplicateFile {
  std::string Path;  // the first of its names in byte order
  std::size_t NameStart = 0;
  std::uint64_t Size = 0;
  std::int64_t Modified = 0;  // seconds since the epoch
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  std::uint64_t FolderDevice = 0;
  std::uint64_t FolderInode = 0;
  platform::TFileTimes Times{};
  std::uint32_t Owner = 0;              // user id
  std::vector<std::string> OtherNames;  // its other names found in the search, in byte order

  std::string_view Name() const { return std::string_view(Path).substr(NameStart); }
  std::string_view Folder() const { return std::string_view(Path).substr(0, NameStart); }
  std::size_t NameCount() const { return 1 + OtherNames.size(); }
};

struct TDuplicateGroup {
  std::uint64_t Size = 0;
  std::vector<TDuplicateFile> Files;  // at least two, in byte order of their paths

  // What moving every copy but one would give back.
  std::uint64_t Freeable() const { return Files.empty() ? 0 : Size * (Files.size() - 1); }
};

struct TUnreadableFile {
  std::string Path;
  int Error = 0;  // errno
};

struct TDuplicateProgress {
  std::uint64_t FilesDone = 0;
  std::uint64_t FilesTotal = 0;  // files that share their size with another
  std::uint64_t BytesRead = 0;
  std::uint64_t BytesTotal = 0;  // what reading all of them once would take
};

// 128 bits of a digest; tests replace digests to make two different files collide.
struct TDigest {
  std::uint64_t Low = 0;
  std::uint64_t High = 0;
  bool operator==(const TDigest&) const = default;
  bool operator<(const TDigest& other) const {
    return Low != other.Low ? Low < other.Low : High < other.High;
  }
};

struct TDuplicateOptions {
  std::uint64_t MinSize = 1;  // empty files are never duplicates
  int Threads = 0;            // 0: one per processor, at least two, at most eight
  const std::atomic<bool>* Cancel = nullptr;
  // From the calling thread, now and then.
  std::function<void(const TDuplicateProgress&)> Progress;
  // Applied to every digest taken; for tests.
  std::function<TDigest(TDigest)> DigestFilter;
  // Called with a file's path after its bytes were read and before they count; for tests.
  std::function<void(const std::string&)> ReadDone;
};

struct TDuplicateSearch {
  std::vector<TDuplicateGroup> Groups;      // most freeable first, then by the first path
  std::vector<TUnreadableFile> Unreadable;  // files that could not be read, never grouped
  std::uint64_t FilesConsidered = 0;        // files of at least the minimum size
  std::uint64_t ChangedFiles = 0;           // changed or gone while the search read them
  TDuplicateProgress Read;                  // what was read in the end
  bool Cancelled = false;                   // the groups are those confirmed before the cancel
};

// The files of these folders (each listed on its own, no subfolder entered, each reached as
// TTreeOpener reaches it; FoldersBelow gives them for a part of the tree).
TDuplicateSearch FindDuplicates(const TTreeFolders& folders, const TDuplicateOptions& options = {});

// Which copy of a group stays when the others go.
enum class TKeepRule { Newest, Oldest, FirstByPath };

// The copy that rule keeps: ties in time go to the first by path.
std::size_t KeptCopy(const TDuplicateGroup& group, TKeepRule rule);

// Every name of a copy as listed, so that a move refuses a file changed or replaced since.
std::vector<platform::TListedItem> ListedNames(const TDuplicateFile& file);

// Whether the copy is still the file the search confirmed: same file, owner, size and times.
bool StillListed(const TDuplicateFile& file);

struct TCopyRefusal {
  std::string Path;
  std::string Why;
};

// The moves of the marked copies of a group (marked[i] for Files[i]), every name of each. Each
// move first checks that a copy that stays is still as it was compared, so a group is never left
// without one; a group whose copies belong to different users is left alone and refused, since
// keeping one user's copy may leave another user's data only in the trash.
std::vector<platform::TListedItem> CopyMoves(const TDuplicateGroup& group,
                                             const std::vector<bool>& marked,
                                             std::vector<TCopyRefusal>& refused);

}  // namespace nubrix

// The one safe walk below a folder for everything but the scan engine: every folder is opened
// relative to its parent's open descriptor, never through a link, never into another mount (bind
// mounts included), pseudo or network file system; a cancel flag stops it between entries; each
// folder that could not be opened or listed is kept with its error.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace nubrix::platform {

enum class TEntryKind : unsigned char {
  File,
  Folder,
  Link,
  Other
};  // Other: pipes, devices, sockets

struct TWalkEntry {
  std::string Name;
  TEntryKind Kind = TEntryKind::Other;
};

// One folder as the walk meets it. Fd stays open while the visit runs and may be used for
// *at() calls on the entries.
struct TWalkFolder {
  int Fd = -1;
  const std::string& Path;                 // without a trailing separator, "/" for the root
  int Depth = 0;                           // 0 for the start folder
  const std::vector<TWalkEntry>& Entries;  // every entry but "." and "..", in listing order
};

struct TWalkError {
  std::string Path;
  int Error = 0;  // errno
};

struct TWalkResult {
  bool Cancelled = false;
  int Folders = 0;                 // folders listed
  std::vector<TWalkError> Errors;  // folders that could not be opened or listed
};

struct TWalkOptions {
  bool EnterDotFolders = false;
  // Network and pseudo file systems are refused as a start unless allowed (a dead server could
  // hold the walk up); below the start no other mount is ever entered.
  bool AllowNetworkStart = false;
  const std::atomic<bool>* Cancel = nullptr;
};

using TFolderVisit = std::function<void(const TWalkFolder& folder)>;
// Whether to go into a subfolder that the walk's own rules allow; empty: every one.
using TEnterRule = std::function<bool(const TWalkFolder& parent, const TWalkEntry& subfolder)>;

// Visits start and the folders below it depth first, each folder before its subfolders, the
// subfolders in listing order.
TWalkResult WalkFolderTree(const std::string& start, const TWalkOptions& options,
                           const TFolderVisit& visit, const TEnterRule& enter = {});

}  // namespace nubrix::platform

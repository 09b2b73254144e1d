// A folder written as a scan file in the common JSON export format of the field (major version
// 1, minor 2), so that other analyzers can open it and ours can open theirs. The walk follows the
// scan's rules (dot names skipped, links not followed, one file system) and the file is written
// while walking: what is held is one folder's entries at a time, never a list of all files.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace nubrix {

struct TExportResult {
  std::uint64_t Entries = 0;  // files and folders written
  int UnreadableFolders = 0;
  int WriteError = 0;  // errno of the first failed write; the file is not complete then
  bool Cancelled = false;
};

// Walks folder and writes it to the open descriptor out; threads helpers list the folders the
// writer needs next, the writer listing too when it would wait (0: one per processor but the
// writer's, 1 to 7).
TExportResult ExportScan(const std::string& folder, int out,
                         const std::atomic<bool>* cancel = nullptr, int threads = 0);

// The bytes of a name as a JSON string, quotes included: '"', '\' and control bytes escaped,
// every other byte as it is (names that are not UTF-8 stay as they are on the disk).
void AppendJsonString(std::string& out, std::string_view bytes);

}  // namespace nubrix

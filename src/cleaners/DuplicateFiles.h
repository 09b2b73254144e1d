// Reading the files a duplicate search compares, so that nothing is decided from a stale read:
// a file is opened only when it is still the one listed (same file, size and time), and what was
// read counts only when the file did not change while it was read.
#pragma once

#include <sys/stat.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "cleaners/Duplicates.h"

namespace nubrix::duplicates {

// A file as the listing saw it; its folder is an index into the search's folders.
struct TCandidate {
  std::string Name;
  std::uint64_t Size = 0;
  std::int64_t Modified = 0;
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  std::uint32_t Folder = 0;
  platform::TFileTimes Times{};
  std::uint32_t Owner = 0;
};

enum class TReadOutcome { Ok, Changed, Unreadable };

struct TReadStatus {
  TReadOutcome Outcome = TReadOutcome::Ok;
  int Error = 0;  // errno, for Unreadable
  bool Ok() const { return Outcome == TReadOutcome::Ok; }
};

class TCheckedFile {
 public:
  TCheckedFile() = default;
  ~TCheckedFile();
  TCheckedFile(const TCheckedFile&) = delete;
  TCheckedFile& operator=(const TCheckedFile&) = delete;

  // sequential: the whole file will be read, so the kernel may read far ahead.
  TReadStatus Open(const std::string& path, const TCandidate& listed, bool sequential);
  // Exactly length bytes at offset (a file that got shorter is Changed).
  TReadStatus Read(std::uint64_t offset, char* buffer, std::size_t length,
                   std::atomic<std::uint64_t>& bytesRead);
  // Whether the file is as it was when opened.
  TReadStatus Unchanged() const;

 private:
  int Fd_ = -1;
  struct stat Opened_ {};
};

enum class TCompared { Same, Different, FirstFailed, SecondFailed };

struct TCompareResult {
  TCompared Result = TCompared::Same;
  TReadStatus Failure;  // of the file that failed
};

// Reads two files of equal size side by side and stops at the first difference.
using TReadDone = std::function<void(const std::string& path)>;

TCompareResult CompareFiles(const std::string& firstPath, const TCandidate& first,
                            const std::string& secondPath, const TCandidate& second,
                            std::atomic<std::uint64_t>& bytesRead, const TReadDone& readDone = {});

// A digest of the first length bytes (0: the whole file); with content, those bytes are kept
// there too (small files, compared from memory afterwards).
TReadStatus DigestOf(const std::string& path, const TCandidate& listed, std::uint64_t length,
                     TDigest& digest, std::atomic<std::uint64_t>& bytesRead,
                     std::string* content = nullptr, const TReadDone& readDone = {});

TDigest DigestOfBytes(const char* data, std::size_t length);

}  // namespace nubrix::duplicates

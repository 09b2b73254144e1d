// Opening things below an open folder without being led elsewhere: no links followed, no other
// mount entered, no wait on a named pipe or a device.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace nubrix::platform {

// A subfolder of an open folder: never through a link and never into another mount, bind mounts
// included (-EXDEV). A descriptor, or -errno.
int OpenSubfolderAt(int dirFd, const char* name);

// A folder below an open folder by a relative path ("" or "." for the folder itself): every step
// stays beneath it, no link is followed anywhere on the way and no other mount is entered. A
// descriptor, or -errno (-ELOOP for a link, -EXDEV for a mount or a step out).
int OpenBeneath(int rootFd, const std::string& relative);

// The bytes of a regular file (never a link, a pipe or a device), at most maxBytes of them;
// nullopt when it is not a regular file, is larger than maxBytes or cannot be read.
std::optional<std::string> ReadRegularFileAt(int dirFd, const char* name, std::size_t maxBytes);

// The identity of a file: device and inode.
struct TFileId {
  dev_t Device = 0;
  ino_t Inode = 0;
  bool operator==(const TFileId&) const = default;
  bool operator<(const TFileId& other) const {
    return Device != other.Device ? Device < other.Device : Inode < other.Inode;
  }
};
inline TFileId IdOf(const struct stat& info) { return {info.st_dev, info.st_ino}; }

// When a file was made (statx's birth time, in nanoseconds), which a reused inode number does
// not share; 0 where the file system does not tell. name empty: the open file itself.
std::int64_t BirthOf(int dirFd, const char* name);

// When a file's contents and its record last changed, and when it was made, in nanoseconds: a
// file rewritten within the same second (cp -p, touch -r) changes its time of change, a file made
// anew under a reused inode number its birth. 0 where the file system does not tell; Changed 0
// also where a caller's own move changed it (another name of the same file).
struct TFileTimes {
  std::int64_t Modified = 0;
  std::int64_t Changed = 0;
  std::int64_t Birth = 0;
  bool operator==(const TFileTimes&) const = default;
};
// Whether a file with times now is still the file listed with times listed.
bool SameTimes(const TFileTimes& listed, const TFileTimes& now);
// The times and the rest of an entry (never a link followed; name empty: the open file itself);
// false when it cannot be looked at.
bool StatTimesAt(int dirFd, const char* name, struct stat& info, TFileTimes& times);
TFileTimes TimesOf(const struct stat& info, std::int64_t birth);

// Owns one descriptor; -1 (or a negative errno) holds none.
class TFd {
 public:
  explicit TFd(int fd = -1) : Fd_(fd) {}
  ~TFd() {
    if (Fd_ >= 0) close(Fd_);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  TFd(TFd&& other) noexcept : Fd_(std::exchange(other.Fd_, -1)) {}
  TFd& operator=(TFd&& other) noexcept {
    std::swap(Fd_, other.Fd_);
    return *this;
  }
  int Get() const { return Fd_; }
  bool Ok() const { return Fd_ >= 0; }
  int Release() { return std::exchange(Fd_, -1); }

 private:
  int Fd_;
};

// Absolute, and no empty, "." or ".." segment: a path that can only name one place.
bool IsPlainAbsolutePath(const std::string& path);

// Opens the folder at a plain absolute path from "/" without following a link anywhere on the
// way, the folder itself included (-ELOOP when a link stands there). With make, folders missing
// on the way are made (*made tells whether any was), but only inside folders of the caller or of
// root (-EPERM otherwise), and never one that appears meanwhile (-EEXIST). A descriptor, or
// -errno.
int OpenFolderWithoutLinks(const std::string& path, bool make = false, bool* made = nullptr);

// renameat2 with RENAME_NOREPLACE: never replaces what is at the target (errno EEXIST).
bool RenameNoReplace(int fromFd, const char* from, int toFd, const char* to);

// Whether an open folder has no entry at all.
bool IsEmptyFolderFd(int dirFd);

}  // namespace nubrix::platform

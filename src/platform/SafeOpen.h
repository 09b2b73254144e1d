// Opening things below an open folder without being led elsewhere: no links followed, no other
// mount entered, no wait on a named pipe or a device.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <optional>
#include <string>

namespace nubrix::platform {

// A subfolder of an open folder: never through a link and never into another mount, bind mounts
// included (-EXDEV). A descriptor, or -errno.
int OpenSubfolderAt(int dirFd, const char* name);

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

}  // namespace nubrix::platform

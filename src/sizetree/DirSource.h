// The scanner's seam to the operating system. The system implementation lists with getdents64
// and sizes with statx relative to open folder descriptors, so paths of any length work and no
// link is ever followed below the scan root. Tests derive from it to inject failures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/SafeOpen.h"

namespace nubrix {

struct TEntryStat {
  bool IsDirectory = false;
  bool IsRegular = false;     // a plain file: not a folder, link, pipe, device or socket
  std::uint64_t Size = 0;     // apparent size in bytes; a link's own size
  std::int64_t Modified = 0;  // seconds since the epoch
  std::uint64_t Device = 0;
  std::uint64_t Inode = 0;
  std::uint32_t Owner = 0;
  platform::TFileTimes Times;  // to the nanosecond, for a move that must find the same file
};

class TDirSource {
 public:
  virtual ~TDirSource() = default;

  // The folder the user chose; links in its path are followed. A descriptor, or -errno.
  virtual int OpenRoot(const std::string& path);
  // A subfolder of an open folder, never through a link and never into another mount
  // (-EXDEV). A descriptor, or -errno.
  virtual int OpenSubfolder(int dirFd, const char* name);
  // A folder below an open folder by a relative path, beneath it without links or mounts.
  virtual int OpenBeneath(int rootFd, const std::string& relative);
  // getdents64: bytes of linux_dirent64 records, 0 at the end, or -errno.
  virtual long ReadEntries(int dirFd, char* buffer, std::size_t size);
  // The entry's type and size without following a link: 0, or -errno.
  virtual int StatEntry(int dirFd, const char* name, TEntryStat& out);
  // Whether the open folder is the root of a mounted file system.
  virtual bool IsMountRoot(int dirFd);
  virtual void Close(int fd);

  static TDirSource& System();
};

// Directory entry types as getdents reports them (the values of <dirent.h>).
inline constexpr unsigned char kTypeUnknown = 0;
inline constexpr unsigned char kTypeDirectory = 4;

// Calls onEntry(const char* name, std::size_t length, unsigned char type) for every entry of an
// open folder in listing order, "." and ".." included, until it returns false. Returns 0, or the
// errno that ended the listing.
template <class OnEntry>
int ForEachEntry(TDirSource& source, int dirFd, std::vector<char>& buffer, OnEntry&& onEntry);

// Whether a name is "." or "..".
inline bool IsDotOrDotDot(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// ---- implementation of the template ----

namespace detail {
struct TDirentHeader {
  std::uint64_t Inode;
  std::int64_t Offset;
  unsigned short RecordLength;
  unsigned char Type;
  char Name[1];
};
}  // namespace detail

template <class OnEntry>
int ForEachEntry(TDirSource& source, int dirFd, std::vector<char>& buffer, OnEntry&& onEntry) {
  constexpr std::size_t kNameOffset = offsetof(detail::TDirentHeader, Name);
  for (;;) {
    const long got = source.ReadEntries(dirFd, buffer.data(), buffer.size());
    if (got < 0) return static_cast<int>(-got);
    if (got == 0) return 0;
    std::size_t pos = 0;
    while (pos + kNameOffset < static_cast<std::size_t>(got)) {
      const char* record = buffer.data() + pos;
      unsigned short length = 0;
      __builtin_memcpy(&length, record + offsetof(detail::TDirentHeader, RecordLength),
                       sizeof length);
      if (length <= kNameOffset || pos + length > static_cast<std::size_t>(got)) return 0;
      const char* name = record + kNameOffset;
      const unsigned char type =
          static_cast<unsigned char>(record[offsetof(detail::TDirentHeader, Type)]);
      if (!onEntry(name, __builtin_strlen(name), type)) return 0;
      pos += length;
    }
  }
}

}  // namespace nubrix

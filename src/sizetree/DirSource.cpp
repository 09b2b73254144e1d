#include "sizetree/DirSource.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>

#include "platform/Paths.h"
#include "platform/SafeOpen.h"

namespace nubrix {

int TDirSource::OpenRoot(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
  return fd >= 0 ? fd : -errno;
}

int TDirSource::OpenSubfolder(int dirFd, const char* name) {
  return platform::OpenSubfolderAt(dirFd, name);
}

int TDirSource::OpenBeneath(int rootFd, const std::string& relative) {
  return platform::OpenBeneath(rootFd, relative);
}

long TDirSource::ReadEntries(int dirFd, char* buffer, std::size_t size) {
  for (;;) {
    const long got = syscall(SYS_getdents64, dirFd, buffer, size);
    if (got >= 0) return got;
    if (errno != EINTR) return -errno;
  }
}

int TDirSource::StatEntry(int dirFd, const char* name, TEntryStat& out) {
  struct statx info {};
  // DONT_SYNC: a network file system answers from its cache instead of asking the server.
  constexpr int kFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC;
  // The time and the inode come with the same call for free: the largest files show the one and
  // need the other to move the right file later.
  constexpr unsigned kMask =
      STATX_TYPE | STATX_SIZE | STATX_MTIME | STATX_CTIME | STATX_INO | STATX_BTIME | STATX_UID;
  if (statx(dirFd, name, kFlags, kMask, &info) != 0) return -errno;
  out.IsDirectory = S_ISDIR(info.stx_mode);
  out.IsRegular = S_ISREG(info.stx_mode);
  out.Size = out.IsDirectory ? 0 : info.stx_size;
  out.Modified = info.stx_mtime.tv_sec;
  out.Device = makedev(info.stx_dev_major, info.stx_dev_minor);
  out.Inode = info.stx_ino;
  out.Owner = info.stx_uid;
  const auto nanoseconds = [](const statx_timestamp& t) {
    return t.tv_sec * 1'000'000'000LL + t.tv_nsec;
  };
  out.Times = {nanoseconds(info.stx_mtime), nanoseconds(info.stx_ctime),
               (info.stx_mask & STATX_BTIME) != 0 ? nanoseconds(info.stx_btime) : 0};
  return 0;
}

bool TDirSource::IsMountRoot(int dirFd) { return platform::IsMountRootFd(dirFd); }

void TDirSource::Close(int fd) { close(fd); }

TDirSource& TDirSource::System() {
  static TDirSource source;
  return source;
}

}  // namespace nubrix

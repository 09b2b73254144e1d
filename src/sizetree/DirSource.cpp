#include "sizetree/DirSource.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace nubrix {

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

// Set once openat2 turned out to be missing (old kernel or a filter that refuses it).
std::atomic<bool> gNoOpenat2{false};

int OpenWithoutCrossing(int dirFd, const char* name) {
  open_how how{};
  how.flags = kDirFlags;
  how.resolve = RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
  for (;;) {
    const long fd = syscall(SYS_openat2, dirFd, name, &how, sizeof how);
    if (fd >= 0) return static_cast<int>(fd);
    if (errno == EINTR || errno == EAGAIN) continue;
    return -errno;
  }
}

// Without openat2, a change of device tells another file system; bind mounts of the same file
// system are still kept out by the scan's mount table.
int OpenComparingDevice(int dirFd, const char* name) {
  const int fd = openat(dirFd, name, kDirFlags);
  if (fd < 0) return -errno;
  struct stat parent{};
  struct stat child{};
  if (fstat(dirFd, &parent) != 0 || fstat(fd, &child) != 0) {
    const int error = errno;
    close(fd);
    return -error;
  }
  if (parent.st_dev != child.st_dev) {
    close(fd);
    return -EXDEV;
  }
  return fd;
}

}  // namespace

int TDirSource::OpenRoot(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
  return fd >= 0 ? fd : -errno;
}

int TDirSource::OpenSubfolder(int dirFd, const char* name) {
  if (!gNoOpenat2.load(std::memory_order_relaxed)) {
    const int fd = OpenWithoutCrossing(dirFd, name);
    if (fd != -ENOSYS) return fd;
    gNoOpenat2.store(true, std::memory_order_relaxed);
  }
  return OpenComparingDevice(dirFd, name);
}

long TDirSource::ReadEntries(int dirFd, char* buffer, std::size_t size) {
  for (;;) {
    const long got = syscall(SYS_getdents64, dirFd, buffer, size);
    if (got >= 0) return got;
    if (errno != EINTR) return -errno;
  }
}

int TDirSource::StatEntry(int dirFd, const char* name, TEntryStat& out) {
  struct statx info{};
  // DONT_SYNC: a network file system answers from its cache instead of asking the server.
  constexpr int kFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC;
  if (statx(dirFd, name, kFlags, STATX_TYPE | STATX_SIZE, &info) != 0) return -errno;
  out.IsDirectory = S_ISDIR(info.stx_mode);
  out.Size = out.IsDirectory ? 0 : info.stx_size;
  return 0;
}

bool TDirSource::IsMountRoot(int dirFd) {
  struct statx self{};
  if (statx(dirFd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_TYPE, &self) == 0 &&
      (self.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
    return (self.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
  }
  // Older kernels: a folder whose parent lies on another device, or that is its own parent.
  struct stat here{};
  struct stat up{};
  if (fstat(dirFd, &here) != 0 || fstatat(dirFd, "..", &up, 0) != 0) return false;
  return here.st_dev != up.st_dev || here.st_ino == up.st_ino;
}

void TDirSource::Close(int fd) { close(fd); }

TDirSource& TDirSource::System() {
  static TDirSource source;
  return source;
}

}  // namespace nubrix

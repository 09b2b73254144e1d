#include "platform/SafeOpen.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/Paths.h"

namespace nubrix::platform {

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

// Without openat2: another device, or the root of a bind mount, is another mount.
int OpenComparingDevice(int dirFd, const char* name) {
  const int fd = openat(dirFd, name, kDirFlags);
  if (fd < 0) return -errno;
  struct stat parent {};
  struct stat child {};
  if (fstat(dirFd, &parent) != 0 || fstat(fd, &child) != 0) {
    const int error = errno;
    close(fd);
    return -error;
  }
  if (parent.st_dev != child.st_dev || IsMountRootFd(fd)) {
    close(fd);
    return -EXDEV;
  }
  return fd;
}

}  // namespace

int OpenSubfolderAt(int dirFd, const char* name) {
  if (!gNoOpenat2.load(std::memory_order_relaxed)) {
    const int fd = OpenWithoutCrossing(dirFd, name);
    if (fd != -ENOSYS) return fd;
    gNoOpenat2.store(true, std::memory_order_relaxed);
  }
  return OpenComparingDevice(dirFd, name);
}

std::optional<std::string> ReadRegularFileAt(int dirFd, const char* name, std::size_t maxBytes) {
  // O_NONBLOCK: opening a named pipe must not wait for a writer.
  const int fd = openat(dirFd, name, O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  std::optional<std::string> bytes;
  if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      static_cast<std::size_t>(info.st_size) <= maxBytes) {
    std::string data(static_cast<std::size_t>(info.st_size), '\0');
    std::size_t done = 0;
    bool failed = false;
    while (done < data.size()) {
      const ssize_t got = read(fd, data.data() + done, data.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) failed = true;
      if (got <= 0) break;
      done += static_cast<std::size_t>(got);
    }
    data.resize(done);  // a file that shrank meanwhile is read as it is now
    if (!failed) bytes = std::move(data);
  }
  close(fd);
  return bytes;
}

}  // namespace nubrix::platform

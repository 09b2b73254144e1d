#include "platform/SafeOpen.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string_view>

#include "platform/Paths.h"

namespace nubrix::platform {

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

// Set once openat2 turned out to be missing (old kernel or a filter that refuses it).
std::atomic<bool> gNoOpenat2{false};

// A folder by openat2 with the given resolve rules: a descriptor, or -errno (-ENOSYS, and
// openat2 marked missing, where the kernel or a filter refuses the call).
int OpenFolderAt2(int dirFd, const char* path, std::uint64_t resolve) {
  open_how how{};
  how.flags = kDirFlags;
  how.resolve = resolve | RESOLVE_NO_MAGICLINKS;
  for (;;) {
    const long fd = syscall(SYS_openat2, dirFd, path, &how, sizeof how);
    if (fd >= 0) return static_cast<int>(fd);
    if (errno == EINTR || errno == EAGAIN) continue;
    if (errno == ENOSYS) gNoOpenat2.store(true, std::memory_order_relaxed);
    return -errno;
  }
}

int OpenWithoutCrossing(int dirFd, const char* name) {
  return OpenFolderAt2(dirFd, name, RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS);
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

int OpenNoLinkStep(int at, const char* name) {
  const int fd = openat(at, name, kDirFlags);
  if (fd >= 0) return fd;
  const int error = errno;
  struct stat info {};
  // O_NOFOLLOW on a link gives ELOOP or ENOTDIR depending on O_DIRECTORY: say which it was.
  if (fstatat(at, name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode)) return -ELOOP;
  return -error;
}

// One folder at a time: for kernels without openat2, and for making what is missing.
int OpenStepByStep(const std::string& path, bool make, bool* made) {
  TFd at(open("/", kDirFlags));
  if (!at.Ok()) return -errno;
  std::size_t start = 1;
  while (start < path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string segment = path.substr(start, end - start);
    int next = OpenNoLinkStep(at.Get(), segment.c_str());
    if (next == -ENOENT && make) {
      // Only in a folder of the caller's own (or the system's), and only a folder made now: one
      // that someone else made meanwhile (EEXIST) is theirs, whatever its name.
      struct stat parent {};
      if (fstat(at.Get(), &parent) != 0) return -errno;
      if (parent.st_uid != geteuid() && parent.st_uid != 0) return -EPERM;
      if (mkdirat(at.Get(), segment.c_str(), 0777) != 0) return -errno;
      if (made != nullptr) *made = true;
      next = OpenNoLinkStep(at.Get(), segment.c_str());
      struct stat child {};
      if (next >= 0 && (fstat(next, &child) != 0 || child.st_uid != geteuid())) {
        close(next);
        return -EPERM;
      }
    }
    if (next < 0) return next;
    at = TFd(next);
    start = end + 1;
  }
  return at.Release();
}

}  // namespace

bool IsPlainAbsolutePath(const std::string& path) {
  if (path.size() < 2 || path[0] != '/' || path.back() == '/') return false;
  std::size_t start = 1;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    const std::string_view segment(path.data() + start, end - start);
    if (segment.empty() || segment == "." || segment == "..") return false;
    start = end + 1;
  }
  return true;
}

int OpenFolderWithoutLinks(const std::string& path, bool make, bool* made) {
  if (made != nullptr) *made = false;
  if (path == "/") return OpenStepByStep(path, false, nullptr);
  if (!IsPlainAbsolutePath(path)) return -EINVAL;
  if (!make && !gNoOpenat2.load(std::memory_order_relaxed)) {
    const int fd = OpenFolderAt2(AT_FDCWD, path.c_str(), RESOLVE_NO_SYMLINKS);
    if (fd != -ENOSYS) return fd;
  }
  return OpenStepByStep(path, make, made);
}

std::int64_t BirthOf(int dirFd, const char* name) {
  struct statx info {};
  const int flags = AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC | (*name == 0 ? AT_EMPTY_PATH : 0);
  if (statx(dirFd, name, flags, STATX_BTIME, &info) != 0 || (info.stx_mask & STATX_BTIME) == 0)
    return 0;
  return info.stx_btime.tv_sec * 1'000'000'000LL + info.stx_btime.tv_nsec;
}

namespace {

std::int64_t Nanoseconds(std::int64_t seconds, std::int64_t nanoseconds) {
  return seconds * 1'000'000'000LL + nanoseconds;
}

}  // namespace

bool SameTimes(const TFileTimes& listed, const TFileTimes& now) {
  const bool changed = listed.Changed != 0 && listed.Changed != now.Changed;
  const bool reborn = listed.Birth != 0 && now.Birth != 0 && listed.Birth != now.Birth;
  return listed.Modified == now.Modified && !changed && !reborn;
}

TFileTimes TimesOf(const struct stat& info, std::int64_t birth) {
  return {Nanoseconds(info.st_mtim.tv_sec, info.st_mtim.tv_nsec),
          Nanoseconds(info.st_ctim.tv_sec, info.st_ctim.tv_nsec), birth};
}

bool StatTimesAt(int dirFd, const char* name, struct stat& info, TFileTimes& times) {
  struct statx x {};
  const int flags = AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC | (*name == 0 ? AT_EMPTY_PATH : 0);
  if (statx(dirFd, name, flags, STATX_BASIC_STATS | STATX_BTIME, &x) != 0) return false;
  info = {};
  info.st_dev = makedev(x.stx_dev_major, x.stx_dev_minor);
  info.st_ino = x.stx_ino;
  info.st_mode = x.stx_mode;
  info.st_nlink = x.stx_nlink;
  info.st_uid = x.stx_uid;
  info.st_gid = x.stx_gid;
  info.st_size = static_cast<off_t>(x.stx_size);
  info.st_blocks = static_cast<blkcnt_t>(x.stx_blocks);
  info.st_mtim = {x.stx_mtime.tv_sec, x.stx_mtime.tv_nsec};
  info.st_ctim = {x.stx_ctime.tv_sec, x.stx_ctime.tv_nsec};
  info.st_atim = {x.stx_atime.tv_sec, x.stx_atime.tv_nsec};
  const std::int64_t birth =
      (x.stx_mask & STATX_BTIME) != 0 ? Nanoseconds(x.stx_btime.tv_sec, x.stx_btime.tv_nsec) : 0;
  times = TimesOf(info, birth);
  return true;
}

bool IsEmptyFolderFd(int dirFd) {
  const int listing = openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = listing >= 0 ? fdopendir(listing) : nullptr;
  if (dir == nullptr) {
    if (listing >= 0) close(listing);
    return false;
  }
  bool empty = true;
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") {
      empty = false;
      break;
    }
  }
  closedir(dir);
  return empty;
}

bool RenameNoReplace(int fromFd, const char* from, int toFd, const char* to) {
  if (renameat2(fromFd, from, toFd, to, RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the flag: look, then rename. The gap is only ever in a folder of the
  // caller's own (its trash, or the folder it restores into after checking it).
  struct stat info {};
  if (fstatat(toFd, to, &info, AT_SYMLINK_NOFOLLOW) == 0) {
    errno = EEXIST;
    return false;
  }
  return renameat(fromFd, from, toFd, to) == 0;
}

int OpenSubfolderAt(int dirFd, const char* name) {
  if (!gNoOpenat2.load(std::memory_order_relaxed)) {
    const int fd = OpenWithoutCrossing(dirFd, name);
    if (fd != -ENOSYS) return fd;
    gNoOpenat2.store(true, std::memory_order_relaxed);
  }
  return OpenComparingDevice(dirFd, name);
}

namespace {

// Without openat2: one step at a time, each checked as OpenSubfolderAt checks it.
int OpenBeneathStepByStep(int rootFd, const std::string& relative) {
  TFd at(openat(rootFd, ".", kDirFlags));
  if (!at.Ok()) return -errno;
  std::size_t start = 0;
  while (start < relative.size()) {
    std::size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    const std::string segment = relative.substr(start, end - start);
    start = end + 1;
    if (segment.empty() || segment == ".") continue;
    if (segment == "..") return -EINVAL;
    const int next = OpenComparingDevice(at.Get(), segment.c_str());
    if (next < 0) {
      struct stat info {};
      if (fstatat(at.Get(), segment.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
          S_ISLNK(info.st_mode))
        return -ELOOP;
      return next;
    }
    at = TFd(next);
  }
  return at.Release();
}

}  // namespace

int OpenBeneath(int rootFd, const std::string& relative) {
  const std::string path = relative.empty() ? "." : relative;
  if (!gNoOpenat2.load(std::memory_order_relaxed)) {
    const int fd = OpenFolderAt2(rootFd, path.c_str(),
                                 RESOLVE_BENEATH | RESOLVE_NO_XDEV | RESOLVE_NO_SYMLINKS);
    if (fd != -ENOSYS) return fd;
  }
  return OpenBeneathStepByStep(rootFd, path);
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

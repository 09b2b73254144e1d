#include "platform/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/MountInfo.h"

namespace nubrix::platform {

namespace {

bool WriteAll(int fd, std::string_view text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t wrote = write(fd, text.data() + done, text.size() - done);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) {
      if (wrote == 0) errno = ENOSPC;
      return false;
    }
    done += static_cast<std::size_t>(wrote);
  }
  return true;
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(at + i);
    if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF)) return 0;
  }
  return length;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (path.empty() || path.back() != '/') path.push_back('/');
  path.append(name);
  return path;
}

std::string WithSeparator(std::string path) {
  if (path.empty()) return path;
  path = WithoutSeparator(std::move(path));
  if (path != "/") path.push_back('/');
  return path;
}

std::string WithoutSeparator(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::string trimmed = WithoutSeparator(path);
  const std::size_t slash = trimmed.rfind('/');
  return slash == std::string::npos || trimmed == "/" ? trimmed : trimmed.substr(slash + 1);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return !path.empty() && lstat(path.c_str(), &info) == 0;
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsMountRoot(const std::string& path) {
  const std::string wanted = WithoutSeparator(path);
  for (const TMountEntry& mount : ReadMountInfo()) {
    if (mount.MountPoint == wanted) return true;
  }
  return false;
}

bool IsMountRootFd(int dirFd) {
  struct statx self {};
  if (statx(dirFd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_TYPE, &self) == 0 &&
      (self.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0) {
    return (self.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
  }
  struct stat here {};
  struct stat up {};
  if (fstat(dirFd, &here) != 0 || fstatat(dirFd, "..", &up, 0) != 0) return false;
  return here.st_dev != up.st_dev || here.st_ino == up.st_ino;
}

std::string ShownPath(std::string_view path) {
  std::string shown;
  shown.reserve(path.size());
  for (std::size_t at = 0; at < path.size();) {
    const std::size_t length = Utf8SequenceLength(path, at);
    if (length == 0) {
      shown += "\xEF\xBF\xBD";
      ++at;
    } else {
      shown.append(path.substr(at, length));
      at += length;
    }
  }
  return shown;
}

namespace {

constexpr int kMaxLinkHops = 40;

// The file a path leads to through links, as writing to it would: the links themselves stay.
// A dangling link leads to where its target would be.
std::string FollowLinks(const std::string& fileName, int& error) {
  std::string path = fileName;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::string target(static_cast<std::size_t>(info.st_size) + 1, '\0');
    const ssize_t length = readlink(path.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) break;
    target.resize(static_cast<std::size_t>(length));
    path = target[0] == '/' ? target : JoinPath(FolderOf(path), target);
  }
  error = ELOOP;
  return {};
}

// A file with several names is written where it is, or its other names would keep the old
// text. Never truncated first: the new length is reserved before a byte changes, so a full disk
// leaves it as it was.
int RewriteInPlace(const std::string& fileName, std::string_view contents) {
  const int fd = ::open(fileName.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return errno;
  struct stat info {};
  int error = fstat(fd, &info) == 0 ? 0 : errno;
  const auto length = static_cast<off_t>(contents.size());
  if (error == 0 && length > info.st_size && fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, length) != 0) {
    error = errno == EOPNOTSUPP ? 0 : errno;
    struct statvfs room {};
    const auto missing = static_cast<unsigned long long>(length - info.st_size);
    if (error == 0 && fstatvfs(fd, &room) == 0 &&
        static_cast<unsigned long long>(room.f_bavail) * room.f_frsize < missing * 2) {
      error = ENOSPC;
    }
  }
  if (error == 0 && (lseek(fd, 0, SEEK_SET) != 0 || !WriteAll(fd, contents))) error = errno;
  if (error == 0 && (ftruncate(fd, length) != 0 || fsync(fd) != 0)) error = errno;
  close(fd);
  return error;
}

// The new file gets the old one's owner and group; one that cannot is refused, or the owner's
// program could no longer read its own file.
int KeepOwner(int fd, const struct stat& old) {
  struct stat now {};
  if (fstat(fd, &now) != 0) return errno;
  if (now.st_uid == old.st_uid && now.st_gid == old.st_gid) return 0;
  return fchown(fd, old.st_uid, old.st_gid) == 0 ? 0 : errno;
}

}  // namespace

int ReplaceFileAtomically(const std::string& fileName, std::string_view contents,
                          unsigned newMode) {
  int error = 0;
  const std::string target = FollowLinks(fileName, error);
  if (error != 0) return error;
  struct stat old {};
  const bool existed = lstat(target.c_str(), &old) == 0;
  if (existed && !S_ISREG(old.st_mode)) return EINVAL;
  // A file nobody may write is read-only, whoever we are.
  if (existed && (old.st_mode & 0222) == 0) return EACCES;
  if (existed && old.st_nlink > 1) return RewriteInPlace(target, contents);
  std::string temporary = target + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return errno;
  const mode_t mode = existed ? (old.st_mode & 07777) : static_cast<mode_t>(newMode);
  if (existed) error = KeepOwner(fd, old);
  if (error == 0 && (fchmod(fd, mode) != 0 || !WriteAll(fd, contents) || fsync(fd) != 0))
    error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temporary.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temporary.c_str());
    return error;
  }
  // The rename itself reaches the disk with the folder.
  const int folder = open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return 0;
}

int WriteNewFileAtomically(const std::string& fileName, std::string_view contents, unsigned mode) {
  std::string temporary = fileName + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return errno;
  int error = 0;
  if (fchmod(fd, static_cast<mode_t>(mode)) != 0 || !WriteAll(fd, contents) || fsync(fd) != 0)
    error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 &&
      renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, fileName.c_str(), RENAME_NOREPLACE) != 0) {
    error = errno;
    // Without the flag on this file system: a hard link never replaces either.
    if ((error == EINVAL || error == ENOSYS) && link(temporary.c_str(), fileName.c_str()) == 0)
      error = 0;
  }
  unlink(temporary.c_str());  // gone by the rename, or the extra name of the link
  return error;
}

bool ReadWholeFile(const std::string& fileName, std::string& contents) {
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  contents.clear();
  char buffer[65536];
  ssize_t got = 0;
  while ((got = ::read(fd, buffer, sizeof buffer)) != 0) {
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) break;
    contents.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return got == 0;
}

}  // namespace nubrix::platform

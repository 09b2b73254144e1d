#include "platform/Paths.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

int ReplaceFileAtomically(const std::string& fileName, std::string_view contents,
                          unsigned newMode) {
  struct stat old {};
  const bool existed = stat(fileName.c_str(), &old) == 0;
  // A file nobody may write is read-only, whoever we are.
  if (existed && (old.st_mode & 0222) == 0) return EACCES;
  std::string temporary = fileName + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) return errno;
  const mode_t mode = existed ? (old.st_mode & 07777) : static_cast<mode_t>(newMode);
  int error = 0;
  if (fchmod(fd, mode) != 0 || !WriteAll(fd, contents) || fsync(fd) != 0) error = errno;
  if (close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && rename(temporary.c_str(), fileName.c_str()) != 0) error = errno;
  if (error != 0) {
    unlink(temporary.c_str());
    return error;
  }
  // The rename itself reaches the disk with the folder.
  const int folder = open(FolderOf(fileName).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    fsync(folder);
    close(folder);
  }
  return 0;
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

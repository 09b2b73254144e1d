#include "platform/Trash.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <set>
#include <string_view>

#include <gio/gio.h>

#include "platform/MountInfo.h"

namespace nubrix::platform {

namespace {

bool IsMountRootAt(int dirFd, const char* name) {
  struct statx info{};
  return statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE, &info) == 0 &&
         (info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0 && (info.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
}

std::string HomeTrash() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return std::string(data) + "/Trash";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.local/share/Trash";
}

// A real folder (not a link) owned by us.
bool OwnFolder(const std::string& path, struct stat& info) {
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid();
}

bool SkippedFileSystem(const std::string& type) {
  static const std::set<std::string> kSkipped = {"proc",   "sysfs",   "devtmpfs", "devpts", "cgroup", "cgroup2",
                                                 "autofs", "mqueue",  "debugfs",  "tracefs", "securityfs",
                                                 "pstore", "bpf",     "configfs", "fusectl", "hugetlbfs",
                                                 "binfmt_misc", "nfs", "nfs4", "cifs", "smb3", "9p", "ceph"};
  return kSkipped.count(type) != 0 || type.starts_with("fuse.");
}

// Empties one folder inside a trash folder (files/, info/, expunged/); a missing one is empty.
int EmptySubfolder(const std::string& trash, const char* sub, std::vector<std::string>& failures) {
  const std::string path = trash + "/" + sub;
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return 0;
  const int removed = RemoveContents(fd, failures, path);
  close(fd);
  return removed;
}

}  // namespace

// One descriptor at a time and a stack of names, going back up through "..": a trashed tree may
// be deeper than the call stack or the descriptor limit allow. ".." is the real parent because
// links and mount points are never entered.
int RemoveContents(int dirFd, std::vector<std::string>& failures, const std::string& shownPath) {
  int removed = 0;
  int current = dup(dirFd);
  std::vector<std::string> names;
  std::set<std::pair<dev_t, ino_t>> tried;
  auto shown = [&](const std::string& name) {
    std::string path = shownPath;
    for (const std::string& part : names) path += "/" + part;
    return path + "/" + name;
  };
  while (current >= 0) {
    const int listing = dup(current);
    lseek(listing, 0, SEEK_SET);
    DIR* dir = fdopendir(listing);
    if (dir == nullptr) {
      close(listing);
      break;
    }
    std::string descend;
    while (dirent* entry = readdir(dir)) {
      const char* name = entry->d_name;
      if (std::string_view(name) == "." || std::string_view(name) == "..") continue;
      struct stat info{};
      if (fstatat(current, name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;  // gone already
      if (!S_ISDIR(info.st_mode)) {
        if (unlinkat(current, name, 0) == 0) {
          ++removed;
        } else {
          failures.push_back(shown(name));
        }
        continue;
      }
      if (unlinkat(current, name, AT_REMOVEDIR) == 0) {
        ++removed;
        continue;
      }
      if (!tried.insert({info.st_dev, info.st_ino}).second) {
        failures.push_back(shown(name));
        continue;
      }
      if (IsMountRootAt(current, name)) {
        failures.push_back(shown(name) + " (a mount point, not entered)");
        continue;
      }
      // Trashed read-only trees must be made writable before their entries can go.
      fchmodat(current, name, (info.st_mode & 07777) | S_IRWXU, 0);
      descend = name;
      break;
    }
    closedir(dir);
    if (!descend.empty()) {
      const int next = openat(current, descend.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (next < 0) continue;  // tried: the next round reports it
      close(current);
      current = next;
      names.push_back(descend);
      continue;
    }
    if (names.empty()) break;
    // Back in the parent, whose next round removes the folder just emptied.
    const int up = openat(current, "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    close(current);
    current = up;
    names.pop_back();
  }
  if (current >= 0) close(current);
  return removed;
}

TTrashResult MoveToTrash(const std::string& path) {
  TTrashResult result;
  GFile* file = g_file_new_for_path(path.c_str());
  GError* error = nullptr;
  result.Ok = g_file_trash(file, nullptr, &error) != FALSE;
  if (!result.Ok) {
    const bool unsupported = error != nullptr && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED);
    result.Error = unsupported ? "No trash can take " + path + "; it was left where it is."
                               : "Could not move " + path + " to the trash: " + (error ? error->message : "unknown error");
  }
  if (error != nullptr) g_error_free(error);
  g_object_unref(file);
  return result;
}

std::vector<std::string> UserTrashFolders() {
  std::vector<std::string> folders;
  std::set<std::pair<dev_t, ino_t>> seen;
  auto consider = [&](const std::string& path) {
    struct stat info{};
    if (OwnFolder(path, info) && seen.insert({info.st_dev, info.st_ino}).second) folders.push_back(path);
  };
  consider(HomeTrash());
  const std::string uid = std::to_string(getuid());
  for (const TMountEntry& mount : ReadMountInfo()) {
    if (SkippedFileSystem(mount.FsType)) continue;
    const std::string top = mount.MountPoint == "/" ? "" : mount.MountPoint;
    // $topdir/.Trash/$uid only under a real, sticky .Trash.
    struct stat shared{};
    const std::string sharedTrash = top + "/.Trash";
    if (lstat(sharedTrash.c_str(), &shared) == 0 && S_ISDIR(shared.st_mode) && (shared.st_mode & S_ISVTX)) {
      consider(sharedTrash + "/" + uid);
    }
    consider(top + "/.Trash-" + uid);
  }
  return folders;
}

TEmptyResult EmptyAllTrash() {
  TEmptyResult result;
  for (const std::string& trash : UserTrashFolders()) {
    result.TrashFolders.push_back(trash);
    result.Removed += EmptySubfolder(trash, "files", result.Failures);
    EmptySubfolder(trash, "info", result.Failures);
    EmptySubfolder(trash, "expunged", result.Failures);
    unlink((trash + "/directorysizes").c_str());
  }
  return result;
}

}  // namespace nubrix::platform

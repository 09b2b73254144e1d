#include "platform/Trash.h"

#include <dirent.h>
#include <fcntl.h>
#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <set>
#include <string_view>

#include "platform/Mounts.h"
#include "platform/Paths.h"
#include "platform/SafeOpen.h"
#include "platform/TrashItems.h"

namespace nubrix::platform {

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
// Folders moved away during one emptying: after this many the walk gives up on the folder.
constexpr int kMaxRestarts = 64;

bool SkippedFileSystem(const std::string& type) {
  return IsPseudoFileSystem(type) || IsNetworkFileSystem(type) || type.starts_with("fuse.") ||
         type == "fuse";
}

// A folder of uid that nobody else may write.
bool OwnPrivateFolder(int fd, uid_t uid) {
  struct stat info {};
  return fstat(fd, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == uid &&
         (info.st_mode & 022) == 0;
}

// name below an open folder, as a folder of uid on the same mount; -errno.
int OpenOwnSubfolder(int dirFd, const char* name, uid_t uid) {
  const int fd = OpenSubfolderAt(dirFd, name);
  if (fd < 0) return fd;
  struct stat info {};
  if (fstat(fd, &info) != 0 || info.st_uid != uid) {
    close(fd);
    return -EPERM;
  }
  return fd;
}

int Checked(int fd, bool passes) {
  if (fd >= 0 && !passes) {
    close(fd);
    return -EPERM;
  }
  return fd;
}

int OpenAt(int dirFd, const char* name) {
  const int fd = openat(dirFd, name, kDirFlags);
  return fd >= 0 ? fd : -errno;
}

std::string EndsWithout(std::string_view name, std::string_view suffix) {
  if (name.size() <= suffix.size() || !name.ends_with(suffix)) return {};
  return std::string(name.substr(0, name.size() - suffix.size()));
}

// The walk of RemoveContents. One descriptor at a time and a stack of names and identities,
// going back up through "..": a trashed tree may be deeper than the call stack or the descriptor
// limit allow. Every step up is checked against the identity remembered on the way down, so a
// folder moved out of the trash meanwhile (restored by a file manager) can never lead the walk
// into the folder it was moved to.
class TRemoval {
 public:
  TRemoval(int topFd, std::vector<std::string>& failures, std::string shownPath,
           const TRemoveHooks* hooks)
      : TopFd_(topFd), Failures_(failures), ShownTop_(std::move(shownPath)), Hooks_(hooks) {}

  int Run() {
    struct stat top {};
    if (fstat(TopFd_, &top) != 0) return 0;
    Ids_.push_back(IdOf(top));
    Current_ = dup(TopFd_);
    while (Current_ >= 0) {
      if (!InPlace()) {
        if (!Restart()) break;
        continue;
      }
      std::string descend;
      if (!EmptyRound(descend)) continue;  // Restart() has run
      if (!descend.empty()) {
        Descend(descend);
      } else if (Names_.empty()) {
        break;
      } else {
        ClimbUp();
      }
    }
    if (Current_ >= 0) close(Current_);
    return Removed_;
  }

 private:
  std::string Shown(const std::string& name = {}) const {
    std::string path = ShownTop_;
    for (const std::string& part : Names_) path += "/" + part;
    return name.empty() ? path : path + "/" + name;
  }

  // Whether the current folder still lies in the folder the walk came down from.
  bool InPlace() const {
    if (Names_.empty()) return true;
    struct stat up {};
    return fstatat(Current_, "..", &up, AT_SYMLINK_NOFOLLOW) == 0 &&
           IdOf(up) == Ids_[Ids_.size() - 2];
  }

  // Back to the top after a folder was moved away; false when the walk gives up.
  bool Restart() {
    Failures_.push_back(Shown() + " (moved away while the trash was emptied; left alone)");
    close(Current_);
    Current_ = -1;
    if (++Restarts_ > kMaxRestarts) return false;
    Names_.clear();
    Ids_.resize(1);
    Current_ = dup(TopFd_);
    return Current_ >= 0;
  }

  // Removes what can go at once; names the first folder that must be emptied first. False when
  // the folder moved away in the middle (the walk has restarted).
  bool EmptyRound(std::string& descend) {
    const int listing = dup(Current_);
    DIR* dir = listing >= 0 ? fdopendir(listing) : nullptr;
    if (dir == nullptr) {
      if (listing >= 0) close(listing);
      Failures_.push_back(Shown() + " (cannot be listed)");
      return true;
    }
    rewinddir(dir);
    bool inPlace = true;
    while (const dirent* entry = readdir(dir)) {
      const std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      if (!(inPlace = InPlace())) break;
      if (RemoveOrChoose(entry->d_name, descend)) break;
    }
    closedir(dir);
    if (inPlace) return true;
    Restart();
    return false;
  }

  // True when name is a folder to descend into.
  bool RemoveOrChoose(const char* name, std::string& descend) {
    struct stat info {};
    if (fstatat(Current_, name, &info, AT_SYMLINK_NOFOLLOW) != 0) return false;  // gone already
    if (!S_ISDIR(info.st_mode)) {
      if (unlinkat(Current_, name, 0) == 0) {
        ++Removed_;
      } else {
        Failures_.push_back(Shown(name));
      }
      return false;
    }
    if (unlinkat(Current_, name, AT_REMOVEDIR) == 0) {
      ++Removed_;
      return false;
    }
    if (!Tried_.insert(IdOf(info)).second) {
      Failures_.push_back(Shown(name));
      return false;
    }
    descend = name;
    return true;
  }

  void Descend(const std::string& name) {
    struct stat seen {};
    if (fstatat(Current_, name.c_str(), &seen, AT_SYMLINK_NOFOLLOW) != 0) return;
    int fd = OpenAt(Current_, name.c_str());
    if (fd == -EACCES) {
      // A trashed read-only tree: the folder itself is made usable, never a link's target.
      fchmodat(Current_, name.c_str(), (seen.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW);
      fd = OpenAt(Current_, name.c_str());
    }
    if (fd < 0) return;  // tried: the next round reports it
    struct stat opened {};
    struct stat here {};
    const bool same =
        fstat(fd, &opened) == 0 && IdOf(opened) == IdOf(seen) && S_ISDIR(opened.st_mode);
    const bool otherMount =
        fstat(Current_, &here) != 0 || opened.st_dev != here.st_dev || IsMountRootFd(fd);
    if (!same || otherMount) {
      if (otherMount) Failures_.push_back(Shown(name) + " (a mount point, not entered)");
      close(fd);
      return;
    }
    if ((opened.st_mode & S_IRWXU) != S_IRWXU) fchmod(fd, (opened.st_mode & 07777) | S_IRWXU);
    close(Current_);
    Current_ = fd;
    Names_.push_back(name);
    Ids_.push_back(IdOf(opened));
    if (Hooks_ != nullptr && Hooks_->FolderEntered) Hooks_->FolderEntered(Shown());
  }

  // Back in the parent, whose next round removes the folder just emptied.
  void ClimbUp() {
    if (Hooks_ != nullptr && Hooks_->LeavingFolder) Hooks_->LeavingFolder(Shown());
    const int up = OpenAt(Current_, "..");
    struct stat info {};
    if (up < 0 || fstat(up, &info) != 0 || IdOf(info) != Ids_[Ids_.size() - 2]) {
      if (up >= 0) close(up);
      Restart();
      return;
    }
    close(Current_);
    Current_ = up;
    Names_.pop_back();
    Ids_.pop_back();
  }

  int TopFd_;
  std::vector<std::string>& Failures_;
  std::string ShownTop_;
  const TRemoveHooks* Hooks_;
  int Current_ = -1;
  int Removed_ = 0;
  int Restarts_ = 0;
  std::vector<std::string> Names_;
  std::vector<TFileId> Ids_;  // of the top and of every folder in Names_
  std::set<TFileId> Tried_;
};

// Removes the info files whose item is no longer in files/ (filesFd < 0: none is).
void EmptyInfo(int infoFd, int filesFd, std::vector<std::string>& failures,
               const std::string& shown) {
  const int listing = dup(infoFd);
  DIR* dir = listing >= 0 ? fdopendir(listing) : nullptr;
  if (dir == nullptr) {
    if (listing >= 0) close(listing);
    return;
  }
  while (const dirent* entry = readdir(dir)) {
    const std::string item = EndsWithout(entry->d_name, ".trashinfo");
    if (item.empty()) continue;
    struct stat info {};
    if (filesFd >= 0 && fstatat(filesFd, item.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) continue;
    if (fstatat(infoFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(info.st_mode))
      continue;
    if (unlinkat(infoFd, entry->d_name, 0) != 0) failures.push_back(shown + "/" + entry->d_name);
  }
  closedir(dir);
}

void EmptyTrashFolder(int trashFd, const std::string& shown, uid_t uid, TEmptyResult& result,
                      const TRemoveHooks* hooks) {
  const int files = OpenOwnSubfolder(trashFd, "files", uid);
  if (files >= 0) result.Removed += RemoveContents(files, result.Failures, shown + "/files", hooks);
  // info/ keeps the entries of items that are still there, so they can be restored.
  if (files >= 0 || files == -ENOENT) {
    const int info = OpenOwnSubfolder(trashFd, "info", uid);
    if (info >= 0) {
      EmptyInfo(info, files, result.Failures, shown + "/info");
      close(info);
    }
  } else {
    result.Failures.push_back(shown + "/files (cannot be opened; nothing emptied)");
  }
  if (files >= 0) close(files);
  const int expunged = OpenOwnSubfolder(trashFd, "expunged", uid);
  if (expunged >= 0) {
    RemoveContents(expunged, result.Failures, shown + "/expunged", hooks);
    close(expunged);
  }
  unlinkat(trashFd, "directorysizes", 0);
}

}  // namespace

std::string TTrashFolder::Path(uid_t uid) const {
  const std::string top = Top == "/" ? "" : Top;
  switch (Kind) {
    case TTrashKind::Home:
      return top + "/Trash";
    case TTrashKind::Shared:
      return top + "/.Trash/" + std::to_string(uid);
    case TTrashKind::Private:
      break;
  }
  return top + "/.Trash-" + std::to_string(uid);
}

std::string DataHome() {
  const char* data = std::getenv("XDG_DATA_HOME");
  if (data != nullptr && data[0] == '/') return data;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.local/share";
}

std::vector<TTrashFolder> TrashFolderCandidates(const std::string& dataHome,
                                                const std::vector<TMountEntry>& mounts, uid_t) {
  std::vector<TTrashFolder> folders{{dataHome, TTrashKind::Home}};
  for (const TMountEntry& mount : mounts) {
    if (SkippedFileSystem(mount.FsType)) continue;
    folders.push_back({mount.MountPoint, TTrashKind::Shared});
    folders.push_back({mount.MountPoint, TTrashKind::Private});
  }
  return folders;
}

int OpenTrashFolder(const TTrashFolder& folder, uid_t uid) {
  const int top = open(folder.Top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
  if (top < 0) return -errno;
  int fd = -ENOENT;
  const std::string id = std::to_string(uid);
  switch (folder.Kind) {
    case TTrashKind::Home:
      fd = Checked(OpenAt(top, "Trash"), true);
      break;
    case TTrashKind::Shared: {
      const int shared = OpenSubfolderAt(top, ".Trash");
      struct stat info {};
      const bool sticky = shared >= 0 && fstat(shared, &info) == 0 && (info.st_mode & S_ISVTX) != 0;
      fd = sticky ? OpenSubfolderAt(shared, id.c_str()) : (shared < 0 ? shared : -EPERM);
      if (shared >= 0) close(shared);
      break;
    }
    case TTrashKind::Private:
      fd = OpenSubfolderAt(top, (".Trash-" + id).c_str());
      break;
  }
  close(top);
  return Checked(fd, fd >= 0 && OwnPrivateFolder(fd, uid));
}

std::vector<std::string> UserTrashFolders() {
  std::vector<std::string> paths;
  std::set<TFileId> seen;
  const uid_t uid = getuid();
  for (const TTrashFolder& folder : TrashFolderCandidates(DataHome(), ReadMountInfo(), uid)) {
    const int fd = OpenTrashFolder(folder, uid);
    struct stat info {};
    if (fd >= 0 && fstat(fd, &info) == 0 && seen.insert(IdOf(info)).second)
      paths.push_back(folder.Path(uid));
    if (fd >= 0) close(fd);
  }
  return paths;
}

int RemoveContents(int dirFd, std::vector<std::string>& failures, const std::string& shownPath,
                   const TRemoveHooks* hooks) {
  return TRemoval(dirFd, failures, shownPath, hooks).Run();
}

TEmptyResult EmptyTrash(const std::vector<TTrashFolder>& folders, uid_t uid,
                        const TRemoveHooks* hooks) {
  TEmptyResult result;
  std::set<TFileId> seen;
  for (const TTrashFolder& folder : folders) {
    const int fd = OpenTrashFolder(folder, uid);
    if (fd < 0) continue;
    struct stat info {};
    if (fstat(fd, &info) == 0 && seen.insert(IdOf(info)).second) {
      result.TrashFolders.push_back(folder.Path(uid));
      EmptyTrashFolder(fd, folder.Path(uid), uid, result, hooks);
    }
    close(fd);
  }
  return result;
}

TEmptyResult EmptyAllTrash() {
  const uid_t uid = getuid();
  return EmptyTrash(TrashFolderCandidates(DataHome(), ReadMountInfo(), uid), uid);
}

TTrashResult MoveToTrash(const std::string& path) {
  TTrashResult result;
  GFile* file = g_file_new_for_path(path.c_str());
  GError* error = nullptr;
  const std::string notBefore = DeletionDateOf(std::time(nullptr));
  result.Ok = g_file_trash(file, nullptr, &error) != FALSE;
  if (result.Ok) {
    // The info file names the path as GIO made it absolute.
    char* absolute = g_file_get_path(file);
    const std::string original = absolute != nullptr ? absolute : path;
    g_free(absolute);
    result.OriginalPath = original;
    for (const std::string& folder : TrashFoldersFor(original)) {
      if (std::optional<std::string> name = FindTrashName(folder, original, notBefore)) {
        result.TrashFolder = folder;
        result.TrashName = std::move(*name);
        break;
      }
    }
  }
  if (!result.Ok) {
    const bool unsupported =
        error != nullptr && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_NOT_SUPPORTED);
    result.Error = unsupported ? "No trash can take " + path + "; it was left where it is."
                               : "Could not move " + path +
                                     " to the trash: " + (error ? error->message : "unknown error");
  }
  if (error != nullptr) g_error_free(error);
  g_object_unref(file);
  return result;
}

}  // namespace nubrix::platform

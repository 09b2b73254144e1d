// Emptying trash folders: every item leaves files/ before anything of it is deleted.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <set>
#include <string_view>

#include "platform/Mounts.h"
#include "platform/Paths.h"
#include "platform/SafeOpen.h"
#include "platform/Trash.h"

namespace nubrix::platform {

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
// Folders moved away during one removal: after this many the walk gives up on the folder.
constexpr int kMaxRestarts = 64;
constexpr std::string_view kInfoSuffix = ".trashinfo";
constexpr std::time_t kOrphanInfoAge = std::time_t{24} * 60 * 60;

int OpenAt(int dirFd, const char* name) {
  const int fd = openat(dirFd, name, kDirFlags);
  return fd >= 0 ? fd : -errno;
}

std::string EndsWithout(std::string_view name, std::string_view suffix) {
  if (name.size() <= suffix.size() || !name.ends_with(suffix)) return {};
  return std::string(name.substr(0, name.size() - suffix.size()));
}

std::vector<std::string> NamesIn(int dirFd) {
  std::vector<std::string> names;
  const int listing = openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  DIR* dir = listing >= 0 ? fdopendir(listing) : nullptr;
  if (dir == nullptr) {
    if (listing >= 0) close(listing);
    return names;
  }
  while (const dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  closedir(dir);
  return names;
}

// The walk of RemoveContents. One descriptor at a time and a stack of names and identities,
// going back up through "..": a tree may be deeper than the call stack or the descriptor limit
// allow. Every step down and up is checked against the identity seen on the way down, so a
// folder moved away meanwhile can never lead the walk into the folder it was moved to.
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
    while (Current_ >= 0 && !Cancelled()) {
      std::string descend;
      EmptyRound(descend);
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

  // Removes what can go at once; names the first folder that must be emptied first.
  void EmptyRound(std::string& descend) {
    const int listing = dup(Current_);
    DIR* dir = listing >= 0 ? fdopendir(listing) : nullptr;
    if (dir == nullptr) {
      if (listing >= 0) close(listing);
      Failures_.push_back(Shown() + " (cannot be listed)");
      return;
    }
    rewinddir(dir);
    while (const dirent* entry = readdir(dir)) {
      const std::string_view name = entry->d_name;
      if (name == "." || name == "..") continue;
      if (Cancelled() || RemoveOrChoose(entry->d_name, descend)) break;
    }
    closedir(dir);
  }

  bool Cancelled() const {
    return Hooks_ != nullptr && Hooks_->Cancel != nullptr &&
           Hooks_->Cancel->load(std::memory_order_relaxed);
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
    if (unlinkat(Current_, name, AT_REMOVEDIR) == 0) return false;
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

// Removes the info files whose item is no longer in files/ (filesFd < 0: none is). A move into
// the trash writes the info file first and the item follows: an info file younger than a day may
// belong to an item on its way, which would otherwise land without one and be lost to undo.
void EmptyInfo(int infoFd, int filesFd, std::vector<std::string>& failures,
               const std::string& shown) {
  const std::time_t dayAgo = std::time(nullptr) - kOrphanInfoAge;
  for (const std::string& file : NamesIn(infoFd)) {
    const std::string item = EndsWithout(file, kInfoSuffix);
    if (item.empty()) continue;
    struct stat info {};
    if (filesFd >= 0 && fstatat(filesFd, item.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) continue;
    if (fstatat(infoFd, file.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(info.st_mode) ||
        info.st_mtime > dayAgo)
      continue;
    if (unlinkat(infoFd, file.c_str(), 0) != 0) failures.push_back(JoinPath(shown, file));
  }
}

// A name under which expunged/ holds nothing yet, and the item moved there under it.
bool MoveToExpunged(int filesFd, const std::string& name, int expungedFd, std::string& moved) {
  for (int n = 0; n < 1000; ++n) {
    moved = n == 0 ? name : name + "." + std::to_string(n);
    if (renameat2(filesFd, name.c_str(), expungedFd, moved.c_str(), RENAME_NOREPLACE) == 0)
      return true;
    if (errno != EEXIST && errno != ENOTEMPTY) return false;
  }
  return false;
}

// Deletes one entry of expunged/ with all it holds; whether it went.
bool DeleteExpunged(int expungedFd, const std::string& name, std::vector<std::string>& failures,
                    const std::string& shown, const TRemoveHooks* hooks) {
  struct stat info {};
  if (fstatat(expungedFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (S_ISDIR(info.st_mode)) {
    int fd = OpenAt(expungedFd, name.c_str());
    if (fd == -EACCES) {
      fchmodat(expungedFd, name.c_str(), (info.st_mode & 07777) | S_IRWXU, AT_SYMLINK_NOFOLLOW);
      fd = OpenAt(expungedFd, name.c_str());
    }
    if (fd >= 0) {
      if ((info.st_mode & S_IRWXU) != S_IRWXU) fchmod(fd, (info.st_mode & 07777) | S_IRWXU);
      RemoveContents(fd, failures, shown, hooks);
      close(fd);
    }
  }
  if (unlinkat(expungedFd, name.c_str(), S_ISDIR(info.st_mode) ? AT_REMOVEDIR : 0) == 0)
    return true;
  failures.push_back(shown + " (" + std::strerror(errno) + ")");
  return false;
}

void EmptyFiles(int trashFd, int filesFd, const std::string& shown, uid_t uid, TEmptyResult& result,
                const TRemoveHooks* hooks) {
  const TFd expunged(OpenTrashPart(trashFd, "expunged", uid, true));
  const TFd info(OpenTrashPart(trashFd, "info", uid));
  if (!expunged.Ok()) {
    result.Failures.push_back(shown + "/expunged (cannot be made; nothing emptied)");
    return;
  }
  for (const std::string& name : NamesIn(filesFd)) {
    std::string moved;
    if (!MoveToExpunged(filesFd, name, expunged.Get(), moved)) {
      const bool mountPoint = errno == EBUSY;
      std::string failure = JoinPath(shown, "files/" + name);
      failure += mountPoint ? " (a mount point, not entered)"
                            : " (" + std::string(std::strerror(errno)) + ")";
      result.Failures.push_back(std::move(failure));
      continue;
    }
    // Out of files/: no restore can reach it now, so its info file goes before its bytes.
    if (info.Ok()) unlinkat(info.Get(), (name + std::string(kInfoSuffix)).c_str(), 0);
    // Out of the user's sight now, whether or not all of it could be deleted yet.
    ++result.Removed;
    DeleteExpunged(expunged.Get(), moved, result.Failures, JoinPath(shown, "expunged/" + moved),
                   hooks);
  }
  if (info.Ok()) EmptyInfo(info.Get(), filesFd, result.Failures, shown + "/info");
  for (const std::string& left : NamesIn(expunged.Get()))
    DeleteExpunged(expunged.Get(), left, result.Failures, JoinPath(shown, "expunged/" + left),
                   hooks);
}

void EmptyTrashFolder(int trashFd, const std::string& shown, uid_t uid, TEmptyResult& result,
                      const TRemoveHooks* hooks) {
  const TFd files(OpenTrashPart(trashFd, "files", uid));
  if (files.Ok()) {
    EmptyFiles(trashFd, files.Get(), shown, uid, result, hooks);
  } else if (files.Get() == -ENOENT) {
    const TFd info(OpenTrashPart(trashFd, "info", uid));
    if (info.Ok()) EmptyInfo(info.Get(), -1, result.Failures, shown + "/info");
  } else {
    result.Failures.push_back(shown + "/files (cannot be opened; nothing emptied)");
  }
  unlinkat(trashFd, "directorysizes", 0);
}

}  // namespace

int RemoveContents(int dirFd, std::vector<std::string>& failures, const std::string& shownPath,
                   const TRemoveHooks* hooks) {
  return TRemoval(dirFd, failures, shownPath, hooks).Run();
}

TEmptyResult EmptyTrash(const std::vector<TTrashFolder>& folders, uid_t uid,
                        const TRemoveHooks* hooks) {
  TEmptyResult result;
  std::set<TFileId> seen;
  for (const TTrashFolder& folder : folders) {
    const TFd fd(OpenTrashFolder(folder, uid));
    if (!fd.Ok()) continue;
    struct stat info {};
    if (fstat(fd.Get(), &info) == 0 && seen.insert(IdOf(info)).second) {
      result.TrashFolders.push_back(folder.Path(uid));
      EmptyTrashFolder(fd.Get(), folder.Path(uid), uid, result, hooks);
    }
  }
  return result;
}

TEmptyResult EmptyAllTrash() {
  const uid_t uid = getuid();
  return EmptyTrash(TrashFolderCandidates(DataHome(), ReadMountInfo(), uid), uid);
}

}  // namespace nubrix::platform

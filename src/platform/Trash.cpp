#include "platform/Trash.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <set>

#include "platform/Mounts.h"
#include "platform/Paths.h"
#include "platform/SafeOpen.h"

namespace nubrix::platform {

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;

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

// name below an open folder, made 0700 first when it is missing and create is set.
int OpenOrMake(int dirFd, const char* name, bool create, int (*opener)(int, const char*)) {
  int fd = opener(dirFd, name);
  if (fd == -ENOENT && create) {
    if (mkdirat(dirFd, name, 0700) != 0 && errno != EEXIST) return -errno;
    fd = opener(dirFd, name);
  }
  return fd;
}

// The data home and its parents, as a new user may not have them yet.
void MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0700);
  }
  mkdir(path.c_str(), 0700);
}

int OpenSharedTrash(int topFd, const std::string& id, bool create) {
  const TFd shared(OpenSubfolderAt(topFd, ".Trash"));
  if (!shared.Ok()) return shared.Get();
  struct stat info {};
  if (fstat(shared.Get(), &info) != 0 || (info.st_mode & S_ISVTX) == 0) return -EPERM;
  return OpenOrMake(shared.Get(), id.c_str(), create, OpenSubfolderAt);
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

int OpenTrashFolder(const TTrashFolder& folder, uid_t uid, bool create) {
  if (create && folder.Kind == TTrashKind::Home) MakeFolders(folder.Top);
  const TFd top(open(folder.Top.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY));
  if (!top.Ok()) return -errno;
  const std::string id = std::to_string(uid);
  int fd = -ENOENT;
  switch (folder.Kind) {
    case TTrashKind::Home:
      fd = OpenOrMake(top.Get(), "Trash", create, OpenAt);
      break;
    case TTrashKind::Shared:
      fd = OpenSharedTrash(top.Get(), id, create);
      break;
    case TTrashKind::Private:
      fd = OpenOrMake(top.Get(), (".Trash-" + id).c_str(), create, OpenSubfolderAt);
      break;
  }
  return Checked(fd, fd >= 0 && OwnPrivateFolder(fd, uid));
}

int OpenTrashPart(int trashFd, const char* part, uid_t uid, bool create) {
  const int fd = OpenOrMake(trashFd, part, create, OpenSubfolderAt);
  if (fd < 0) return fd;
  struct stat info {};
  return Checked(fd, fstat(fd, &info) == 0 && info.st_uid == uid);
}

std::optional<TTrashFolder> TrashFolderOfPath(const std::string& path, uid_t uid) {
  const std::string folder = WithoutSeparator(path);
  const std::string name = NameOf(folder);
  const std::string id = std::to_string(uid);
  const std::string parent = FolderOf(folder);
  if (folder.empty() || folder[0] != '/') return std::nullopt;
  if (name == ".Trash-" + id) return TTrashFolder{parent, TTrashKind::Private};
  if (name == id && NameOf(parent) == ".Trash") {
    return TTrashFolder{FolderOf(parent), TTrashKind::Shared};
  }
  if (name == "Trash") return TTrashFolder{parent, TTrashKind::Home};
  return std::nullopt;
}

std::vector<TFileId> TrashFolderIds(uid_t uid) {
  std::vector<TFileId> ids;
  for (const TTrashFolder& folder : TrashFolderCandidates(DataHome(), ReadMountInfo(), uid)) {
    struct stat info {};
    if (lstat(folder.Path(uid).c_str(), &info) == 0 && S_ISDIR(info.st_mode))
      ids.push_back(IdOf(info));
  }
  return ids;
}

std::vector<std::string> UserTrashFolders() {
  std::vector<std::string> paths;
  std::set<TFileId> seen;
  const uid_t uid = getuid();
  for (const TTrashFolder& folder : TrashFolderCandidates(DataHome(), ReadMountInfo(), uid)) {
    const TFd fd(OpenTrashFolder(folder, uid));
    struct stat info {};
    if (fd.Ok() && fstat(fd.Get(), &info) == 0 && seen.insert(IdOf(info)).second)
      paths.push_back(folder.Path(uid));
  }
  return paths;
}

}  // namespace nubrix::platform

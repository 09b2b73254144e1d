#include "sizetree/TreeFolders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/Paths.h"
#include "platform/Trash.h"
#include "sizetree/DirSource.h"
#include "sizetree/SizeTreeU.h"

namespace nubrix {

namespace {

const TSizeFolder& ScanRootOf(const TSizeFolder& folder) {
  const TSizeFolder* root = &folder;
  while (root->Parent() != nullptr && root->Parent()->Parent() != nullptr) root = root->Parent();
  return *root;
}

// The folder's path below the root, "" for the root itself; false when it does not lie below.
bool RelativeTo(const std::string& root, const std::string& path, std::string& relative) {
  if (path == root || platform::WithSeparator(path) == root) {
    relative.clear();
    return true;
  }
  if (!path.starts_with(root)) return false;
  relative = path.substr(root.size());
  return true;
}

}  // namespace

TTreeFolders TreeFoldersBelow(const TSizeFolder& start) {
  const TSizeFolder& root = ScanRootOf(start);
  TTreeFolders folders;
  folders.Root = platform::WithSeparator(root.Path());
  folders.RootDevice = root.Device();
  folders.RootInode = root.Inode();
  VisitPreOrder(const_cast<TSizeFolder&>(start), [&](TSizeFolder& folder, const std::string& path) {
    folders.Folders.push_back({path, folder.Inode()});
    return true;
  });
  return folders;
}

TTreeFolders LoneFolder(const std::string& path) {
  TTreeFolders folders;
  folders.Root = platform::WithSeparator(path);
  folders.Folders.push_back({path, 0});
  return folders;
}

std::string TreeFolderError(int error) {
  switch (error) {
    case ESTALE:
      return "it is no longer the folder that was scanned";
    case ELOOP:
      return "a link stands in its place now";
    case EXDEV:
      return "another file system is mounted there now";
    default:
      return std::strerror(error);
  }
}

TTreeOpener::TTreeOpener(const TTreeFolders& folders, TDirSource* source)
    : Folders_(folders),
      Source_(source != nullptr ? *source : TDirSource::System()),
      Skipped_(folders.size(), false) {
  RootFd_ = Source_.OpenRoot(folders.Root);
  struct stat info {};
  if (RootFd_ >= 0 && fstat(RootFd_, &info) == 0) {
    RootId_ = platform::IdOf(info);
    const bool known = folders.RootInode != 0;
    if (known && (info.st_dev != folders.RootDevice || info.st_ino != folders.RootInode)) {
      Source_.Close(RootFd_);
      RootFd_ = -ESTALE;
    }
  }
  if (RootFd_ >= 0) SkipTrashFolders();
}

TTreeOpener::~TTreeOpener() {
  if (RootFd_ >= 0) Source_.Close(RootFd_);
}

// Whether the root or a folder above it is a trash folder: walked up by "..", which cannot be
// steered, as the root is open.
bool TTreeOpener::RootInsideTrash(const std::vector<platform::TFileId>& trash) const {
  platform::TFd at(dup(RootFd_));
  for (int depth = 0; at.Ok() && depth < 4096; ++depth) {
    struct stat info {};
    if (fstat(at.Get(), &info) != 0) return false;
    if (std::find(trash.begin(), trash.end(), platform::IdOf(info)) != trash.end()) return true;
    platform::TFd up(openat(at.Get(), "..", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat above {};
    if (!up.Ok() || fstat(up.Get(), &above) != 0 || platform::IdOf(above) == platform::IdOf(info))
      return false;  // "/" is its own parent
    at = std::move(up);
  }
  return false;
}

void TTreeOpener::SkipTrashFolders() {
  const std::vector<platform::TFileId> trash = platform::TrashFolderIds(getuid());
  if (trash.empty()) return;
  if (RootInsideTrash(trash)) {
    std::fill(Skipped_.begin(), Skipped_.end(), true);
    return;
  }
  std::vector<std::string> skippedBelow;  // paths with their separator
  for (std::size_t i = 0; i < Folders_.size(); ++i) {
    const TTreeFolder& folder = Folders_.Folders[i];
    const bool inside =
        std::any_of(skippedBelow.begin(), skippedBelow.end(),
                    [&](const std::string& p) { return folder.Path.starts_with(p); });
    const platform::TFileId id{RootId_.Device, static_cast<ino_t>(folder.Inode)};
    const bool isTrash =
        folder.Inode != 0 && std::find(trash.begin(), trash.end(), id) != trash.end();
    if (isTrash) skippedBelow.push_back(platform::WithSeparator(folder.Path));
    Skipped_[i] = inside || isTrash;
  }
}

int TTreeOpener::Open(std::size_t index) const {
  if (RootFd_ < 0) return RootFd_;
  const TTreeFolder& folder = Folders_.Folders[index];
  std::string relative;
  if (!RelativeTo(Folders_.Root, folder.Path, relative)) return -ESTALE;
  // A folder of a scanned tree that the scan could not open has nothing to be compared with.
  if (folder.Inode == 0 && Folders_.RootInode != 0) return -ESTALE;
  const int fd = Source_.OpenBeneath(RootFd_, relative);
  if (fd < 0 || folder.Inode == 0) return fd;
  struct stat info {};
  if (fstat(fd, &info) != 0 || info.st_dev != RootId_.Device || info.st_ino != folder.Inode) {
    Source_.Close(fd);
    return -ESTALE;
  }
  return fd;
}

}  // namespace nubrix

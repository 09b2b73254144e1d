#include "platform/TrashMove.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/Mounts.h"
#include "platform/Paths.h"
#include "platform/Trash.h"
#include "platform/TrashItems.h"

namespace nubrix::platform {

struct TTrashMover::TOpenTrash {
  TFd Trash;
  TFd Files;
  TFd Info;
  std::string Path;  // the trash folder as a run records it
  std::string Top;   // where relative info paths start; empty for the home trash
  dev_t Device = 0;
};

struct TTrashMover::TPrepared {
  std::string Asked;   // the path as the caller gave it, for messages
  std::string Folder;  // resolved: no link, no "." or ".."
  std::string Name;
  TFd FolderFd;
  TFileId FolderId;
  TFileId ItemId;
  std::int64_t ItemBirth = 0;
  bool EmptyFolder = false;  // listed as empty: it must still be empty in the trash
};

namespace {

constexpr int kDirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
// Room in a name for ".trashinfo".
constexpr std::size_t kMaxTrashName = NAME_MAX - 10;

// File systems that live in memory or belong to the system: a trash folder at their top would
// be lost or out of place, so nothing on them goes anywhere but the home trash.
bool TakesTopTrash(const std::string& type) {
  return !IsPseudoFileSystem(type) && !IsNetworkFileSystem(type) && type != "tmpfs" &&
         type != "ramfs" && type != "fuse" && !type.starts_with("fuse.");
}

bool WriteAll(int fd, const std::string& text) {
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

// name, then "a.2.txt", "b.2", ... as the desktop names a second item of the same name; cut to
// leave room for the info file's suffix, never in the middle of a UTF-8 sequence.
std::string Candidate(const std::string& name, int n) {
  std::string stem = name;
  std::string rest;
  if (n > 1) {
    const std::size_t dot = name.find('.', 1);
    stem = name.substr(0, dot);
    rest = dot == std::string::npos ? "" : name.substr(dot);
  }
  const std::string number = n > 1 ? "." + std::to_string(n) : "";
  std::size_t room = kMaxTrashName - std::min(kMaxTrashName, number.size());
  if (stem.size() + rest.size() > room) {
    rest = rest.size() > room / 2 ? rest.substr(rest.size() - room / 2) : rest;
    std::size_t keep = room - rest.size();
    while (keep > 0 && (static_cast<unsigned char>(stem[keep]) & 0xC0) == 0x80) --keep;
    stem.resize(std::min(stem.size(), keep));
  }
  return stem + number + rest;
}

std::string Absolute(const std::string& path) {
  if (!path.empty() && path[0] == '/') return path;
  char* cwd = getcwd(nullptr, 0);
  const std::string folder = cwd != nullptr ? cwd : "/";
  std::free(cwd);
  return JoinPath(folder, path);
}

std::string CouldNotMove(const std::string& path, const std::string& why) {
  return "Could not move " + path + " to the trash: " + why;
}

std::string LeftAlone(const std::string& path, const std::string& why) {
  return path + " " + why + "; it was left where it is.";
}

// Whether the listed empty folder is still that folder, and empty.
bool StillEmptyFolder(int folderFd, const std::string& name, const TFileId& id) {
  const TFd fd(openat(folderFd, name.c_str(), kDirFlags));
  struct stat info {};
  return fd.Ok() && fstat(fd.Get(), &info) == 0 && IdOf(info) == id && IsEmptyFolderFd(fd.Get());
}

// The item's folder resolved once and opened without links, and the item as it is now.
std::optional<TTrashMover::TPrepared> Prepare(const TListedItem& listed, std::string& error) {
  TTrashMover::TPrepared item;
  item.Asked = listed.Path;
  const std::string path = WithoutSeparator(Absolute(listed.Path));
  item.Name = NameOf(path);
  if (path == "/" || item.Name.empty() || item.Name == "." || item.Name == "..") {
    error = LeftAlone(listed.Path, "is not an item that can go to the trash");
    return std::nullopt;
  }
  char* real = realpath(FolderOf(path).c_str(), nullptr);
  if (real == nullptr) {
    error = CouldNotMove(listed.Path, std::strerror(errno));
    return std::nullopt;
  }
  item.Folder = real;
  std::free(real);
  item.FolderFd = TFd(OpenFolderWithoutLinks(item.Folder));
  struct stat folder {};
  if (!item.FolderFd.Ok() || fstat(item.FolderFd.Get(), &folder) != 0) {
    const int code = item.FolderFd.Ok() ? errno : -item.FolderFd.Get();
    error = code == ELOOP ? LeftAlone(listed.Path,
                                      "changed while it was moved (a link now stands "
                                      "on its way)")
                          : CouldNotMove(listed.Path, std::strerror(code));
    return std::nullopt;
  }
  item.FolderId = IdOf(folder);
  if (listed.Folder && *listed.Folder != item.FolderId) {
    error = LeftAlone(listed.Path, "is no longer in the folder it was listed in");
    return std::nullopt;
  }
  struct stat self {};
  TFileTimes times;
  if (!StatTimesAt(item.FolderFd.Get(), item.Name.c_str(), self, times)) {
    error = CouldNotMove(listed.Path, std::strerror(errno));
    return std::nullopt;
  }
  item.ItemId = IdOf(self);
  item.ItemBirth = times.Birth;
  if (listed.Item && *listed.Item != item.ItemId) {
    error = LeftAlone(listed.Path, "is not the item that was listed");
    return std::nullopt;
  }
  if ((listed.Size && *listed.Size != static_cast<std::uint64_t>(self.st_size)) ||
      (listed.Times && !SameTimes(*listed.Times, times))) {
    error = LeftAlone(listed.Path, "has changed since it was listed");
    return std::nullopt;
  }
  if (listed.EmptyFolder && !StillEmptyFolder(item.FolderFd.Get(), item.Name, item.ItemId)) {
    error = LeftAlone(listed.Path, "is no longer an empty folder");
    return std::nullopt;
  }
  item.EmptyFolder = listed.EmptyFolder;
  return item;
}

std::unique_ptr<TTrashMover::TOpenTrash> OpenTrash(const TTrashFolder& folder, uid_t uid) {
  auto trash = std::make_unique<TTrashMover::TOpenTrash>();
  trash->Trash = TFd(OpenTrashFolder(folder, uid, true));
  if (!trash->Trash.Ok()) return nullptr;
  trash->Files = TFd(OpenTrashPart(trash->Trash.Get(), "files", uid, true));
  trash->Info = TFd(OpenTrashPart(trash->Trash.Get(), "info", uid, true));
  struct stat info {};
  if (!trash->Files.Ok() || !trash->Info.Ok() || fstat(trash->Files.Get(), &info) != 0)
    return nullptr;
  trash->Device = info.st_dev;
  trash->Path = folder.Path(uid);
  if (folder.Kind != TTrashKind::Home) trash->Top = folder.Top;
  return trash;
}

// The path an info file names: absolute in the home trash, from the top in a top trash.
std::string InfoPathOf(const std::string& original, const std::string& top) {
  if (top.empty()) return original;
  if (top == "/") return original.substr(1);
  return original.substr(top.size() + 1);
}

}  // namespace

std::string EncodeTrashPath(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= '0' && byte <= '9') || c == '-' || c == '_' || c == '.' ||
                       c == '~' || c == '/';
    if (plain) {
      out.push_back(c);
    } else {
      out += {'%', kHex[byte >> 4], kHex[byte & 15]};
    }
  }
  return out;
}

TTrashMover::TTrashMover() : TTrashMover(getuid(), DataHome()) {}

TTrashMover::TTrashMover(uid_t uid, std::string dataHome)
    : Uid_(uid), DataHome_(std::move(dataHome)) {}

TTrashMover::~TTrashMover() = default;

TTrashMover::TOpenTrash* TTrashMover::HomeTrash() {
  if (!HomeTried_) {
    HomeTried_ = true;
    Home_ = OpenTrash({DataHome_, TTrashKind::Home}, Uid_);
  }
  return Home_.get();
}

TTrashMover::TOpenTrash* TTrashMover::TopTrash(const std::string& folder, dev_t device) {
  if (!Mounts_) Mounts_ = ReadMountInfo();
  const TFd fd(open(folder.c_str(), kDirFlags));
  const std::optional<TMountEntry> mount =
      fd.Ok() ? MountOfFd(fd.Get(), folder, *Mounts_) : std::nullopt;
  if (!mount || !TakesTopTrash(mount->FsType)) return nullptr;
  auto [slot, added] = Tops_.try_emplace(mount->MountPoint);
  if (added) {
    slot->second = OpenTrash({mount->MountPoint, TTrashKind::Shared}, Uid_);
    if (!slot->second || slot->second->Device != device)
      slot->second = OpenTrash({mount->MountPoint, TTrashKind::Private}, Uid_);
  }
  TOpenTrash* trash = slot->second.get();
  return trash != nullptr && trash->Device == device ? trash : nullptr;
}

TTrashResult TTrashMover::Into(TOpenTrash& trash, const TPrepared& item, int& code) {
  TTrashResult result;
  code = 0;
  result.OriginalPath = JoinPath(item.Folder, item.Name);
  result.DeletionDate = DeletionDateOf(std::time(nullptr));
  result.ItemId = item.ItemId;
  result.ItemBirth = item.ItemBirth;
  result.FolderId = item.FolderId;
  const std::string text =
      "[Trash Info]\nPath=" + EncodeTrashPath(InfoPathOf(result.OriginalPath, trash.Top)) +
      "\nDeletionDate=" + result.DeletionDate + "\n";
  for (int n = 1; n < 10000; ++n) {
    const std::string name = Candidate(item.Name, n);
    const std::string info = name + ".trashinfo";
    const TFd fd(openat(trash.Info.Get(), info.c_str(),
                        O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.Ok() && errno == EEXIST) continue;
    if (!fd.Ok() || !WriteAll(fd.Get(), text)) {
      code = errno;
      if (fd.Ok()) unlinkat(trash.Info.Get(), info.c_str(), 0);
      result.Error = CouldNotMove(item.Asked, std::strerror(code));
      return result;
    }
    if (RenameNoReplace(item.FolderFd.Get(), item.Name.c_str(), trash.Files.Get(), name.c_str())) {
      return Moved(trash, item, name, std::move(result));
    }
    code = errno;
    unlinkat(trash.Info.Get(), info.c_str(), 0);
    if (code == EEXIST || code == ENOTEMPTY) continue;
    result.Error = CouldNotMove(item.Asked, std::strerror(code));
    return result;
  }
  result.Error = CouldNotMove(item.Asked, "no free name in the trash");
  return result;
}

// The item in files/ must be the one that was looked at: anything swapped in at the last moment
// goes back where it came from.
TTrashResult TTrashMover::Moved(TOpenTrash& trash, const TPrepared& item, const std::string& name,
                                TTrashResult result) {
  struct stat now {};
  const bool same = fstatat(trash.Files.Get(), name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
                    IdOf(now) == item.ItemId;
  // An empty folder filled between the last look and the rename would take its new contents
  // along.
  const bool filled =
      same && item.EmptyFolder && !StillEmptyFolder(trash.Files.Get(), name, item.ItemId);
  if (same && !filled) {
    result.Ok = true;
    result.TrashFolder = trash.Path;
    result.TrashName = name;
    return result;
  }
  if (RenameNoReplace(trash.Files.Get(), name.c_str(), item.FolderFd.Get(), item.Name.c_str())) {
    unlinkat(trash.Info.Get(), (name + ".trashinfo").c_str(), 0);
    result.Error = LeftAlone(
        item.Asked, filled ? "was filled while it was moved" : "changed while it was moved");
  } else {
    result.Error = item.Asked + " changed while it was moved; what went lies in the trash as " +
                   JoinPath(trash.Path, "files/" + name) + ".";
  }
  return result;
}

TTrashResult TTrashMover::Move(const TListedItem& listed) {
  std::string error;
  std::optional<TPrepared> item = Prepare(listed, error);
  if (!item) return TTrashResult::Refused(error);
  if (listed.Guard) {
    if (const std::string why = listed.Guard(); !why.empty())
      return TTrashResult::Refused(LeftAlone(listed.Path, why));
  }
  if (TOpenTrash* home = HomeTrash(); home != nullptr && home->Device == item->FolderId.Device) {
    int code = 0;
    TTrashResult result = Into(*home, *item, code);
    // A bind mount shares the device but not the mount: its own top trash takes the item.
    if (result.Ok || code != EXDEV) return result;
  }
  if (TOpenTrash* top = TopTrash(item->Folder, item->FolderId.Device); top != nullptr) {
    int code = 0;
    return Into(*top, *item, code);
  }
  return TTrashResult::Refused("No trash can take " + listed.Path + "; it was left where it is.");
}

TListedItem ListedNow(const std::string& path) {
  TListedItem item(path);
  const std::string absolute = WithoutSeparator(Absolute(path));
  struct stat info {};
  if (stat(FolderOf(absolute).c_str(), &info) == 0) item.Folder = IdOf(info);
  if (lstat(absolute.c_str(), &info) == 0) item.Item = IdOf(info);
  return item;
}

TTrashResult MoveToTrash(const TListedItem& item) { return TTrashMover().Move(item); }

TTrashResult MoveToTrash(const std::string& path) { return MoveToTrash(TListedItem(path)); }

}  // namespace nubrix::platform

#include "platform/TrashItems.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/Paths.h"
#include "platform/Trash.h"

namespace nubrix::platform {

namespace {

constexpr std::string_view kInfoSuffix = ".trashinfo";
// A DeletionDate later than this after now was not written by a clock of this machine.
constexpr std::time_t kClockSlack = std::time_t{24} * 60 * 60;

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> PercentDecode(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const int high = Hex(text[i + 1]);
    const int low = Hex(text[i + 2]);
    if (high < 0 || low < 0 || (high == 0 && low == 0)) return std::nullopt;
    out.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  return out;
}

bool IsPlainName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// The trash folder of an item, opened and checked, with its files/ and info/.
struct TItemTrash {
  TFd Trash;
  TFd Files;
  TFd Info;
};

TTrashPresence OpenItemTrash(const TTrashedItem& item, TItemTrash& at) {
  const uid_t uid = getuid();
  const std::optional<TTrashFolder> folder = TrashFolderOfPath(item.TrashFolder, uid);
  if (!folder || !IsPlainName(item.TrashName)) return TTrashPresence::Untrusted;
  at.Trash = TFd(OpenTrashFolder(*folder, uid));
  if (at.Trash.Get() == -EPERM) return TTrashPresence::Untrusted;
  // A trash folder that is not there now (a drive not mounted, a shared .Trash renamed for a
  // moment) may come back: only a trash folder that is there can say an item has left it.
  if (!at.Trash.Ok()) return TTrashPresence::Unavailable;
  at.Files = TFd(OpenTrashPart(at.Trash.Get(), "files", uid));
  at.Info = TFd(OpenTrashPart(at.Trash.Get(), "info", uid));
  if (at.Files.Get() == -EPERM || at.Info.Get() == -EPERM) return TTrashPresence::Untrusted;
  if (!at.Files.Ok())
    return at.Files.Get() == -ENOENT ? TTrashPresence::Gone : TTrashPresence::Unavailable;
  return TTrashPresence::InTrash;
}

bool IsFutureDate(const std::string& date) {
  return date > DeletionDateOf(std::time(nullptr) + kClockSlack);
}

bool SameBirth(const TTrashedItem& item, int dirFd, const std::string& name) {
  return item.ItemBirth == 0 || BirthOf(dirFd, name.c_str()) == item.ItemBirth;
}

// Whether files/ holds the very item under its name and its info file names its path. Where the
// run knows the item's identity, a missing info file (an emptying that stopped half way) does not
// make undo forget an item that is still there.
bool HoldsItem(const TItemTrash& at, const TTrashedItem& item) {
  struct stat status {};
  if (fstatat(at.Files.Get(), item.TrashName.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0)
    return false;
  if (item.Item && IdOf(status) != *item.Item) return false;
  if (!SameBirth(item, at.Files.Get(), item.TrashName)) return false;
  const std::string infoName = item.TrashName + std::string(kInfoSuffix);
  struct stat infoStatus {};
  const bool noInfo = !at.Info.Ok() || fstatat(at.Info.Get(), infoName.c_str(), &infoStatus,
                                               AT_SYMLINK_NOFOLLOW) != 0;
  if (noInfo) return item.Item.has_value();
  const std::optional<std::string> text = ReadRegularFileAt(at.Info.Get(), infoName.c_str(), 65536);
  if (!text) return false;
  const std::optional<TTrashInfo> info = ParseTrashInfo(*text, TopOfTrashFolder(item.TrashFolder));
  if (!info || info->Path != item.OriginalPath) return false;
  return item.DeletionDate.empty() ? !IsFutureDate(info->DeletionDate)
                                   : info->DeletionDate == item.DeletionDate;
}

// Whether the item stands at its original path already (put back by a file manager, or by an
// undo whose note could not be kept).
bool AlreadyBack(const TTrashedItem& item) {
  if (!item.Item) return false;
  const TFd folder(OpenFolderWithoutLinks(FolderOf(item.OriginalPath)));
  struct stat status {};
  const std::string name = NameOf(item.OriginalPath);
  return folder.Ok() && fstatat(folder.Get(), name.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
         IdOf(status) == *item.Item && SameBirth(item, folder.Get(), name);
}

TRestoreOutcome Outcome(TRestoreStatus status, std::string detail) {
  return {status, std::move(detail)};
}

TRestoreOutcome NotInTrash(const TTrashedItem& item, TTrashPresence presence) {
  const std::string& path = item.OriginalPath;
  switch (presence) {
    case TTrashPresence::Unavailable:
      return Outcome(TRestoreStatus::Failed,
                     "the trash folder " + item.TrashFolder + " of " + path + " cannot be reached");
    case TTrashPresence::Untrusted:
      return Outcome(TRestoreStatus::Failed, "the trash folder " + item.TrashFolder + " of " +
                                                 path + " is not one that can be trusted");
    default:
      break;
  }
  if (AlreadyBack(item)) return Outcome(TRestoreStatus::Restored, path + " was back already");
  return Outcome(TRestoreStatus::LeftTrash, path + " is no longer in the trash");
}

// The folder the item goes back into, opened without links and proved to be the one it left.
int OpenHomeFolder(const TTrashedItem& item, bool makeParents, TRestoreOutcome& refusal) {
  const std::string parent = FolderOf(item.OriginalPath);
  bool made = false;
  TFd fd(OpenFolderWithoutLinks(parent, makeParents, &made));
  if (fd.Get() == -ENOENT) {
    refusal = Outcome(TRestoreStatus::ParentGone, "the folder " + parent + " is gone");
  } else if (fd.Get() == -ELOOP || fd.Get() == -ENOTDIR) {
    refusal = Outcome(TRestoreStatus::FolderChanged,
                      "a link or a file stands where the folder " + parent + " was");
  } else if (fd.Get() == -EPERM || fd.Get() == -EEXIST) {
    refusal = Outcome(TRestoreStatus::FolderChanged,
                      "another user's folder stands on the way to " + parent);
  } else if (!fd.Ok()) {
    refusal = Outcome(TRestoreStatus::Failed,
                      "cannot open the folder " + parent + ": " + std::strerror(-fd.Get()));
  } else if (struct stat info{};
             !made && item.Folder && (fstat(fd.Get(), &info) != 0 || IdOf(info) != *item.Folder)) {
    refusal = Outcome(TRestoreStatus::FolderChanged, "the folder " + parent + " is not the one " +
                                                         item.OriginalPath + " was moved from");
    return -1;
  }
  return fd.Release();
}

}  // namespace

std::optional<TTrashInfo> ParseTrashInfo(std::string_view text, const std::string& top) {
  TTrashInfo info;
  bool inGroup = false;
  bool havePath = false;
  bool haveDate = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (line.starts_with('[')) {
      inGroup = line == "[Trash Info]";
    } else if (inGroup && line.starts_with("Path=") && !havePath) {
      const std::optional<std::string> path = PercentDecode(line.substr(5));
      if (!path || path->empty()) return std::nullopt;
      info.Path = (*path)[0] == '/' || top.empty() ? *path : JoinPath(top, *path);
      havePath = true;
    } else if (inGroup && line.starts_with("DeletionDate=") && !haveDate) {
      info.DeletionDate = std::string(line.substr(13));
      haveDate = true;
    }
  }
  if (!havePath || info.Path[0] != '/') return std::nullopt;
  return info;
}

std::string TopOfTrashFolder(const std::string& trashFolder) {
  const std::string folder = WithoutSeparator(trashFolder);
  const std::string name = NameOf(folder);
  if (name.starts_with(".Trash-")) return FolderOf(folder);
  const std::string parent = FolderOf(folder);
  if (NameOf(parent) == ".Trash") return FolderOf(parent);
  return {};
}

std::string DeletionDateOf(std::time_t time) {
  std::tm local{};
  localtime_r(&time, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

TTrashPresence FindInTrash(const TTrashedItem& item) {
  TItemTrash at;
  const TTrashPresence presence = OpenItemTrash(item, at);
  if (presence != TTrashPresence::InTrash) return presence;
  return HoldsItem(at, item) ? TTrashPresence::InTrash : TTrashPresence::Gone;
}

bool ParentIsGone(const std::string& originalPath) {
  return OpenFolderWithoutLinks(FolderOf(originalPath)) == -ENOENT;
}

TRestoreOutcome RestoreFromTrash(const TTrashedItem& item, bool makeParents) {
  if (!IsPlainAbsolutePath(item.OriginalPath)) {
    return Outcome(TRestoreStatus::Failed, item.OriginalPath + " is not a place to restore to");
  }
  TItemTrash at;
  TTrashPresence presence = OpenItemTrash(item, at);
  if (presence == TTrashPresence::InTrash && !HoldsItem(at, item)) presence = TTrashPresence::Gone;
  if (presence != TTrashPresence::InTrash) return NotInTrash(item, presence);
  TRestoreOutcome refusal;
  const TFd target(OpenHomeFolder(item, makeParents, refusal));
  if (!target.Ok()) return refusal;
  const std::string base = NameOf(item.OriginalPath);
  if (!RenameNoReplace(at.Files.Get(), item.TrashName.c_str(), target.Get(), base.c_str())) {
    const int error = errno;
    if (error == EEXIST || error == ENOTEMPTY) {
      return Outcome(TRestoreStatus::PlaceTaken,
                     "something else is at " + item.OriginalPath + " now");
    }
    if (error == ENOENT) return NotInTrash(item, TTrashPresence::Gone);
    return Outcome(TRestoreStatus::Failed,
                   "cannot move " + item.OriginalPath + " back: " + std::strerror(error));
  }
  if (at.Info.Ok()) unlinkat(at.Info.Get(), (item.TrashName + std::string(kInfoSuffix)).c_str(), 0);
  return Outcome(TRestoreStatus::Restored, {});
}

}  // namespace nubrix::platform

#include "cleaners/Clean_Shortcuts.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <optional>
#include <set>

#include "platform/FolderWalker.h"
#include "platform/Mounts.h"
#include "platform/Paths.h"
#include "platform/SafeOpen.h"
#include "platform/Trash.h"

namespace nubrix {

namespace {

bool EndsWithNoCase(const std::string& name, const std::string& suffix) {
  if (name.size() < suffix.size()) return false;
  return std::equal(suffix.rbegin(), suffix.rend(), name.rbegin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}

bool IsShortcutName(const std::string& name) {
  return EndsWithNoCase(name, ".lnk") || EndsWithNoCase(name, ".desktop");
}

// The identities of the user's trash folders: never listed, never entered.
std::set<platform::TFileId> TrashFolderIds() {
  std::set<platform::TFileId> ids;
  for (const std::string& trash : platform::UserTrashFolders()) {
    struct stat info {};
    if (lstat(trash.c_str(), &info) == 0) ids.insert(platform::IdOf(info));
  }
  return ids;
}

// Whether path is a trash folder of the user or lies inside one.
bool InsideTrash(const std::string& path) {
  char* real = realpath(path.c_str(), nullptr);
  if (real == nullptr) return false;
  const std::string canonical = real;
  std::free(real);
  for (const std::string& trash : platform::UserTrashFolders()) {
    char* trashReal = realpath(trash.c_str(), nullptr);
    if (trashReal == nullptr) continue;
    const std::string root = trashReal;
    std::free(trashReal);
    if (canonical == root || canonical.starts_with(root + "/")) return true;
  }
  return false;
}

}  // namespace

const char* ConditionText(int condition) {
  switch (condition) {
    case kConditionOk:
      return "OK";
    case kConditionBroken:
      return "Broken";
    case kConditionNetwork:
      return "Network Link";
    case kConditionCdRom:
      return "Link to CDRom";
    case kConditionEmpty:
      return "Empty";
    default:
      return "undefined";
  }
}

bool IsNetworkPath(const std::string& path) {
  if (path.empty()) return false;
  if (path.starts_with("\\\\") || platform::IsNetworkUrl(path)) return true;
  if (path[0] != '/') return false;
  const std::optional<platform::TMountEntry> mount = platform::MountHoldingPath(path);
  return mount && platform::IsNetworkFileSystem(mount->FsType);
}

bool IsCDRomPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return false;
  const std::optional<platform::TMountEntry> mount = platform::MountHoldingPath(path);
  return mount && platform::IsOpticalDisc(*mount);
}

TCondition TCleanShortcut::CheckTarget(const std::string& target) const {
  if (IsCDRomPath(target)) return kConditionCdRom;
  if (target.empty()) return kConditionUndefined;
  if (IsNetworkPath(target)) return kConditionNetwork;
  struct stat info {};
  return lstat(platform::WithoutSeparator(target).c_str(), &info) == 0 ? kConditionOk
                                                                       : kConditionBroken;
}

TCondition TCleanShortcut::Judge(const platform::TShortcutTarget& target) const {
  using platform::TTargetKind;
  switch (target.Kind) {
    case TTargetKind::Path:
      return CheckTarget(target.Path);
    case TTargetKind::Missing:
      return kConditionBroken;
    case TTargetKind::Deliberate:
      return kConditionOk;
    case TTargetKind::Network:
      return kConditionNetwork;
    case TTargetKind::CdRom:
      return kConditionCdRom;
    case TTargetKind::Unknown:
      return kConditionUndefined;
  }
  return kConditionUndefined;
}

std::string TCleanShortcut::ReadShortcutTarget(const std::string& file) const {
  if (EndsWithNoCase(file, ".desktop")) return platform::ReadDesktopEntry(file).Path;
  return platform::ReadLnk(file).Path;
}

void TCleanShortcut::ListShortcuts(const std::string& folder, IShortcutRows& rows,
                                   const std::atomic<bool>* cancel) const {
  if (folder.empty()) return;
  platform::TWalkOptions options;
  options.Cancel = cancel;
  platform::WalkFolderTree(
      platform::WithoutSeparator(folder), options, [&](const platform::TWalkFolder& current) {
        for (const platform::TWalkEntry& entry : current.Entries) {
          const bool fileOrLink =
              entry.Kind == platform::TEntryKind::File || entry.Kind == platform::TEntryKind::Link;
          if (!fileOrLink || !IsShortcutName(entry.Name)) continue;
          const std::string path = platform::JoinPath(current.Path, entry.Name);
          // Only a regular file is read: a link is not followed, a pipe is never waited on.
          const std::optional<std::string> bytes = platform::ReadRegularFileAt(
              current.Fd, entry.Name.c_str(), platform::kMaxShortcutBytes);
          platform::TShortcutTarget target;
          if (bytes) {
            target = EndsWithNoCase(entry.Name, ".desktop")
                         ? platform::ReadDesktopEntryText(*bytes, path)
                         : platform::ReadLnkBytes(*bytes, path);
          }
          const TCondition condition = Judge(target);
          TShortcutRow row{entry.Name,
                           target.Path,
                           ConditionText(condition),
                           path,
                           condition == kConditionBroken || condition == kConditionCdRom,
                           condition};
          struct stat info {};
          if (fstat(current.Fd, &info) == 0) row.FolderId = platform::IdOf(info);
          if (fstatat(current.Fd, entry.Name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
            row.ItemId = platform::IdOf(info);
          rows.Add(row);
        }
      });
}

void CollectFolders(const std::string& folder, std::vector<TFolderFound>& list,
                    const std::atomic<bool>* cancel) {
  const std::string start = platform::WithoutSeparator(folder);
  if (InsideTrash(start)) return;
  const std::set<platform::TFileId> trash = TrashFolderIds();
  // Dot folders are application state and are not entered: nothing inside one is listed.
  const auto enter = [&](const platform::TWalkFolder& parent, const platform::TWalkEntry& sub) {
    struct stat info {};
    return fstatat(parent.Fd, sub.Name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
           !trash.count(platform::IdOf(info));
  };
  platform::TWalkOptions options;
  options.Cancel = cancel;
  std::vector<platform::TFileId> ids;  // of the folders from the start down to the current one
  platform::WalkFolderTree(
      start, options,
      [&](const platform::TWalkFolder& current) {
        struct stat info {};
        if (fstat(current.Fd, &info) != 0) return;
        ids.resize(static_cast<std::size_t>(current.Depth) + 1);
        ids.back() = platform::IdOf(info);
        // A folder its owner may not write is entered but not listed.
        if (current.Depth > 0 && (info.st_mode & S_IWUSR) != 0)
          list.push_back({current.Path, ids.back(), ids[ids.size() - 2]});
      },
      enter);
}

bool IsEmptyFolder(const std::string& folder) {
  const platform::TFd fd(open(platform::WithoutSeparator(folder).c_str(),
                              O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY));
  return fd.Ok() && platform::IsEmptyFolderFd(fd.Get());
}

void TCleanShortcut::ListEmptyFolders(const std::string& folder, IShortcutRows& rows,
                                      const std::atomic<bool>* cancel) const {
  rows.Clear();
  if (folder.empty()) return;
  std::vector<TFolderFound> folders;
  CollectFolders(folder, folders, cancel);
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    if (!IsEmptyFolder(it->Path)) continue;
    TShortcutRow row{platform::NameOf(it->Path),
                     it->Path,
                     ConditionText(kConditionEmpty),
                     it->Path,
                     true,
                     kConditionEmpty};
    row.FolderId = it->ParentId;
    row.ItemId = it->Id;
    rows.Add(row);
  }
}

TRemovalResult TCleanShortcut::DeleteEmptyFolders(const std::string& folder, IAskUser& ask) const {
  TRemovalResult result;
  if (folder.empty()) return result;
  if (!ask.AskUser(TQuestionKind::Confirmation, kDeleteEmptyQuestion, TAnswerButtons::YesNo)) {
    result.Declined = true;
    return result;
  }
  return RemoveEmptyFolders(folder);
}

TRemovalResult TCleanShortcut::RemoveEmptyFolders(const std::string& folder,
                                                  const std::atomic<bool>* cancel,
                                                  TCleanupRun* run) const {
  TRemovalResult result;
  if (folder.empty()) return result;
  std::vector<TFolderFound> folders;
  CollectFolders(folder, folders, cancel);
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) break;
    if (!IsEmptyFolder(it->Path)) continue;
    const platform::TTrashResult moved =
        RecycleSilently(platform::TListedItem(it->Path, it->ParentId, it->Id, true), run);
    if (moved.Ok) {
      result.Removed.push_back(it->Path);
    } else {
      result.Failed.push_back({it->Path, moved.Error});
    }
  }
  return result;
}

platform::TListedItem TShortcutRow::Listed() const {
  return platform::TListedItem(platform::WithoutSeparator(ShortcutPath), FolderId, ItemId,
                               State == kConditionEmpty);
}

platform::TTrashResult RecycleSilently(const platform::TListedItem& item, TCleanupRun* run,
                                       std::int64_t size) {
  return run != nullptr ? run->Trash(item, size) : platform::MoveToTrash(item);
}

TRemovalResult TrashListedItems(const std::vector<platform::TListedItem>& items,
                                const std::string& databaseFile, const std::string& command,
                                const std::atomic<bool>* cancel) {
  TRemovalResult result;
  TCleanupRun run(databaseFile, command);
  bool cancelled = false;
  for (const platform::TListedItem& item : items) {
    if ((cancelled = cancel != nullptr && cancel->load())) break;
    const platform::TTrashResult moved = RecycleSilently(item, &run);
    if (moved.Ok) {
      result.Removed.push_back(item.Path);
    } else {
      result.Failed.push_back({item.Path, moved.Error});
    }
  }
  result.RunNote = run.Finish(cancelled).Error;
  return result;
}

platform::TTrashResult RecycleWithShellDialogs(const std::string& path, IAskUser& ask,
                                               TCleanupRun* run, std::int64_t size) {
  const platform::TListedItem item = platform::ListedNow(path);
  if (!ask.AskUser(TQuestionKind::Confirmation, "Move " + path + " to the trash?",
                   TAnswerButtons::YesNo))
    return {};
  return RecycleSilently(item, run, size);
}

}  // namespace nubrix

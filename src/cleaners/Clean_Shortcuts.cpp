#include "cleaners/Clean_Shortcuts.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <optional>

#include "platform/Mounts.h"
#include "platform/Trash.h"

namespace nubrix {

namespace {

std::string WithoutSeparator(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string OwnName(const std::string& path) {
  const std::string trimmed = WithoutSeparator(path);
  const std::size_t slash = trimmed.rfind('/');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

bool EndsWithNoCase(const std::string& name, const std::string& suffix) {
  if (name.size() < suffix.size()) return false;
  return std::equal(suffix.rbegin(), suffix.rend(), name.rbegin(),
                    [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); });
}

std::vector<std::string> Entries(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

// The mount whose mount point is the longest prefix of path: decided from the table alone, so a
// dead network mount cannot hold us up.
std::optional<platform::TMountEntry> MountByPrefix(const std::string& path) {
  std::optional<platform::TMountEntry> best;
  for (const platform::TMountEntry& mount : platform::ReadMountInfo()) {
    const std::string& point = mount.MountPoint;
    const bool inside = point == "/" || path == point || path.starts_with(point + "/");
    if (inside && (!best || point.size() >= best->MountPoint.size())) best = mount;
  }
  return best;
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
    default:
      return "undefined";
  }
}

bool IsNetworkPath(const std::string& path) {
  if (path.empty()) return false;
  if (path.starts_with("\\\\") || platform::IsNetworkUrl(path)) return true;
  if (path[0] != '/') return false;
  const std::optional<platform::TMountEntry> mount = MountByPrefix(path);
  return mount && platform::IsNetworkFileSystem(mount->FsType);
}

bool IsCDRomPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return false;
  const std::optional<platform::TMountEntry> mount = MountByPrefix(path);
  return mount && platform::IsOpticalDisc(*mount);
}

int TCleanShortcut::CheckTarget(const std::string& target) const {
  if (IsCDRomPath(target)) return kConditionCdRom;
  if (target.empty()) return kConditionUndefined;
  if (IsNetworkPath(target)) return kConditionNetwork;
  struct stat info{};
  return lstat(WithoutSeparator(target).c_str(), &info) == 0 ? kConditionOk : kConditionBroken;
}

int TCleanShortcut::Judge(const platform::TShortcutTarget& target) const {
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

void TCleanShortcut::ListShortcuts(const std::string& folder, IShortcutRows& rows) const {
  if (folder.empty()) return;
  // Depth first with an explicit stack: a folder's shortcuts, then its subfolders in listing order.
  std::vector<std::string> pending{WithoutSeparator(folder)};
  while (!pending.empty()) {
    const std::string current = pending.back();
    pending.pop_back();
    std::vector<std::string> subfolders;
    for (const std::string& name : Entries(current)) {
      const std::string path = Join(current, name);
      struct stat info{};
      if (lstat(path.c_str(), &info) != 0) continue;
      if (S_ISDIR(info.st_mode)) {
        if (name[0] != '.') subfolders.push_back(path);
        continue;
      }
      if (!EndsWithNoCase(name, ".lnk") && !EndsWithNoCase(name, ".desktop")) continue;
      const platform::TShortcutTarget target =
          EndsWithNoCase(name, ".desktop") ? platform::ReadDesktopEntry(path) : platform::ReadLnk(path);
      const int condition = Judge(target);
      rows.Add({name, target.Path, ConditionText(condition), path,
                condition == kConditionBroken || condition == kConditionCdRom});
    }
    for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) pending.push_back(*it);
  }
}

void CollectFolders(const std::string& folder, std::vector<std::string>& list) {
  struct TFrame {
    std::string Path;
    std::vector<std::string> Names;
    std::size_t Next = 0;
  };
  const std::string start = WithoutSeparator(folder);
  std::vector<TFrame> stack{{start, Entries(start)}};
  while (!stack.empty()) {
    TFrame& top = stack.back();
    if (top.Next == top.Names.size()) {
      stack.pop_back();
      continue;
    }
    const std::string name = top.Names[top.Next++];
    const std::string path = Join(top.Path, name);
    struct stat info{};
    if (lstat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
    // A mount point stands for a reparse point: neither listed nor entered.
    if (platform::IsMountRoot(path)) continue;
    const bool hidden = name[0] == '.';
    const bool readOnly = (info.st_mode & S_IWUSR) == 0;
    if (!hidden && !readOnly) list.push_back(path);
    stack.push_back({path, Entries(path)});
  }
}

bool IsEmptyFolder(const std::string& folder) {
  DIR* dir = opendir(WithoutSeparator(folder).c_str());
  if (dir == nullptr) return false;
  bool empty = true;
  while (dirent* entry = readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") {
      empty = false;
      break;
    }
  }
  closedir(dir);
  return empty;
}

void TCleanShortcut::ListEmptyFolders(const std::string& folder, IShortcutRows& rows) const {
  rows.Clear();
  if (folder.empty()) return;
  std::vector<std::string> folders;
  CollectFolders(folder, folders);
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    if (IsEmptyFolder(*it)) rows.Add({OwnName(*it), *it, "Empty", *it, true});
  }
}

void TCleanShortcut::DeleteEmptyFolders(const std::string& folder, IAskUser& ask) const {
  if (folder.empty() || !ask.AskYesNo(kDeleteEmptyQuestion)) return;
  std::vector<std::string> folders;
  CollectFolders(folder, folders);
  const std::string startName = OwnName(folder);
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) {
    // One folder's failure does not stop the others.
    if (IsEmptyFolder(*it) && OwnName(*it) != startName) RecycleSilently(*it);
  }
}

bool RecycleSilently(const std::string& path) { return platform::MoveToTrash(path).Ok; }

bool RecycleWithShellDialogs(const std::string& path, IAskUser& ask) {
  if (!ask.AskYesNo("Move " + path + " to the trash?")) return false;
  return RecycleSilently(path);
}

}  // namespace nubrix

#include "cleaners/ShortcutLocations.h"

#include <optional>

#include "platform/Paths.h"
#include "platform/SpecialFolders.h"

namespace nubrix {

namespace {

TShortcutLocation One(const std::string& folder) {
  const std::string path = platform::WithoutSeparator(folder);
  if (path.empty()) return {};
  return {path, {path}};
}

TShortcutLocation CommonStartMenus() {
  TShortcutLocation location;
  for (const std::string& menu : platform::CommonStartMenus()) {
    if (!platform::IsFolder(menu)) continue;
    location.Shown += (location.Shown.empty() ? "" : ":") + menu;
    location.Folders.push_back(menu);
  }
  return location;
}

}  // namespace

const char* LocationEntryText(int entry) {
  static const char* const kTexts[kLocationEntries] = {
      "Common start menu", "User start menu", "Desktop", "Recent used documents",
      "Current Folder",    "Browse ...",      "---"};
  return entry >= 0 && entry < kLocationEntries ? kTexts[entry] : "";
}

TShortcutLocation ResolveShortcutLocation(int entry, const std::string& selectedPath,
                                          const std::string& text) {
  switch (entry) {
    case kCommonStartMenu:
      return CommonStartMenus();
    case kDesktop: {
      const std::optional<std::string> desktop = platform::DesktopFolder();
      return desktop ? One(*desktop) : TShortcutLocation{};
    }
    case kRecentDocuments:
      return One(platform::RecentDocumentsFolder());
    case kCurrentFolder:
      return One(selectedPath);
    case kBrowse:
    case kTypedLocation:
      return One(text);
    default:
      return One(platform::UserStartMenu());
  }
}

}  // namespace nubrix

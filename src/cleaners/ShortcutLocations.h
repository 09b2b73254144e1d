// The places the shortcut page looks in, by the entries of its location box.
#pragma once

#include <string>
#include <vector>

namespace nubrix {

enum TShortcutLocationEntry : int {
  kCommonStartMenu = 0,
  kUserStartMenu = 1,
  kDesktop = 2,
  kRecentDocuments = 3,
  kCurrentFolder = 4,
  kBrowse = 5,
  kTypedLocation = 6,
  kLocationEntries = 7,
};

// The texts of the entries, in order.
const char* LocationEntryText(int entry);

struct TShortcutLocation {
  std::string Shown;                 // for the status bar and the messages
  std::vector<std::string> Folders;  // what the listings walk, in order; empty for none
};

// The folders of an entry: the start menus of the XDG data folders (those that exist), the
// desktop (none when it is the home folder), the recent-documents folder, selectedPath, or text
// (the folder browsed to, or what was typed). An entry outside 0..6 is the user's start menu.
TShortcutLocation ResolveShortcutLocation(int entry, const std::string& selectedPath,
                                          const std::string& text);

}  // namespace nubrix

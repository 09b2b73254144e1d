// The special folders of the user by the XDG rules.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace nubrix::platform {

// $XDG_DATA_HOME/applications (~/.local/share/applications).
std::string UserStartMenu();
// applications below each folder of $XDG_DATA_DIRS (/usr/local/share:/usr/share by default).
std::vector<std::string> CommonStartMenus();
// XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop; nullopt when it is the home folder itself
// (the desktop is switched off then, and the home folder must never be walked as a desktop).
std::optional<std::string> DesktopFolder();
// ~/.local/share/RecentDocuments, where KDE keeps its recent-document links.
std::string RecentDocumentsFolder();

}  // namespace nubrix::platform

#include "platform/SpecialFolders.h"

#include <cstdlib>
#include <fstream>

namespace nubrix::platform {

namespace {

std::string Home() {
  const char* home = std::getenv("HOME");
  return home != nullptr ? home : "";
}

std::string Environment(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] == '/' ? std::string(value) : fallback;
}

std::string DataHome() { return Environment("XDG_DATA_HOME", Home() + "/.local/share"); }

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == '/' || text.back() == ' ')) text.pop_back();
  return text;
}

}  // namespace

std::string UserStartMenu() { return DataHome() + "/applications"; }

std::vector<std::string> CommonStartMenus() {
  const char* dirs = std::getenv("XDG_DATA_DIRS");
  const std::string list =
      dirs != nullptr && dirs[0] != '\0' ? dirs : "/usr/local/share:/usr/share";
  std::vector<std::string> menus;
  std::size_t pos = 0;
  while (pos <= list.size()) {
    std::size_t end = list.find(':', pos);
    if (end == std::string::npos) end = list.size();
    const std::string dir = Trimmed(list.substr(pos, end - pos));
    if (!dir.empty() && dir[0] == '/') menus.push_back(dir + "/applications");
    pos = end + 1;
  }
  return menus;
}

std::optional<std::string> DesktopFolder() {
  std::string desktop = Home() + "/Desktop";
  std::ifstream dirs(Environment("XDG_CONFIG_HOME", Home() + "/.config") + "/user-dirs.dirs");
  std::string line;
  while (std::getline(dirs, line)) {
    if (!line.starts_with("XDG_DESKTOP_DIR=")) continue;
    std::string value = line.substr(16);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
      value = value.substr(1, value.size() - 2);
    if (value.starts_with("$HOME")) value = Home() + value.substr(5);
    desktop = value;
  }
  if (Trimmed(desktop) == Trimmed(Home())) return std::nullopt;
  return desktop;
}

std::string RecentDocumentsFolder() { return DataHome() + "/RecentDocuments"; }

}  // namespace nubrix::platform

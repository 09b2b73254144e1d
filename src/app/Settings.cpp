#include "app/Settings.h"

#include <unistd.h>

#include <climits>
#include <cstdlib>

namespace nubrix {

namespace {

constexpr const char* kBounds = "Bounds";
constexpr const char* kSwitches = "Switches";
constexpr const char* kHistory = "HistoryCombo";

std::string ExecutableFolder() {
  char buffer[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  std::string path(buffer, static_cast<std::size_t>(length));
  return path.substr(0, path.rfind('/') + 1);
}

std::string ConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/Nubrix/";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config/Nubrix/";
}

}  // namespace

TWindowSettings ReadSettings(const TIniFile& ini) {
  TWindowSettings s;
  s.Left = ini.ReadInteger(kBounds, "left", s.Left);
  s.Width = ini.ReadInteger(kBounds, "width", s.Width);
  s.Top = ini.ReadInteger(kBounds, "top", s.Top);
  s.Height = ini.ReadInteger(kBounds, "height", s.Height);
  s.TabSheet = ini.ReadInteger("Page", "TabSheet", s.TabSheet);
  s.ShowDirTree = ini.ReadBool(kSwitches, "ShowDirTree", s.ShowDirTree);
  s.Elyptic = ini.ReadBool("PieForm", "Elyptic", s.Elyptic);
  s.ExplodeBiggest = ini.ReadBool(kSwitches, "ExplodeBiggest", s.ExplodeBiggest);
  s.MarkVisible = ini.ReadBool(kSwitches, "MarkVisible", s.MarkVisible);
  s.ShowLegend = ini.ReadBool(kSwitches, "ShowLegend", s.ShowLegend);
  s.ShowHints = ini.ReadBool(kSwitches, "ShowHints", s.ShowHints);
  s.Toggle3D = ini.ReadBool(kSwitches, "Toggle3D", s.Toggle3D);
  s.FreeSpace = ini.ReadBool(kSwitches, "FreeSpace", s.FreeSpace);
  s.HistoryCombo = ini.ReadBool(kSwitches, "HistoryCombo", s.HistoryCombo);
  s.Sort = static_cast<std::uint8_t>(ini.ReadInteger(kSwitches, "Sort", s.Sort) & 0xFF);
  s.StartWith = ini.ReadString("LastDir", "Start with", s.StartWith);
  s.EnableZoom = ini.ReadBool("Settings", "EnableZoom", s.EnableZoom);
  s.History = LoadHistory(ini);
  s.HistorySize = ini.ReadInteger("Settings", "HistorySize", s.HistorySize);
  return s;
}

void WriteSettings(TIniFile& ini, const TWindowSettings& s, bool writeBounds) {
  if (writeBounds) {
    ini.WriteInteger(kBounds, "left", s.Left);
    ini.WriteInteger(kBounds, "width", s.Width);
    ini.WriteInteger(kBounds, "top", s.Top);
    ini.WriteInteger(kBounds, "height", s.Height);
  }
  ini.WriteBool(kSwitches, "ShowDirTree", s.ShowDirTree);
  ini.WriteBool(kSwitches, "ExplodeBiggest", s.ExplodeBiggest);
  ini.WriteBool(kSwitches, "MarkVisible", s.MarkVisible);
  ini.WriteBool(kSwitches, "ShowLegend", s.ShowLegend);
  ini.WriteBool(kSwitches, "ShowHints", s.ShowHints);
  ini.WriteBool(kSwitches, "Toggle3D", s.Toggle3D);
  ini.WriteBool(kSwitches, "FreeSpace", s.FreeSpace);
  ini.WriteBool(kSwitches, "HistoryCombo", s.HistoryCombo);
  ini.WriteInteger(kSwitches, "Sort", s.Sort);
  ini.WriteBool("PieForm", "Elyptic", s.Elyptic);
  ini.WriteInteger("Page", "TabSheet", s.TabSheet);
  ini.WriteString("LastDir", "Start with", s.StartWith);
  SaveHistory(ini, s.History);
}

std::vector<std::string> LoadHistory(const TIniFile& ini) {
  std::vector<std::string> entries;
  const int count = ini.ReadInteger(kHistory, "count", 0);
  for (int i = 0; i < count; ++i) {
    std::string entry = ini.ReadString(kHistory, std::to_string(i), "");
    if (!entry.empty()) entries.push_back(std::move(entry));
  }
  return entries;
}

void SaveHistory(TIniFile& ini, const std::vector<std::string>& entries) {
  ini.WriteInteger(kHistory, "count", static_cast<std::int64_t>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    ini.DeleteKey(kHistory, std::to_string(i));
    ini.WriteString(kHistory, std::to_string(i), entries[i]);
  }
}

std::string AppDir() {
  static const std::string dir = [] {
    const std::string executable = ExecutableFolder();
    if (!executable.empty() && access(executable.c_str(), W_OK) == 0) return executable;
    return ConfigFolder();
  }();
  return dir;
}

std::string SettingsFileName() { return AppDir() + "AppData/Nubrix.ini"; }

}  // namespace nubrix

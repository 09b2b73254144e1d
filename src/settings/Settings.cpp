#include "settings/Settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <iterator>

#include "platform/Paths.h"

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
  s.ShowGrowth = ini.ReadBool(kSwitches, "ShowGrowth", s.ShowGrowth);
  s.Sort = static_cast<std::uint8_t>(ini.ReadInteger(kSwitches, "Sort", s.Sort) & 0xFF);
  s.StartWith = ini.ReadString("LastDir", "Start with", s.StartWith);
  s.EnableZoom = ini.ReadBool("Settings", "EnableZoom", s.EnableZoom);
  s.History = LoadHistory(ini);
  s.HistorySize = ini.ReadInteger("Settings", "HistorySize", s.HistorySize);
  s.LargestFiles =
      std::clamp(ini.ReadInteger("Settings", "LargestFiles", s.LargestFiles), 1, 1'000'000);
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
  ini.WriteBool(kSwitches, "ShowGrowth", s.ShowGrowth);
  ini.WriteInteger(kSwitches, "Sort", s.Sort);
  ini.WriteBool("PieForm", "Elyptic", s.Elyptic);
  ini.WriteInteger("Page", "TabSheet", s.TabSheet);
  // A folder name with a line break cannot stand in the file: the start folder stored before stays.
  ini.WriteString("LastDir", "Start with", s.StartWith);
  SaveHistory(ini, s.History);
}

std::vector<std::string> LoadHistory(const TIniFile& ini) {
  std::vector<std::string> entries;
  const int count = ini.ReadInteger(kHistory, "count", 0);
  // No more keys than the section holds: a count of two thousand million would read for minutes.
  int highest = -1;
  for (const std::string& name : ini.KeyNames(kHistory)) {
    std::int32_t index = 0;
    if (ParseIniInteger(name, index) && std::to_string(index) == name)
      highest = std::max(highest, index);
  }
  const int last = std::min(count - 1, highest);
  for (int i = 0; i <= last; ++i) {
    std::string entry = ini.ReadString(kHistory, std::to_string(i), "");
    if (!entry.empty()) entries.push_back(std::move(entry));
  }
  return entries;
}

void SaveHistory(TIniFile& ini, const std::vector<std::string>& entries) {
  std::vector<std::string> kept;
  // A folder name with a line break cannot stand in the file; the rest of the list can.
  std::copy_if(entries.begin(), entries.end(), std::back_inserter(kept),
               [](const std::string& entry) { return !HasLineBreak(entry); });
  ini.WriteInteger(kHistory, "count", static_cast<std::int64_t>(kept.size()));
  for (std::size_t i = 0; i < kept.size(); ++i) {
    ini.DeleteKey(kHistory, std::to_string(i));
    ini.WriteString(kHistory, std::to_string(i), kept[i]);
  }
}

std::string ChooseAppDir(const std::string& executableFolder, const std::string& configHome) {
  struct stat info {};
  const bool portable = !executableFolder.empty() &&
                        stat((executableFolder + "AppData").c_str(), &info) == 0 &&
                        S_ISDIR(info.st_mode);
  return portable ? executableFolder : configHome + "/Nubrix/";
}

std::string ConfigHome() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return config;
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.config";
}

std::string AppDir() {
  static const std::string dir = ChooseAppDir(ExecutableFolder(), ConfigHome());
  return dir;
}

std::string SettingsFileName() { return AppDir() + "AppData/Nubrix.ini"; }

std::string ShippedTemplateFile() {
  std::string installed =
      platform::JoinPath(platform::FolderOf(platform::WithoutSeparator(ExecutableFolder())),
                         "share/nubrix/Nubrix.tpl");
  if (platform::Exists(installed)) return installed;
#ifdef NUBRIX_SOURCE_TEMPLATE
  if (platform::Exists(NUBRIX_SOURCE_TEMPLATE)) return NUBRIX_SOURCE_TEMPLATE;
#endif
  return {};
}

bool InstallShippedTemplate(const std::string& templateFile, const std::string& shipped) {
  std::string text;
  if (shipped.empty() || platform::Exists(templateFile) || !platform::ReadWholeFile(shipped, text))
    return false;
  return platform::WriteNewFileAtomically(templateFile, text) == 0;
}

}  // namespace nubrix

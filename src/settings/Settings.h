// The settings of the main window as they stand in the settings file, and where that file is.
// Plain C++: the window applies what is read here and hands back what it writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "settings/IniStuff.h"

namespace nubrix {

struct TWindowSettings {
  int Left = 100;
  int Width = 900;
  int Top = 50;
  int Height = 600;
  int TabSheet = 0;  // 0 to 5; anything else shows no page
  bool ShowDirTree = true;
  bool Elyptic = false;
  bool ExplodeBiggest = false;
  bool MarkVisible = true;
  bool ShowLegend = false;
  bool ShowHints = true;
  bool Toggle3D = true;
  bool FreeSpace = false;
  bool HistoryCombo = false;
  bool ShowGrowth = false;
  std::uint8_t Sort = 0;
  std::string StartWith = "/";
  bool EnableZoom = true;   // read, never written
  int HistorySize = 20;     // read, never written
  int LargestFiles = 1000;  // how many the largest files keep; read, never written
  std::vector<std::string> History;
};

// The keys in the order the program reads them; what is missing or not a number is the default.
TWindowSettings ReadSettings(const TIniFile& ini);

// Bounds (when writeBounds), Switches, PieForm, Page, LastDir, then the history.
void WriteSettings(TIniFile& ini, const TWindowSettings& settings, bool writeBounds);

// Section HistoryCombo: count, then 0 .. count-1 (no further than the keys the section holds);
// empty entries are skipped.
std::vector<std::string> LoadHistory(const TIniFile& ini);
// count, then every entry deleted and written again, so each moves to the end of the section.
// Entries holding a line break are left out.
void SaveHistory(TIniFile& ini, const std::vector<std::string>& entries);

// The executable's folder when a folder named AppData lies beside it (portable use), else
// configHome/Nubrix/. Whether the executable's folder may be written plays no part: an installed
// program run by root must not write below /usr.
std::string ChooseAppDir(const std::string& executableFolder, const std::string& configHome);
// $XDG_CONFIG_HOME when it is absolute, else ~/.config.
std::string ConfigHome();
// ChooseAppDir for this program, decided once; with a trailing separator.
std::string AppDir();
// AppDir() + "AppData/Nubrix.ini".
std::string SettingsFileName();

// The list of junk file types that comes with the program (the program itself has none): in
// share/nubrix beside an installed program's bin, else the one of the source tree the program was
// built from. Empty when neither is there.
std::string ShippedTemplateFile();
// Copies shipped to templateFile when no file is there yet; never replaces one. Whether it did.
bool InstallShippedTemplate(const std::string& templateFile, const std::string& shipped);

}  // namespace nubrix

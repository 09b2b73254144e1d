#include "app/CommandTable.h"

#include <algorithm>

namespace nubrix {

namespace {

constexpr TCommandSpec kCommands[] = {
    {"actRun", "&Scan", "F9", "Calclulate Size of selected directory incl. all sub dirs ", "&File"},
    {"actBrowseDir", "&BrowseDir", "", "Opens browse dir dialog", "&File"},
    {"actUpOneDir", "&UpOneDir", "F8", "Up to Parent Directory", "&File"},
    {"actPrint", "&Print visible chart", "Ctrl+P",
     "Plain print of the active and visible sheet. For more print options go to Export/Print", "&File", 2},
    {"actExit", "E&xit", "Ctrl+Q", "", "&File", 1},
    {"actshowHints", "&Show hints", "", "Show hints on/off", "&View", 0, true},
    {"actFolderHistory", "&Folder History off / on", "", "Toggle folder history on- off.", "&View", 0, true},
    {"actToggleDirTree", "S&how DirTree", "Ctrl+T", "Toggles Explorer panel", "&View", 1},
    {"act3D", "&3D View", "", "Toggle between 2D and 3D mode", "&Chart view", 0, true},
    {"actExplode", "&Explode Biggest", "", "Shows biggest pie cut out", "&Chart view", 0, true},
    {"actLabels", "&Show labels", "", "Toggle Labels", "&Chart view", 0, true},
    {"actshowLegend", "S&how Legend", "", "Show Legend", "&Chart view", 0, true},
    {"actElypticPie", "Sh&ow elyptic pie", "", "Show elyptic pie", "&Chart view", 0, true},
    {"actRotateLeft", "&Rotate left", "Ctrl+L", "Rotate pie chart", "&Chart view", 0, true},
    {"actRotateRight", "Ro&tate right", "Ctrl+R", "", "&Chart view", 0, true},
    {"actFreeSpace", "Sho&w free space", "", "Include free space", "&Chart view", 0, true},
    {"actSortName", "Sort \"&Names\"", "", "Sort listview and barchart", "&Chart view", 1, true},
    {"actSortSize", "Sort \"S&ize\"", "", "", "&Chart view", 0, true},
    {"actNoSort", "&Don't sort", "", "", "&Chart view"},
    {"actSortNow", "Sort now", "", "Sort now", "&Chart view"},
    {"actSaveAsPicture", "&Save as picture", "", "Save Picture to File", "F&unctions", 1},
    {"actBarClbd", "&Copy bars to clipboard", "", "", "F&unctions"},
    {"actPieClbd", "C&opy pies to clipboard", "", "", "F&unctions"},
    {"actAbout", "&About", "", "", "&Help"},
    {"acthelp", "&Help", "", "", "&Help", 1},
    {"actHelpCnt", "H&elp contents", "", "", "&Help"},
    {"actHelpIDX", "He&lp Index", "", "", "&Help"},
    {"actBack", "Back", "", "", ""},
    {"actBarsUp", "", "", "Bars one page up", ""},
    {"actBarsNormal", "l", "", "Bars normal", ""},
    {"actBarsSpread", "", "", "Bars spread", ""},
    {"actBarsDown", "", "", "Bars one page down", ""},
    {"actCleanIEHistory", "Clean IE History", "", "Cleans history of internet explorer", ""},
    {"actClearIECache", "Delete IE cache", "", "Delete internet explorer cache", ""},
    {"actClearURL", "Clean last used URLs", "", "Clean up last used URLs of internet explorer", ""},
    {"actClearDocs", "Clear document history", "", "", ""},
    {"actClearMedia", "Clear media player history", "", "Clear media player history", ""},
    {"actRecycleBin", "Empty recycle bin", "", "Empty recycle bin", ""},
    {"actDefrag2", "Windows defrag", "", "", ""},
    {"actHDCleanup", "Windows HD cleanup", "", "Start windows hard disk clean up", ""},
    {"actUninstall", "Open uninstall service", "", "Open uninstall service", ""},
    {"actListShortcuts", "List shortcuts", "", "", ""},
    {"actListEmptyFolders", "List empty folders", "", "", ""},
    {"actDelCheckedItems", "Delete checked items", "", "", ""},
    {"actDelEmptyFolders", "Delete empty folders", "", "", ""},
    {"actDeleteFile", "Delete Dir", "", "Del to Rec. Bin", ""},
};

}  // namespace

std::span<const TCommandSpec> CommandTable() { return kCommands; }

const TCommandSpec* FindCommand(std::string_view name) {
  const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                               [&](const TCommandSpec& spec) { return spec.Name == name; });
  return it == std::end(kCommands) ? nullptr : it;
}

}  // namespace nubrix

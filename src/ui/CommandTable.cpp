#include "ui/CommandTable.h"

#include <algorithm>

namespace nubrix {

namespace {

constexpr TCommandSpec kCommands[] = {
    {"actRun", "&Scan", "F9", "Calclulate Size of selected directory incl. all sub dirs ", "&File",
     0, false, true, "media-playback-start"},
    {"actBrowseDir", "&BrowseDir", "", "Opens browse dir dialog", "&File", 0, false, true,
     "folder-open"},
    {"actOpenScanFile", "Open scan &file ...", "",
     "Shows a scan written by nubrix-scan --export, ncdu -o or gdu -o on this or another machine",
     "&File", 0, false, true, "document-open"},
    {"actUpOneDir", "&UpOneDir", "F8", "Up to Parent Directory", "&File", 0, false, true, "go-up"},
    {"actDeleteFile", "Delete Dir", "", "Del to Rec. Bin", "&File", 0, false, true, "user-trash"},
    {"actUndoCleanup", "Undo last cleanup", "",
     "Puts back what the last cleanup moved to the trash", "&File", 1, false, true, "edit-undo"},
    {"actCleanupHistory", "Cleanup history ...", "", "The cleanups that can be put back", "&File",
     0, false, true, "document-open-recent"},
    {"actPrint", "&Print visible chart", "Ctrl+P",
     "Plain print of the active and visible sheet. For more print options go to Export/Print",
     "&File", 2, false, true, "document-print"},
    {"actExit", "E&xit", "Ctrl+Q", "", "&File", 1, false, true, "application-exit"},
    {"actshowHints", "&Show hints", "", "Show hints on/off", "&View", 0, true, true,
     "help-contextual"},
    {"actFolderHistory", "&Folder History off / on", "", "Toggle folder history on- off.", "&View",
     0, true, true, "nubrix-folder-history"},
    {"actShowGrowth", "Show &growth since last scan", "",
     "Marks add the change since the last scan of the same folder", "&View", 0, true, true,
     "nubrix-growth"},
    {"actToggleDirTree", "S&how DirTree", "Ctrl+T", "Toggles Explorer panel", "&View", 1, false,
     true, "view-list-tree"},
    {"act3D", "&3D View", "", "Toggle between 2D and 3D mode", "&Chart view", 0, true, true,
     "nubrix-3d"},
    {"actExplode", "&Explode Biggest", "", "Shows biggest pie cut out", "&Chart view", 0, true,
     true, "nubrix-explode"},
    {"actLabels", "&Show labels", "", "Toggle Labels", "&Chart view", 0, true, true, "insert-text"},
    {"actshowLegend", "S&how Legend", "", "Show Legend", "&Chart view", 0, true, true,
     "view-list-details"},
    {"actElypticPie", "Sh&ow elyptic pie", "", "Show elyptic pie", "&Chart view", 0, true, true,
     "nubrix-elliptic-pie"},
    {"actRotateLeft", "&Rotate left", "Ctrl+L", "Rotate pie chart", "&Chart view", 0, true, true,
     "object-rotate-left"},
    {"actRotateRight", "Ro&tate right", "Ctrl+R", "", "&Chart view", 0, true, true,
     "object-rotate-right"},
    {"actFreeSpace", "Sho&w free space", "", "Include free space", "&Chart view", 0, true, true,
     "drive-harddisk"},
    {"actSortName", "Sort \"&Names\"", "", "Sort listview and barchart", "&Chart view", 1, true,
     true, "view-sort-ascending"},
    {"actSortSize", "Sort \"S&ize\"", "", "", "&Chart view", 0, true, true, "view-sort-descending"},
    {"actNoSort", "&Don't sort", "", "", "&Chart view", 0, false, true, "nubrix-no-sort"},
    {"actSortNow", "Sort now", "", "Sort now", "&Chart view", 0, false, true, "view-refresh"},
    {"actSaveAsPicture", "&Save as picture", "", "Save Picture to File", "F&unctions", 1, false,
     true, "document-save-as"},
    {"actBarClbd", "&Copy bars to clipboard", "", "", "F&unctions", 0, false, true,
     "nubrix-copy-bars"},
    {"actPieClbd", "C&opy pies to clipboard", "", "", "F&unctions", 0, false, true,
     "nubrix-copy-pie"},
    {"actTreemapClbd", "Copy &treemap to clipboard", "", "", "F&unctions", 0, false, true,
     "nubrix-copy-bars"},
    {"actAbout", "&About", "", "", "&Help", 0, false, true, "help-about"},
    {"acthelp", "&Help", "", "", "&Help", 1, false, true, "help-contents"},
    {"actHelpCnt", "H&elp contents", "", "", "&Help", 0, false, true, "help-contents"},
    {"actHelpIDX", "He&lp Index", "", "", "&Help", 0, false, true, "nubrix-help-index"},
    {"actBack", "Back", "", "", "", 0, false, true, "go-previous"},
    {"actBarsUp", "", "", "Bars one page up", "", 0, false, true, "nubrix-bars-up"},
    {"actBarsNormal", "l", "", "Bars normal", "", 0, false, true, "nubrix-bars-normal"},
    {"actBarsSpread", "", "", "Bars spread", "", 0, false, true, "nubrix-bars-spread"},
    {"actBarsDown", "", "", "Bars one page down", "", 0, false, true, "nubrix-bars-down"},
    {"actCleanIEHistory", "Clean IE History", "", "Cleans history of internet explorer", "", 0,
     false, true, "edit-clear-history"},
};

}  // namespace

std::span<const TCommandSpec> CommandTable() { return kCommands; }

const TCommandSpec* FindCommand(std::string_view name) {
  const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                               [&](const TCommandSpec& spec) { return spec.Name == name; });
  return it == std::end(kCommands) ? nullptr : it;
}

}  // namespace nubrix

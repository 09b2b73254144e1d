#include "app/CommandTable.h"

#include <algorithm>

namespace nubrix {

namespace {

constexpr TCommandSpec kCommands[] = {
    {"actRun", "&Scan", "F9", "Calclulate Size of selected directory incl. all sub dirs ", "&File",
     0, false, true, "media-playback-start", "\u25B6"},
    {"actBrowseDir", "&BrowseDir", "", "Opens browse dir dialog", "&File", 0, false, true,
     "folder-open", "\u2026"},
    {"actUpOneDir", "&UpOneDir", "F8", "Up to Parent Directory", "&File", 0, false, true, "go-up",
     "\u2191"},
    {"actDeleteFile", "Delete Dir", "", "Del to Rec. Bin", "&File", 0, false, true, "user-trash",
     "\u2717"},
    {"actUndoCleanup", "Undo last cleanup", "",
     "Puts back what the last cleanup moved to the trash", "&File", 1, false, true, "edit-undo",
     "\u21B6"},
    {"actCleanupHistory", "Cleanup history ...", "", "The cleanups that can be put back", "&File",
     0, false, true, "document-open-recent", "\u2630"},
    {"actPrint", "&Print visible chart", "Ctrl+P",
     "Plain print of the active and visible sheet. For more print options go to Export/Print",
     "&File", 2, false, true, "document-print", "P"},
    {"actExit", "E&xit", "Ctrl+Q", "", "&File", 1, false, true, "application-exit", "\u2715"},
    {"actshowHints", "&Show hints", "", "Show hints on/off", "&View", 0, true, true,
     "help-contextual", "?"},
    {"actFolderHistory", "&Folder History off / on", "", "Toggle folder history on- off.", "&View",
     0, true, true, "", ""},
    {"actShowGrowth", "Show &growth since last scan", "",
     "Marks add the change since the last scan of the same folder", "&View", 0, true, true, "",
     "\u0394"},
    {"actToggleDirTree", "S&how DirTree", "Ctrl+T", "Toggles Explorer panel", "&View", 1, false,
     true, "view-list-tree", "\u2630"},
    {"act3D", "&3D View", "", "Toggle between 2D and 3D mode", "&Chart view", 0, true, true, "",
     "3D"},
    {"actExplode", "&Explode Biggest", "", "Shows biggest pie cut out", "&Chart view", 0, true,
     true, "", ""},
    {"actLabels", "&Show labels", "", "Toggle Labels", "&Chart view", 0, true, true, "insert-text",
     "Ab"},
    {"actshowLegend", "S&how Legend", "", "Show Legend", "&Chart view", 0, true, true,
     "view-list-details", "\u2261"},
    {"actElypticPie", "Sh&ow elyptic pie", "", "Show elyptic pie", "&Chart view", 0, true, true, "",
     ""},
    {"actRotateLeft", "&Rotate left", "Ctrl+L", "Rotate pie chart", "&Chart view", 0, true, true,
     "object-rotate-left", "\u21BA"},
    {"actRotateRight", "Ro&tate right", "Ctrl+R", "", "&Chart view", 0, true, true,
     "object-rotate-right", "\u21BB"},
    {"actFreeSpace", "Sho&w free space", "", "Include free space", "&Chart view", 0, true, true,
     "drive-harddisk", "\u25A1"},
    {"actSortName", "Sort \"&Names\"", "", "Sort listview and barchart", "&Chart view", 1, true,
     true, "view-sort-ascending", "AZ"},
    {"actSortSize", "Sort \"S&ize\"", "", "", "&Chart view", 0, true, true, "view-sort-descending",
     "9\u2193"},
    {"actNoSort", "&Don't sort", "", "", "&Chart view", 0, false, true, "", ""},
    {"actSortNow", "Sort now", "", "Sort now", "&Chart view", 0, false, true, "view-refresh",
     "\u21BB"},
    {"actSaveAsPicture", "&Save as picture", "", "Save Picture to File", "F&unctions", 1, false,
     true, "document-save-as", "S"},
    {"actBarClbd", "&Copy bars to clipboard", "", "", "F&unctions", 0, false, true, "", ""},
    {"actPieClbd", "C&opy pies to clipboard", "", "", "F&unctions", 0, false, true, "", ""},
    {"actAbout", "&About", "", "", "&Help", 0, false, true, "help-about", "i"},
    {"acthelp", "&Help", "", "", "&Help", 1, false, true, "", ""},
    {"actHelpCnt", "H&elp contents", "", "", "&Help", 0, false, true, "", ""},
    {"actHelpIDX", "He&lp Index", "", "", "&Help", 0, false, true, "", ""},
    {"actBack", "Back", "", "", "", 0, false, true, "go-previous", "\u2190"},
    {"actBarsUp", "", "", "Bars one page up", "", 0, false, true, "", "\u25B2"},
    {"actBarsNormal", "l", "", "Bars normal", "", 0, false, true, "", "l"},
    {"actBarsSpread", "", "", "Bars spread", "", 0, false, true, "", "\u2195"},
    {"actBarsDown", "", "", "Bars one page down", "", 0, false, true, "", "\u25BC"},
    {"actCleanIEHistory", "Clean IE History", "", "Cleans history of internet explorer", "", 0,
     false, true, "edit-clear-history", "H"},
};

}  // namespace

std::span<const TCommandSpec> CommandTable() { return kCommands; }

const TCommandSpec* FindCommand(std::string_view name) {
  const auto it = std::find_if(std::begin(kCommands), std::end(kCommands),
                               [&](const TCommandSpec& spec) { return spec.Name == name; });
  return it == std::end(kCommands) ? nullptr : it;
}

}  // namespace nubrix

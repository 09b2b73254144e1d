// The temp-file cleaner's work: masks, the search of the scanned folders, the size texts, the
// order of the rows, and the template file that keeps the list of masks. Plain C++ on byte paths.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/TrashMove.h"
#include "sizetree/TreeFolders.h"

namespace nubrix {

class TIniFile;
class TSizeFolder;

// One mask of the type list: "*.tmp" and what it is.
struct TTmpType {
  std::string Mask;
  std::string Description;
  bool Checked = true;
};

// One file found.
struct TTempTreeData {
  std::string FileName;  // the name in its folder
  std::string Folder;    // the folder's path with a trailing separator
  std::uint64_t Size = 0;
  std::int32_t ImageIndex = 76;
  bool Checked = true;
  platform::TFileId FolderId{};  // as listed: the move refuses another folder or file
  platform::TFileId ItemId{};
  platform::TFileTimes Times{};
  std::string Path() const { return Folder + FileName; }
};

// What the move of a found file must find again: that file in that folder.
platform::TListedItem ListedTempFile(const TTempTreeData& row);

// "*" any run of characters, "?" exactly one (a valid UTF-8 sequence is one character, any other
// byte is one), the letters A-Z without regard to case, everything else as it is; "*.*" matches
// every name, also one without a dot. An empty mask or one holding "/" matches nothing.
bool MatchesMask(std::string_view name, std::string_view mask);

// The files of one folder that match the masks: for each mask in order, the entries in listing
// order, names beginning with "." and folders left out; a file matched by two masks gives two
// rows. The folder is listed once whatever the number of masks; a folder that is gone, or a trash
// folder, adds nothing.
void SearchTempFilesInFolder(const std::string& folder, const std::vector<std::string>& masks,
                             std::vector<TTempTreeData>& rows);

// The folders a search visits, from start down, each before its children, children in their
// order in the tree: taken on the window's thread, so the search never touches the tree itself.
TTreeFolders TempSearchFolders(const TSizeFolder& start);

struct TTempSearch {
  std::vector<TTempTreeData> Rows;
  int FoldersSearched = 0;
  bool Cancelled = false;  // the rows found so far stay
};

// Each folder in turn as SearchTempFilesInFolder searches one, reached as TTreeOpener reaches it;
// progress(folders searched) after each.
TTempSearch SearchTempFiles(const TTreeFolders& folders, const std::vector<std::string>& masks,
                            const std::atomic<bool>* cancel = nullptr,
                            const std::function<void(int)>& progress = {});

// The "Size of file" text: kilobytes to two decimals, or megabytes from 1024 kb on: "0.98 kb",
// "4.77 Mb". decimalPoint stands between the whole and the fraction.
std::string TempSizeText(std::uint64_t bytes, char decimalPoint = '.');

enum TTempColumn { kTempFileNameColumn, kTempFolderColumn, kTempSizeColumn, kTempColumnCount };
// -1, 0 or 1: names and folders by bytes with A-Z folded to a-z, sizes by number.
int CompareTempRows(const TTempTreeData& a, const TTempTreeData& b, int column);

// A mask or description as the template file keeps it: without the blanks around it.
std::string TrimmedTypeText(std::string_view text);

// Why a type cannot be kept in the template file as it is given (a key there is trimmed, cannot
// be empty, begin with "[" or ";" nor hold "=", no line can hold a line break, and masks that
// differ only in case are one key); empty when it can. The text checked is the trimmed one.
std::string TypeRefusal(std::string_view mask, std::string_view description,
                        const std::vector<TTmpType>& existing = {});

// The masks of the template file: the keys of section "tmpList" in file order, each checked.
std::vector<TTmpType> LoadTmpList(const TIniFile& file);
// Section "tmpList" erased, then one key per row in order (masks that differ only in case become
// one key: the place of the first, the description of the last). Other sections stay.
void SaveTmpList(TIniFile& file, const std::vector<TTmpType>& types);
// The template file beside the settings file: its name with the extension ".tpl".
std::string TemplateFileName(const std::string& settingsFile);

}  // namespace nubrix

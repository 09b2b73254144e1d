// The largest files and the file types of a folder, as the "Largest files" page lists them: the
// folders whose files are counted, the order of the list's columns, and what a move to the trash
// must find again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/TrashMove.h"
#include "sizetree/FileStats.h"

namespace nubrix {

class TSizeFolder;

enum TLargeColumn {
  kLargeNameColumn,
  kLargeFolderColumn,
  kLargeSizeColumn,
  kLargeModifiedColumn,
  kLargeTypeColumn,
  kLargeColumnCount
};

// Whether a comes before b sorted by one column (names, folders and types by bytes, sizes and
// times by number); rows equal in that column keep the order of their paths either way, so the
// largest-first list shows equal sizes as the command line prints them.
bool LargeFileBefore(const TLargeFile& a, const TLargeFile& b, int column, bool ascending);

// That file in that folder, as listed: a move refuses another one in its place.
platform::TListedItem ListedLargeFile(const TLargeFile& file);

// Takes files that went to the trash out of the stats of a folder they were in: out of the
// largest files, their types and the totals (a type left with no file goes).
void RemoveFromStats(TFileStats& stats, const std::vector<TLargeFile>& gone);

// The folders whose files make up start's total, start first: taken on the window's thread, so
// the job that lists them never touches the tree.
TTreeFolders FoldersBelow(const TSizeFolder& start);

}  // namespace nubrix

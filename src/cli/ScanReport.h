// The outputs of nubrix-scan: the listing that scripts compare, the summary for people, and the
// largest files and the file types.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>

#include "sizetree/FileStats.h"
#include "sizetree/SizeTreeU.h"

namespace nubrix {

// One line per folder in pre-order, children in list order:
// OwnSize units, TAB, SubfolderSize units, TAB, the path's raw bytes, newline.
void WriteListing(std::ostream& out, TSizeFolder& root);

// The total, the own files, the children largest first (at most top of them; -1 for all),
// the folder count and the elapsed time.
void WriteSummary(std::ostream& out, TSizeFolder& root, std::int32_t folderCount,
                  std::chrono::milliseconds elapsed, int top);

// --largest: bytes, TAB, the path's raw bytes, newline; largest first.
void WriteLargest(std::ostream& out, const TFileStats& stats);
// --types: files, TAB, bytes, TAB, the extension ("-" for none), newline; most bytes first.
void WriteTypes(std::ostream& out, const TFileStats& stats);

// For standard error: how many folders could not be read, so that the sizes above them are too
// small; nothing when every folder was read.
void WriteUnreadableNote(std::ostream& out, std::int32_t unreadable);

}  // namespace nubrix

// The two outputs of nubrix-scan: the listing that scripts compare and the summary for people.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>

#include "sizetree/SizeTreeU.h"

namespace nubrix {

// One line per folder in pre-order, children in list order:
// OwnSize units, TAB, SubfolderSize units, TAB, the path's raw bytes, newline.
void WriteListing(std::ostream& out, TSizeFolder& root);

// The total, the own files, the children largest first (at most top of them; -1 for all),
// the folder count and the elapsed time.
void WriteSummary(std::ostream& out, TSizeFolder& root, std::int32_t folderCount,
                  std::chrono::milliseconds elapsed, int top);

// For standard error: how many folders could not be read, so that the sizes above them are too
// small; nothing when every folder was read.
void WriteUnreadableNote(std::ostream& out, std::int32_t unreadable);

}  // namespace nubrix

// The outputs of nubrix-scan: the listing that scripts compare, the summary for people, and the
// largest files and the file types.
#pragma once

#include <chrono>
#include <cstdint>
#include <ostream>

#include "sizetree/FileStats.h"
#include "sizetree/SizeTreeU.h"

namespace nubrix {

// How names are written: as raw bytes (for scripts), or for a terminal, where a control byte in a
// name would move the cursor or worse: control bytes and backslashes as \ooo and \\, as ls -b
// writes them.
enum class TNames { Raw, ForTerminal };

// One line per folder in pre-order, children in list order:
// OwnSize units, TAB, SubfolderSize units, TAB, the path's raw bytes, newline.
void WriteListing(std::ostream& out, TSizeFolder& root, TNames names = TNames::Raw);

// The total, the own files, the children largest first (at most top of them; -1 for all),
// the folder count and the elapsed time.
void WriteSummary(std::ostream& out, TSizeFolder& root, std::int32_t folderCount,
                  std::chrono::milliseconds elapsed, int top, TNames names = TNames::Raw);

// --largest: bytes, TAB, the path's raw bytes, newline; largest first.
void WriteLargest(std::ostream& out, const TFileStats& stats, TNames names = TNames::Raw);
// --types: files, TAB, bytes, TAB, the extension ("-" for none), newline; most bytes first.
void WriteTypes(std::ostream& out, const TFileStats& stats, TNames names = TNames::Raw);

// For standard error: how many folders could not be read, so that the sizes above them are too
// small; nothing when every folder was read.
void WriteUnreadableNote(std::ostream& out, std::int32_t unreadable);

}  // namespace nubrix

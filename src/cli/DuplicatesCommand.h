// nubrix-clean duplicates [--min-size BYTES] [--threads N] [--trash --keep newest|oldest|first]
// FOLDER: the files stored twice below FOLDER, one path a line, each group followed by an empty
// line, the most freeable group first, the paths of a group in byte order, one name for a file
// with several. With --trash every copy but the kept one of each group goes to the trash as one
// cleanup that undo can put back, and the paths moved are listed instead.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace nubrix {

// arguments: what follows "duplicates". The exit status: 0 none found or all moved, 1 something
// stayed (said on err), 2 a wrong call or a folder that cannot be read.
int RunDuplicates(const std::vector<std::string>& arguments, const std::string& databaseFile,
                  std::ostream& out, std::ostream& err);

// The folder as the kernel reads it, without its trailing separator; empty when it cannot be
// opened as a folder (said on err).
std::string ReadableFolder(const std::string& folder, std::ostream& err);

}  // namespace nubrix

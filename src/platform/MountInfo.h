// The mount table of this process, read from /proc/self/mountinfo. Reading it never touches the
// mounted file systems, so it cannot hang on a dead network mount.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nubrix::platform {

struct TMountEntry {
  int Id = 0;
  int ParentId = 0;
  unsigned Major = 0;
  unsigned Minor = 0;
  std::string Root;        // the folder of the source file system that is mounted (bind mounts)
  std::string MountPoint;  // where it is mounted, unescaped bytes
  std::string FsType;
  std::string Source;
};

// Lines that do not have the mountinfo shape are skipped.
std::vector<TMountEntry> ParseMountInfo(std::string_view text);

// The kernel writes blanks, tabs, newlines and backslashes in paths as \ooo octal escapes.
std::string UnescapeMountField(std::string_view field);

// The current table; empty when /proc is not mounted or not readable.
std::vector<TMountEntry> ReadMountInfo();

}  // namespace nubrix::platform

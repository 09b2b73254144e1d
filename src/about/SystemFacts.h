// The machine as the about box describes it, read from Linux's own sources.
#pragma once

#include <string>
#include <vector>

#include "about/AboutCore.h"

namespace nubrix::about {

struct TSystemTexts {
  std::string Name;     // from /etc/os-release
  std::string Version;  // the kernel's, "6.1   Build : 0"
  std::string Memory;   // from /proc/meminfo
  std::string Drives1;  // the first four file systems
  std::string Drives2;  // the others
};

// The file systems a user cares about, in the order the texts list them: the root first (where
// Windows says C:), then the home folder's, then removable media below /media, /run/media and
// /mnt; never pseudo, network or snap mounts. Each is named by its mount point; one that cannot
// be asked has no free space.
std::vector<TDriveSpace> UserDrives();

TSystemTexts ReadSystemTexts();

}  // namespace nubrix::about

#include "about/SystemFacts.h"

#include <sys/statvfs.h>
#include <sys/utsname.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <tuple>

#include "platform/MountInfo.h"
#include "platform/Mounts.h"
#include "platform/Paths.h"

namespace nubrix::about {

namespace {

std::string ReadText(const char* file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

bool IsRemovablePlace(const std::string& mountPoint) {
  for (const char* place : {"/media/", "/run/media/", "/mnt/"}) {
    if (mountPoint.rfind(place, 0) == 0) return true;
  }
  return false;
}

bool IsShown(const platform::TMountEntry& mount) {
  return !platform::IsPseudoFileSystem(mount.FsType) &&
         !platform::IsNetworkFileSystem(mount.FsType) && mount.FsType != "squashfs" &&
         mount.MountPoint.rfind("/snap/", 0) != 0;
}

std::optional<std::uint64_t> FreeBytes(const std::string& mountPoint) {
  struct statvfs info {};
  if (::statvfs(mountPoint.c_str(), &info) != 0 || info.f_blocks == 0) return std::nullopt;
  return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

}  // namespace

std::vector<TDriveSpace> UserDrives() {
  std::vector<std::string> points = {"/"};
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home == '/') {
    if (const auto mount = platform::MountHoldingPath(home); mount && IsShown(*mount)) {
      points.push_back(mount->MountPoint);
    }
  }
  std::vector<std::string> removable;
  for (const platform::TMountEntry& mount : platform::ReadMountInfo()) {
    if (IsShown(mount) && IsRemovablePlace(mount.MountPoint)) removable.push_back(mount.MountPoint);
  }
  std::sort(removable.begin(), removable.end());
  points.insert(points.end(), removable.begin(), removable.end());
  std::vector<TDriveSpace> drives;
  for (const std::string& point : points) {
    const bool known = std::any_of(drives.begin(), drives.end(),
                                   [&](const TDriveSpace& drive) { return drive.Name == point; });
    if (!known) drives.push_back({point, FreeBytes(point)});
  }
  return drives;
}

TSystemTexts ReadSystemTexts() {
  TSystemTexts texts;
  texts.Name = SystemName(ReadText("/etc/os-release"));
  struct utsname names {};
  texts.Version = SystemVersionText(::uname(&names) == 0 ? names.release : "");
  texts.Memory = MemoryText(ReadText("/proc/meminfo"));
  std::tie(texts.Drives1, texts.Drives2) = DriveTexts(UserDrives());
  return texts;
}

}  // namespace nubrix::about

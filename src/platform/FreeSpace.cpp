#include "platform/FreeSpace.h"

#include <sys/statvfs.h>

#include "platform/Mounts.h"

namespace nubrix::platform {

std::optional<std::int64_t> FreeBytesAvailable(const std::string& path) {
  // A network file system may wait for its server for minutes: it is never asked.
  const std::optional<TMountEntry> mount = MountHoldingPath(path);
  if (!mount || IsNetworkFileSystem(mount->FsType)) return std::nullopt;
  struct statvfs info {};
  if (statvfs(path.c_str(), &info) != 0) return std::nullopt;
  return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
}

}  // namespace nubrix::platform

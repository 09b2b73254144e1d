// The file system that holds a path, decided from the mount table (and statx on the path
// itself), so that nothing here waits for a network server.
#pragma once

#include <optional>
#include <string>

#include "platform/MountInfo.h"

namespace nubrix::platform {

// The mount that holds path (links in path followed, as opening it would); nullopt when path
// does not exist or the table cannot be read.
std::optional<TMountEntry> MountOfPath(const std::string& path);

// The mount of an open file in table (the table as read once by a caller that asks often); by
// the longest mount point that prefixes path when the kernel does not tell the mount's number.
std::optional<TMountEntry> MountOfFd(int fd, const std::string& path,
                                     const std::vector<TMountEntry>& table);

// The mount whose mount point is the longest prefix of path, by the table alone: nothing on the
// path is touched, so a dead network mount cannot hold the caller up. Links in path are not
// resolved.
std::optional<TMountEntry> MountHoldingPath(const std::string& path);

// nfs, cifs, smb3, 9p, ceph, sshfs, rclone ... : file systems whose data live on another machine.
bool IsNetworkFileSystem(const std::string& fsType);
// proc, sysfs, cgroup, autofs, ... : kernel views and automounters, never walked or emptied.
bool IsPseudoFileSystem(const std::string& fsType);
// An optical disc: iso9660 or udf on a /dev/sr* drive (major 11), not a loop-mounted image.
bool IsOpticalDisc(const TMountEntry& mount);
// smb://, sftp://, ... : a location on another machine given as a URL.
bool IsNetworkUrl(const std::string& text);

}  // namespace nubrix::platform

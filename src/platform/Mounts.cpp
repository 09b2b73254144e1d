#include "platform/Mounts.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <set>

namespace nubrix::platform {

std::optional<TMountEntry> MountOfPath(const std::string& path) {
  struct statx info {};
  if (statx(AT_FDCWD, path.c_str(), AT_NO_AUTOMOUNT | AT_STATX_DONT_SYNC, STATX_MNT_ID, &info) != 0)
    return std::nullopt;
  if ((info.stx_mask & STATX_MNT_ID) == 0) return std::nullopt;
  for (TMountEntry& mount : ReadMountInfo()) {
    if (static_cast<std::uint64_t>(mount.Id) == info.stx_mnt_id) return mount;
  }
  return std::nullopt;
}

namespace {

std::optional<TMountEntry> LongestPrefix(const std::string& path,
                                         const std::vector<TMountEntry>& table) {
  std::string wanted = path;
  while (wanted.size() > 1 && wanted.back() == '/') wanted.pop_back();
  const TMountEntry* best = nullptr;
  for (const TMountEntry& mount : table) {
    const std::string& point = mount.MountPoint;
    const bool inside = point == "/" || wanted == point || wanted.starts_with(point + "/");
    if (inside && (best == nullptr || point.size() >= best->MountPoint.size())) best = &mount;
  }
  if (best == nullptr) return std::nullopt;
  return *best;
}

}  // namespace

std::optional<TMountEntry> MountOfFd(int fd, const std::string& path,
                                     const std::vector<TMountEntry>& table) {
  struct statx info {};
  if (statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_MNT_ID, &info) == 0 &&
      (info.stx_mask & STATX_MNT_ID) != 0) {
    for (const TMountEntry& mount : table) {
      if (static_cast<std::uint64_t>(mount.Id) == info.stx_mnt_id) return mount;
    }
  }
  return LongestPrefix(path, table);
}

std::optional<TMountEntry> MountHoldingPath(const std::string& path) {
  return LongestPrefix(path, ReadMountInfo());
}

bool IsNetworkFileSystem(const std::string& fsType) {
  static const std::set<std::string> kNetwork = {"nfs",
                                                 "nfs4",
                                                 "cifs",
                                                 "smb3",
                                                 "smbfs",
                                                 "ncpfs",
                                                 "afs",
                                                 "9p",
                                                 "ceph",
                                                 "glusterfs",
                                                 "lustre",
                                                 "gpfs",
                                                 "beegfs",
                                                 "orangefs",
                                                 "coda",
                                                 "davfs",
                                                 "fuse.sshfs",
                                                 "fuse.rclone",
                                                 "fuse.s3fs",
                                                 "fuse.gcsfuse",
                                                 "fuse.curlftpfs",
                                                 "fuse.gvfsd-fuse",
                                                 "fuse.kio-fuse"};
  return kNetwork.count(fsType) != 0;
}

bool IsPseudoFileSystem(const std::string& fsType) {
  static const std::set<std::string> kPseudo = {
      "proc",    "sysfs",     "devtmpfs",    "devpts",     "cgroup",     "cgroup2", "autofs",
      "mqueue",  "debugfs",   "tracefs",     "securityfs", "pstore",     "bpf",     "configfs",
      "fusectl", "hugetlbfs", "binfmt_misc", "efivarfs",   "rpc_pipefs", "nsfs"};
  return kPseudo.count(fsType) != 0;
}

bool IsOpticalDisc(const TMountEntry& mount) {
  return (mount.FsType == "iso9660" || mount.FsType == "udf") && mount.Major == 11;
}

bool IsNetworkUrl(const std::string& text) {
  for (const char* scheme : {"smb://", "sftp://", "ssh://", "nfs://", "ftp://", "ftps://", "dav://",
                             "davs://", "webdav://", "afp://"}) {
    if (text.starts_with(scheme)) return true;
  }
  return false;
}

}  // namespace nubrix::platform

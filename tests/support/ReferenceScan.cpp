#include "support/ReferenceScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdint>
#include <memory>
#include <vector>

namespace nubrix::test {

namespace {

struct Folder {
  std::string Path;
  std::uint64_t OwnBytes = 0;
  std::uint64_t SubBytes = 0;
  std::vector<std::unique_ptr<Folder>> Children;
};

std::string WithSlash(const std::string& path) {
  return !path.empty() && path.back() == '/' ? path : path + "/";
}

// Written out in long hand on purpose, independent of the code under test: bytes to the nearest
// ten-thousandth of a megabyte, ties to even.
std::int64_t Units(std::uint64_t bytes) {
  const long double exact = static_cast<long double>(bytes) * 10000.0L / 1048576.0L;
  const long double floorValue = static_cast<long double>(static_cast<std::int64_t>(exact));
  const long double fraction = exact - floorValue;
  auto result = static_cast<std::int64_t>(floorValue);
  if (fraction > 0.5L || (fraction == 0.5L && result % 2 != 0)) ++result;
  return result;
}

bool IsMountPoint(const std::string& path, dev_t parentDevice) {
  struct statx info {};
  if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_TYPE, &info) != 0) return true;
  if ((info.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) &&
      (info.stx_attributes & STATX_ATTR_MOUNT_ROOT)) {
    return true;
  }
  return makedev(info.stx_dev_major, info.stx_dev_minor) != parentDevice;
}

void Walk(Folder& folder) {
  struct stat self {};
  if (lstat(folder.Path.c_str(), &self) != 0) return;
  DIR* dir = opendir(folder.Path.c_str());
  if (dir == nullptr) return;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    const std::string child = WithSlash(folder.Path) + entry->d_name;
    struct stat info {};
    if (lstat(child.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) continue;
    if (IsMountPoint(child, self.st_dev)) continue;
    folder.Children.push_back(std::make_unique<Folder>());
    folder.Children.back()->Path = child;
    Walk(*folder.Children.back());
  }
  closedir(dir);
}

std::uint64_t FilesBytes(const std::string& path) {
  std::uint64_t sum = 0;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return 0;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    struct stat info {};
    if (lstat((WithSlash(path) + entry->d_name).c_str(), &info) != 0) continue;
    if (!S_ISDIR(info.st_mode)) sum += static_cast<std::uint64_t>(info.st_size);
  }
  closedir(dir);
  return sum;
}

void Size(Folder& folder, std::vector<Folder*>& ancestors) {
  folder.OwnBytes = FilesBytes(folder.Path);
  for (Folder* above : ancestors) above->SubBytes += folder.OwnBytes;
  ancestors.push_back(&folder);
  for (auto& child : folder.Children) Size(*child, ancestors);
  ancestors.pop_back();
}

void Print(const Folder& folder, std::string& out) {
  out += std::to_string(Units(folder.OwnBytes)) + "\t" + std::to_string(Units(folder.SubBytes)) +
         "\t" + folder.Path + "\n";
  for (const auto& child : folder.Children) Print(*child, out);
}

}  // namespace

std::string ReferenceListing(const std::string& path) {
  Folder root;
  root.Path = path;
  Walk(root);
  std::vector<Folder*> ancestors;
  Size(root, ancestors);
  std::string out;
  Print(root, out);
  return out;
}

}  // namespace nubrix::test

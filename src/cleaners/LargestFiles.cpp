#include "cleaners/LargestFiles.h"

#include <algorithm>
#include <unordered_set>

#include "cleaners/TempFiles.h"

namespace nubrix {

namespace {

template <class T>
int Compare(const T& a, const T& b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

bool LargeFileBefore(const TLargeFile& a, const TLargeFile& b, int column, bool ascending) {
  int compared = 0;
  switch (column) {
    case kLargeNameColumn:
      compared = Compare(a.Name(), b.Name());
      break;
    case kLargeFolderColumn:
      compared = Compare(a.Folder(), b.Folder());
      break;
    case kLargeSizeColumn:
      compared = Compare(a.Size, b.Size);
      break;
    case kLargeModifiedColumn:
      compared = Compare(a.Modified, b.Modified);
      break;
    case kLargeTypeColumn:
      compared = Compare(FileExtension(a.Name()), FileExtension(b.Name()));
      break;
    default:
      break;
  }
  if (compared != 0) return ascending ? compared < 0 : compared > 0;
  return a.Path < b.Path;
}

platform::TListedItem ListedLargeFile(const TLargeFile& file) {
  const auto id = [](std::uint64_t device, std::uint64_t inode) {
    return platform::TFileId{static_cast<dev_t>(device), static_cast<ino_t>(inode)};
  };
  platform::TListedItem item(file.Path, id(file.FolderDevice, file.FolderInode),
                             id(file.Device, file.Inode));
  item.Size = file.Size;
  item.Times = file.Times;
  return item;
}

void RemoveFromStats(TFileStats& stats, const std::vector<TLargeFile>& gone) {
  std::unordered_set<std::string> paths;
  for (const TLargeFile& file : gone) {
    paths.insert(file.Path);
    const std::string extension = FileExtension(file.Name());
    for (TTypeTotal& type : stats.Types) {
      if (type.Extension != extension) continue;
      type.Files -= std::min<std::uint64_t>(type.Files, 1);
      type.Bytes -= std::min(type.Bytes, file.Size);
    }
    stats.Files -= std::min<std::uint64_t>(stats.Files, 1);
    stats.Bytes -= std::min(stats.Bytes, file.Size);
  }
  std::erase_if(stats.Largest, [&](const TLargeFile& file) { return paths.count(file.Path) != 0; });
  std::erase_if(stats.Types, [](const TTypeTotal& type) { return type.Files == 0; });
  std::stable_sort(stats.Types.begin(), stats.Types.end(),
                   [](const TTypeTotal& a, const TTypeTotal& b) { return a.Bytes > b.Bytes; });
}

TTreeFolders FoldersBelow(const TSizeFolder& start) { return TreeFoldersBelow(start); }

}  // namespace nubrix

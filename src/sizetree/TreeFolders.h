// The folders of a part of a scanned tree as every listing that feeds a move reaches them: from
// one descriptor of the scan root, each folder opened beneath it without a link and without
// leaving its file system, and refused unless it is the very folder the scan saw. Trash folders
// of the user are never entered, nor anything below them: what is in the trash is already gone
// from the user's point of view, and trashing it again would lose where it came from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/SafeOpen.h"

namespace nubrix {

class TDirSource;
class TSizeFolder;

struct TTreeFolder {
  std::string Path;         // absolute; the scan root keeps its separator
  std::uint64_t Inode = 0;  // as the scan saw it; 0 where the scan did not open it
};

struct TTreeFolders {
  TTreeFolders() = default;  // not an aggregate: a braced path never passes for one

  std::string Root;              // the scan root's path, with its separator
  std::uint64_t RootDevice = 0;  // the scan root as the scan saw it; 0 where it is not known
  std::uint64_t RootInode = 0;
  std::vector<TTreeFolder> Folders;  // each before the folders below it

  std::size_t size() const { return Folders.size(); }
  const std::string& PathOf(std::size_t index) const { return Folders[index].Path; }
};

// start and every folder below it: taken on the window's thread, so the job that lists them never
// touches the tree.
TTreeFolders TreeFoldersBelow(const TSizeFolder& start);

// One folder on its own, with no scan to compare it with: links on its own path are followed as
// the user gave it, nothing below it is entered.
TTreeFolders LoneFolder(const std::string& path);

// Why a folder could not be opened, for people: the errors of TTreeOpener::Open spelled out.
std::string TreeFolderError(int error);

// Opens the folders of a TTreeFolders. Made on the listing's thread; Open may then be called from
// several threads at once.
class TTreeOpener {
 public:
  explicit TTreeOpener(const TTreeFolders& folders, TDirSource* source = nullptr);
  ~TTreeOpener();
  TTreeOpener(const TTreeOpener&) = delete;
  TTreeOpener& operator=(const TTreeOpener&) = delete;

  // A trash folder of the user, or a folder inside one: not to be listed at all.
  bool Skipped(std::size_t index) const { return Skipped_[index]; }
  // A descriptor of the folder, or -errno: -ESTALE when another folder stands there now (or the
  // scan root changed), -ELOOP when a link does, -EXDEV when another file system is mounted there.
  int Open(std::size_t index) const;

 private:
  void SkipTrashFolders();
  bool RootInsideTrash(const std::vector<platform::TFileId>& trash) const;

  const TTreeFolders& Folders_;
  TDirSource& Source_;
  int RootFd_ = -1;  // or -errno
  platform::TFileId RootId_{};
  std::vector<bool> Skipped_;
};

}  // namespace nubrix

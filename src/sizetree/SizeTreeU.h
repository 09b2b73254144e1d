// The size tree: one object per scanned folder with the size of its own files and the summed
// size below it. Deep trees are walked, searched and freed without recursion, so a nesting depth
// of tens of thousands of folders cannot overflow the stack.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sizetree/SizeMB.h"

namespace nubrix {

struct TScanContext;
class TFolderWalk;

// A violated precondition of the size tree: a programming error, shown to the user by the
// application's default error display.
class TAssertionFailure : public std::logic_error {
 public:
  explicit TAssertionFailure(const std::string& detail);
  static constexpr const char* kModule = "SizeTreeU";
};

// One folder. Owns its children; the parent pointer is a plain back reference.
// Paths are bytes. Only the last path segment is stored; Path() joins the segments upward, which
// keeps a deep tree's memory linear in the number of folders instead of quadratic in its depth.
class TSizeFolder {
 public:
  TSizeFolder();  // the invisible top folder: no parent, empty path
  TSizeFolder(TSizeFolder* parent, const std::string& path);
  ~TSizeFolder();
  TSizeFolder(const TSizeFolder&) = delete;
  TSizeFolder& operator=(const TSizeFolder&) = delete;

  // Appends a child with the given full path; the caller sets its name.
  TSizeFolder* AddChild(const std::string& path);
  int ChildCount() const { return static_cast<int>(Children_.size()); }
  TSizeFolder* Child(int index) const;

  SizeMB OwnSize() const { return OwnSize_; }
  SizeMB SubfolderSize() const { return SubfolderSize_; }
  SizeMB TotalSize() const { return OwnSize_ + SubfolderSize_; }
  // The exact bytes of the folder's own files as the scan counted them (0 until sized).
  std::uint64_t OwnBytes() const { return Sized_ ? ListedBytes_ : 0; }
  // The exact bytes of the folder and everything below it (0 until sized).
  std::uint64_t TotalBytes() const { return TotalBytes_; }
  void AddOwnSize(SizeMB value) { OwnSize_ += value; }

  std::string Path() const;
  // The folder's own name; for the scan root its path. Stored only where it is not the stored
  // tail of the path, which it is for every folder a scan adds.
  const std::string& Name() const { return OtherName_ ? *OtherName_ : Segment_; }
  void SetName(std::string name);
  TSizeFolder* Parent() const { return Parent_; }

  // 0 when the folder was listed; otherwise the errno that stopped its listing. Such a folder
  // has no children and no own size.
  int ReadError() const { return ReadError_; }
  // Whether this folder or one below it could not be read, so its sizes are too small; set by
  // the size pass.
  bool UnreadableBelow() const { return UnreadableBelow_; }

  // The folder's device and inode as the scan opened it, so that a later listing can tell that
  // it still has the same folder; 0 for a folder the scan did not open (or read from a file).
  std::uint64_t Device() const { return Device_; }
  std::uint64_t Inode() const { return Inode_; }
  void SetIdentity(std::uint64_t device, std::uint64_t inode) {
    Device_ = device;
    Inode_ = inode;
  }

  // Builds the subtree of folder (a child of this top folder) from the disk.
  void CreateObjectTree(TSizeFolder* folder, TScanContext& context);

  // The stored tail of the path: the name below the parent, or the whole path for a folder
  // whose path does not extend its parent's (the scan root).
  const std::string& PathSegment() const { return Segment_; }
  bool HasOwnPath() const { return OwnPath_; }

 private:
  friend class TFolderWalk;
  friend class TSizeTree;
  friend void SortChildrenByName(TSizeFolder* folder);
  friend TSizeFolder* AddListedFolder(TSizeFolder& parent, std::string_view name);
  friend void SetFolderListing(TSizeFolder& folder, std::uint64_t filesBytes, int error);
  friend void SortChildrenBySize(TSizeFolder* folder);

  TSizeFolder* AddNamedChild(std::string_view name);
  void SetListing(std::uint64_t filesBytes, int error);
  void AddSubfolderSize(SizeMB value) { SubfolderSize_ += value; }

  SizeMB OwnSize_ = 0;
  SizeMB SubfolderSize_ = 0;
  std::vector<std::unique_ptr<TSizeFolder>> Children_;
  std::string Segment_;
  std::unique_ptr<std::string> OtherName_;
  TSizeFolder* Parent_ = nullptr;
  // The bytes of the own files found by the walk, held back until the size pass so that a
  // cancelled scan leaves every size at zero; the size pass keeps them.
  std::uint64_t ListedBytes_ = 0;
  std::uint64_t TotalBytes_ = 0;
  std::uint64_t Device_ = 0;
  std::uint64_t Inode_ = 0;
  std::int32_t ReadError_ = 0;
  bool OwnPath_ = true;
  bool Listed_ = false;
  bool Sized_ = false;
  bool UnreadableBelow_ = false;
};

// Holds one tree: an invisible top folder whose only child, after a scan, is the scan root.
class TSizeTree {
 public:
  TSizeTree();
  TSizeFolder& TopFolder() { return *TopFolder_; }
  const TSizeFolder& TopFolder() const { return *TopFolder_; }
  // The scanned folder, or nullptr before a scan.
  TSizeFolder* ScanRoot() const;

  // The first folder below the scan root, in pre-order, whose path equals path without one
  // trailing separator (exact bytes); the scan root when none does.
  TSizeFolder* FindFolder(const std::string& path) const;

  // The size pass; false (and nothing sized) when the walk was cancelled. Each folder's exact
  // byte totals are converted once: OwnSize from the bytes of its own files, SubfolderSize from
  // the bytes of everything below it, so no file is lost to rounding however small.
  bool CalculateSizes(TScanContext& context);

  // Folders of the last size pass that could not be read.
  std::int32_t UnreadableCount() const { return UnreadableCount_; }

 private:
  std::unique_ptr<TSizeFolder> TopFolder_;
  std::int32_t UnreadableCount_ = 0;
};

// A tree described by a file rather than read from the disk: a subfolder named name, and the
// bytes of a folder's own files (error: why it could not be read on the machine that scanned,
// 0 when it was). CalculateSizes then sizes the tree as after a scan.
TSizeFolder* AddListedFolder(TSizeFolder& parent, std::string_view name);
void SetFolderListing(TSizeFolder& folder, std::uint64_t filesBytes, int error);

TSizeFolder* GetParent(const TSizeFolder* folder);

// +1 when a's path is smaller (unsigned bytes, a prefix being smaller), 0 when equal, -1 when
// greater; sorting by it gives descending byte order.
int CompareByName(const TSizeFolder* a, const TSizeFolder* b);
// +1 when a's total is greater, 0 when equal, -1 when smaller; sorting gives ascending totals.
int CompareBySize(const TSizeFolder* a, const TSizeFolder* b);

void SortChildrenByName(TSizeFolder* folder);
void SortChildrenBySize(TSizeFolder* folder);

// Appends segment to a folder path, adding the separator when the path lacks one.
void AppendPathSegment(std::string& path, std::string_view segment);

// Visits start and every folder below it in pre-order, children in list order, handing each its
// path, built incrementally. visit(TSizeFolder&, const std::string& path) returns false to stop.
template <class Visit>
void VisitPreOrder(TSizeFolder& start, Visit&& visit) {
  struct Frame {
    TSizeFolder* Folder;
    int Next;
    std::size_t PathLength;
    bool RestoresPath;  // the folder has its own path; its parent's path waits in saved
  };
  std::string path = start.Path();
  if (!visit(start, std::as_const(path))) return;
  std::vector<std::string> saved;
  std::vector<Frame> stack{{&start, 0, path.size(), false}};
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.Next == top.Folder->ChildCount()) {
      if (top.RestoresPath) {
        path = std::move(saved.back());
        saved.pop_back();
      }
      stack.pop_back();
      continue;
    }
    TSizeFolder* child = top.Folder->Child(top.Next++);
    path.resize(top.PathLength);
    const bool ownPath = child->HasOwnPath();
    if (ownPath) {
      saved.push_back(path);
      path = child->PathSegment();
    } else {
      AppendPathSegment(path, child->PathSegment());
    }
    if (!visit(*child, std::as_const(path))) return;
    stack.push_back({child, 0, path.size(), ownPath});
  }
}

}  // namespace nubrix

// The mount points that lie below a scan root, as a tree of names, so the walk can leave them
// out while listing their parent: a scan stays on its root's mount, bind mounts included.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/MountInfo.h"

namespace nubrix {

class TMountPoints {
 public:
  struct Node {
    bool IsMountPoint = false;
    std::vector<std::pair<std::string, std::unique_ptr<Node>>> Children;
    const Node* Find(std::string_view name) const;
  };

  // Mount points strictly below canonicalRoot (an absolute path without links).
  static TMountPoints Below(const std::string& canonicalRoot,
                            const std::vector<platform::TMountEntry>& mounts);
  // For the current mount table and the real path of root; empty when either is unknown.
  static TMountPoints BelowFolder(const std::string& root);

  // Null when nothing is mounted below the root.
  const Node* Root() const { return Root_.Children.empty() ? nullptr : &Root_; }
  bool RootIsMountPoint() const { return RootIsMountPoint_; }

 private:
  void Add(std::string_view relative);
  Node Root_;
  bool RootIsMountPoint_ = false;
};

}  // namespace nubrix

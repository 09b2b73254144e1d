#include "sizetree/MountPoints.h"

#include <climits>
#include <cstdlib>

namespace nubrix {

const TMountPoints::Node* TMountPoints::Node::Find(std::string_view name) const {
  for (const auto& [childName, child] : Children) {
    if (childName == name) return child.get();
  }
  return nullptr;
}

void TMountPoints::Add(std::string_view relative) {
  Node* node = &Root_;
  std::size_t pos = 0;
  while (pos < relative.size()) {
    std::size_t end = relative.find('/', pos);
    if (end == std::string_view::npos) end = relative.size();
    const std::string_view name = relative.substr(pos, end - pos);
    pos = end + 1;
    if (name.empty()) continue;
    Node* next = nullptr;
    for (auto& [childName, child] : node->Children) {
      if (childName == name) next = child.get();
    }
    if (next == nullptr) {
      node->Children.emplace_back(std::string(name), std::make_unique<Node>());
      next = node->Children.back().second.get();
    }
    node = next;
  }
  if (node != &Root_) node->IsMountPoint = true;
}

TMountPoints TMountPoints::Below(const std::string& canonicalRoot,
                                 const std::vector<platform::TMountEntry>& mounts) {
  TMountPoints points;
  std::string prefix = canonicalRoot;
  if (prefix.empty() || prefix.back() != '/') prefix.push_back('/');
  for (const auto& mount : mounts) {
    std::string point = mount.MountPoint;
    if (point.size() > 1 && point.back() == '/') point.pop_back();
    if (point + "/" == prefix || (point == "/" && prefix == "/")) {
      points.RootIsMountPoint_ = true;
    } else if (point.size() > prefix.size() && point.starts_with(prefix)) {
      points.Add(std::string_view(point).substr(prefix.size()));
    }
  }
  return points;
}

TMountPoints TMountPoints::BelowFolder(const std::string& root) {
  char* real = realpath(root.c_str(), nullptr);
  if (real == nullptr) return {};
  const std::string canonical = real;
  std::free(real);
  return Below(canonical, platform::ReadMountInfo());
}

}  // namespace nubrix

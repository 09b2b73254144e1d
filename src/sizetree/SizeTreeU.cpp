#include "sizetree/SizeTreeU.h"

#include <algorithm>

namespace nubrix {

TAssertionFailure::TAssertionFailure(const std::string& detail)
    : std::logic_error("Assertion failure (" + std::string(kModule) + ": " + detail + ")") {}

void AppendPathSegment(std::string& path, std::string_view segment) {
  if (!path.empty() && path.back() != '/') path.push_back('/');
  path.append(segment);
}

TSizeFolder::TSizeFolder() = default;

TSizeFolder::TSizeFolder(TSizeFolder* parent, const std::string& path)
    : Segment_(path), Parent_(parent) {}

TSizeFolder::~TSizeFolder() {
  // Free the subtree from an explicit list: every folder handed to the list is destroyed with
  // no children left, so destruction never recurses.
  std::vector<std::unique_ptr<TSizeFolder>> pending = std::move(Children_);
  while (!pending.empty()) {
    std::unique_ptr<TSizeFolder> folder = std::move(pending.back());
    pending.pop_back();
    for (auto& child : folder->Children_) pending.push_back(std::move(child));
    folder->Children_.clear();
  }
}

TSizeFolder* TSizeFolder::AddChild(const std::string& path) {
  if (path.empty()) throw TAssertionFailure("AddChild with an empty path");
  auto child = std::make_unique<TSizeFolder>(this, path);
  if (Parent_ != nullptr) {
    std::string prefix = Path();
    AppendPathSegment(prefix, "");
    const bool extendsParent = path.size() > prefix.size() && path.starts_with(prefix) &&
                               path.find('/', prefix.size()) == std::string::npos;
    if (extendsParent) {
      child->Segment_ = path.substr(prefix.size());
      child->OwnPath_ = false;
    }
  }
  Children_.push_back(std::move(child));
  return Children_.back().get();
}

TSizeFolder* TSizeFolder::AddNamedChild(std::string_view name) {
  auto child = std::make_unique<TSizeFolder>();
  child->Parent_ = this;
  child->Segment_.assign(name);
  child->OwnPath_ = false;
  Children_.push_back(std::move(child));
  return Children_.back().get();
}

void TSizeFolder::SetName(std::string name) {
  if (name == Segment_) {
    OtherName_.reset();
  } else {
    OtherName_ = std::make_unique<std::string>(std::move(name));
  }
}

TSizeFolder* TSizeFolder::Child(int index) const {
  if (index < 0 || index >= ChildCount()) {
    throw TAssertionFailure("Child index " + std::to_string(index) + " outside 0.." +
                            std::to_string(ChildCount() - 1));
  }
  return Children_[static_cast<std::size_t>(index)].get();
}

std::string TSizeFolder::Path() const {
  std::vector<const TSizeFolder*> chain;
  const TSizeFolder* folder = this;
  while (!folder->OwnPath_) {
    chain.push_back(folder);
    folder = folder->Parent_;
  }
  std::string path = folder->Segment_;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) AppendPathSegment(path, (*it)->Segment_);
  return path;
}

void TSizeFolder::SetListing(std::uint64_t filesBytes, int error) {
  ListedBytes_ = filesBytes;
  ReadError_ = error;
  Listed_ = true;
}

TSizeFolder* AddListedFolder(TSizeFolder& parent, std::string_view name) {
  return parent.AddNamedChild(name);
}

void SetFolderListing(TSizeFolder& folder, std::uint64_t filesBytes, int error) {
  folder.SetListing(filesBytes, error);
}

TSizeTree::TSizeTree() : TopFolder_(std::make_unique<TSizeFolder>()) {}

TSizeFolder* TSizeTree::ScanRoot() const {
  return TopFolder_->ChildCount() > 0 ? TopFolder_->Child(0) : nullptr;
}

TSizeFolder* TSizeTree::FindFolder(const std::string& path) const {
  TSizeFolder* root = ScanRoot();
  if (root == nullptr) throw TAssertionFailure("FindFolder on a tree without a scan root");
  std::string_view wanted = path;
  if (wanted.ends_with('/')) wanted.remove_suffix(1);
  TSizeFolder* found = nullptr;
  VisitPreOrder(*root, [&](TSizeFolder& folder, const std::string& folderPath) {
    if (&folder != root && folderPath == wanted) {
      found = &folder;
      return false;
    }
    return true;
  });
  return found != nullptr ? found : root;
}

TSizeFolder* GetParent(const TSizeFolder* folder) {
  if (folder == nullptr) throw TAssertionFailure("GetParent of no folder");
  return folder->Parent();
}

int CompareByName(const TSizeFolder* a, const TSizeFolder* b) {
  // Siblings share their parent's path, so their names decide alone.
  const bool siblings = a->Parent() == b->Parent() && !a->HasOwnPath() && !b->HasOwnPath();
  const int order =
      siblings ? a->PathSegment().compare(b->PathSegment()) : a->Path().compare(b->Path());
  return order < 0 ? 1 : (order > 0 ? -1 : 0);
}

int CompareBySize(const TSizeFolder* a, const TSizeFolder* b) {
  const SizeMB left = a->TotalSize();
  const SizeMB right = b->TotalSize();
  return left > right ? 1 : (left < right ? -1 : 0);
}

void SortChildrenByName(TSizeFolder* folder) {
  std::sort(folder->Children_.begin(), folder->Children_.end(),
            [](const auto& a, const auto& b) { return CompareByName(a.get(), b.get()) < 0; });
}

void SortChildrenBySize(TSizeFolder* folder) {
  std::sort(folder->Children_.begin(), folder->Children_.end(),
            [](const auto& a, const auto& b) { return CompareBySize(a.get(), b.get()) < 0; });
}

}  // namespace nubrix

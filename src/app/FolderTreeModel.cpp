#include "app/FolderTreeModel.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QCollator>
#include <QFile>
#include <algorithm>
#include <set>

#include "app/ChartBuilding.h"
#include "platform/Paths.h"

namespace nubrix {

struct TFolderTreeModel::TNode {
  std::string Name;
  std::string Path;
  TNode* Parent = nullptr;
  int Row = 0;
  bool Listed = false;
  bool Listing = false;   // a background listing is under way
  bool Detached = false;  // taken out of the tree: results for it are dropped
  std::vector<std::unique_ptr<TNode>> Children;
};

namespace {}  // namespace

std::vector<std::string> ListSubfolderNames(const std::string& path) {
  std::vector<std::string> names;
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return names;
  const int fd = dirfd(dir);
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    bool folder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat info {};
      folder = fstatat(fd, entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
    }
    if (folder) names.emplace_back(entry->d_name);
  }
  closedir(dir);
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  collator.setNumericMode(true);
  std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    const int order = collator.compare(DisplayPath(a), DisplayPath(b));
    return order != 0 ? order < 0 : a < b;
  });
  return names;
}

TFolderTreeModel::TFolderTreeModel(QObject* parent)
    : QAbstractItemModel(parent),
      Top_(std::make_unique<TNode>()),
      FolderIcon_(QIcon::fromTheme(QStringLiteral("folder"))),
      RootIcon_(QIcon::fromTheme(QStringLiteral("drive-harddisk"), FolderIcon_)) {
  auto root = std::make_unique<TNode>();
  root->Name = "/";
  root->Path = "/";
  root->Parent = Top_.get();
  Top_->Children.push_back(std::move(root));
  Top_->Listed = true;
  connect(&Watcher_, &QFileSystemWatcher::directoryChanged, this, &TFolderTreeModel::Relist);
  connect(this, &TFolderTreeModel::ListingDone, this, &TFolderTreeModel::ContinueReveal);
  Lister_ = new TJobRunner(this);
}

TFolderTreeModel::~TFolderTreeModel() = default;

TFolderTreeModel::TNode* TFolderTreeModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<TNode*>(index.internalPointer()) : Top_.get();
}

QModelIndex TFolderTreeModel::IndexOfNode(TNode* node) const {
  return node == Top_.get() ? QModelIndex() : createIndex(node->Row, 0, node);
}

QModelIndex TFolderTreeModel::index(int row, int column, const QModelIndex& parent) const {
  TNode* node = NodeOf(parent);
  if (column != 0 || row < 0 || row >= static_cast<int>(node->Children.size())) return {};
  return createIndex(row, 0, node->Children[static_cast<std::size_t>(row)].get());
}

QModelIndex TFolderTreeModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  return IndexOfNode(NodeOf(child)->Parent);
}

int TFolderTreeModel::rowCount(const QModelIndex& parent) const {
  return static_cast<int>(NodeOf(parent)->Children.size());
}

int TFolderTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant TFolderTreeModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const TNode* node = NodeOf(index);
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
      return role == Qt::DisplayRole ? DisplayPath(node->Name) : DisplayPath(node->Path);
    case Qt::DecorationRole:
      return node->Path == "/" ? RootIcon_ : FolderIcon_;
    case kPathRole:
      return QByteArray(node->Path.data(), static_cast<qsizetype>(node->Path.size()));
    default:
      return {};
  }
}

bool TFolderTreeModel::hasChildren(const QModelIndex& parent) const {
  const TNode* node = NodeOf(parent);
  return !node->Listed || !node->Children.empty();
}

bool TFolderTreeModel::canFetchMore(const QModelIndex& parent) const {
  const TNode* node = NodeOf(parent);
  return !node->Listed && !node->Listing;
}

// Nodes outlive every listing (detached ones are kept), and the runner dies with the model, so a
// result finds its node or is dropped.
template <class Done>
void TFolderTreeModel::ListInBackground(TNode* node, Done done) {
  node->Listing = true;
  ++Pending_;
  Lister_->Start([path = node->Path](TJob&) { return ListSubfolderNames(path); },
                 [this, node, done](const std::vector<std::string>& names) {
                   node->Listing = false;
                   --Pending_;
                   if (!node->Detached) done(node, names);
                   emit ListingDone();
                 });
}

void TFolderTreeModel::fetchMore(const QModelIndex& parent) {
  TNode* node = NodeOf(parent);
  if (node->Listed || node->Listing) return;
  ListInBackground(node, [this](TNode* listed, const std::vector<std::string>& names) {
    if (!listed->Listed) Insert(listed, names);
  });
}

void TFolderTreeModel::Watch(TNode* node) {
  const QString path =
      QFile::decodeName(QByteArray(node->Path.data(), static_cast<qsizetype>(node->Path.size())));
  // A name that does not survive the trip through text cannot be watched; it is listed as it was.
  if (QFile::encodeName(path).toStdString() != node->Path) return;
  if (Watcher_.addPath(path)) Watched_[path] = node;
}

void TFolderTreeModel::Relist(const QString& path) {
  const auto it = Watched_.find(path);
  if (it == Watched_.end() || it->second->Listing || !it->second->Listed) return;
  ListInBackground(it->second, [this](TNode* node, const std::vector<std::string>& names) {
    Merge(node, names);
  });
}

// Both lists are in the same order, so one pass removes what went and inserts what came, and
// folders that stay keep their items (and whatever is expanded below them).
void TFolderTreeModel::Merge(TNode* node, const std::vector<std::string>& names) {
  const QModelIndex parent = IndexOfNode(node);
  const std::set<std::string> wanted(names.begin(), names.end());
  for (int row = static_cast<int>(node->Children.size()) - 1; row >= 0; --row) {
    if (wanted.count(node->Children[static_cast<std::size_t>(row)]->Name)) continue;
    beginRemoveRows(parent, row, row);
    Detach(std::move(node->Children[static_cast<std::size_t>(row)]));
    node->Children.erase(node->Children.begin() + row);
    for (std::size_t i = static_cast<std::size_t>(row); i < node->Children.size(); ++i)
      node->Children[i]->Row = static_cast<int>(i);
    endRemoveRows();
  }
  std::size_t row = 0;
  for (const std::string& name : names) {
    if (row < node->Children.size() && node->Children[row]->Name == name) {
      ++row;
      continue;
    }
    beginInsertRows(parent, static_cast<int>(row), static_cast<int>(row));
    auto child = std::make_unique<TNode>();
    child->Name = name;
    child->Path = platform::JoinPath(node->Path, name);
    child->Parent = node;
    node->Children.insert(node->Children.begin() + static_cast<long>(row), std::move(child));
    for (std::size_t i = row; i < node->Children.size(); ++i)
      node->Children[i]->Row = static_cast<int>(i);
    endInsertRows();
    ++row;
  }
  if (names.empty()) emit dataChanged(parent, parent);
}

void TFolderTreeModel::Detach(std::unique_ptr<TNode> node) {
  std::vector<TNode*> pending{node.get()};
  while (!pending.empty()) {
    TNode* gone = pending.back();
    pending.pop_back();
    gone->Detached = true;
    const QString path =
        QFile::decodeName(QByteArray(gone->Path.data(), static_cast<qsizetype>(gone->Path.size())));
    if (Watched_.erase(path) != 0) Watcher_.removePath(path);
    for (auto& child : gone->Children) pending.push_back(child.get());
  }
  Detached_.push_back(std::move(node));
}

void TFolderTreeModel::List(TNode* node) {
  if (node->Listed) return;
  Insert(node, ListSubfolderNames(node->Path));
}

void TFolderTreeModel::Insert(TNode* node, const std::vector<std::string>& names) {
  node->Listed = true;
  Watch(node);
  if (names.empty()) {
    // The expander goes away: tell the view the node has no children after all.
    const QModelIndex index = IndexOfNode(node);
    emit dataChanged(index, index);
    return;
  }
  beginInsertRows(IndexOfNode(node), 0, static_cast<int>(names.size()) - 1);
  for (const std::string& name : names) {
    auto child = std::make_unique<TNode>();
    child->Name = name;
    child->Path = platform::JoinPath(node->Path, name);
    child->Parent = node;
    child->Row = static_cast<int>(node->Children.size());
    node->Children.push_back(std::move(child));
  }
  endInsertRows();
}

void TFolderTreeModel::SetIcons(const QIcon& folder, const QIcon& root) {
  FolderIcon_ = folder;
  RootIcon_ = root;
}

std::string TFolderTreeModel::PathOf(const QModelIndex& index) const {
  return index.isValid() ? NodeOf(index)->Path : std::string();
}

void TFolderTreeModel::Reveal(const std::string& path,
                              std::function<void(const QModelIndex&)> found) {
  RevealPath_ = path;
  RevealFound_ = std::move(found);
  ContinueReveal();
}

// Walks down as far as the listings reach; the first folder not listed yet is listed in the
// background, and its listing brings the walk back here.
void TFolderTreeModel::ContinueReveal() {
  if (!RevealFound_) return;
  const auto answer = [this](const QModelIndex& index) {
    const std::function<void(const QModelIndex&)> found = std::move(RevealFound_);
    RevealFound_ = nullptr;
    RevealPath_.clear();
    found(index);
  };
  if (RevealPath_.empty() || RevealPath_[0] != '/') return answer({});
  TNode* node = Top_->Children.front().get();
  std::size_t pos = 1;
  while (pos < RevealPath_.size()) {
    std::size_t end = RevealPath_.find('/', pos);
    if (end == std::string::npos) end = RevealPath_.size();
    const std::string name = RevealPath_.substr(pos, end - pos);
    if (name.empty()) {
      pos = end + 1;
      continue;
    }
    if (!node->Listed) {
      if (!node->Listing) {
        ListInBackground(node, [this](TNode* listed, const std::vector<std::string>& names) {
          if (!listed->Listed) Insert(listed, names);
        });
      }
      return;
    }
    pos = end + 1;
    const auto it = std::find_if(node->Children.begin(), node->Children.end(),
                                 [&](const auto& child) { return child->Name == name; });
    if (it == node->Children.end()) return answer({});
    node = it->get();
  }
  answer(IndexOfNode(node));
}

QModelIndex TFolderTreeModel::IndexOf(const std::string& path) {
  if (path.empty() || path[0] != '/') return {};
  TNode* node = Top_->Children.front().get();
  std::size_t pos = 1;
  while (pos < path.size()) {
    std::size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    const std::string name = path.substr(pos, end - pos);
    pos = end + 1;
    if (name.empty()) continue;
    List(node);
    const auto it = std::find_if(node->Children.begin(), node->Children.end(),
                                 [&](const auto& child) { return child->Name == name; });
    if (it == node->Children.end()) return {};
    node = it->get();
  }
  return IndexOfNode(node);
}

}  // namespace nubrix

// The folder tree of the file system for the folder panel: folders only, rooted at "/", listed
// when first expanded, on a worker thread so that a folder of a hundred thousand subfolders does
// not stop the window. A listed folder is watched, and its items follow when folders come and go.
// Paths stay bytes, so folders whose names are not valid UTF-8 can be selected and scanned; the
// shown name is only for people.
#pragma once

#include <QAbstractItemModel>
#include <QFileSystemWatcher>
#include <QIcon>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/JobRunner.h"

namespace nubrix {

class TFolderTreeModel : public QAbstractItemModel {
  Q_OBJECT

 public:
  static constexpr int kPathRole = Qt::UserRole + 1;  // QByteArray: the folder's path

  explicit TFolderTreeModel(QObject* parent = nullptr);
  ~TFolderTreeModel() override;

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

  // The pictures of folders and of the root; the window passes the desktop's or its style's.
  void SetIcons(const QIcon& folder, const QIcon& root);

  // The folder's path ("/" for the root), empty for an invalid index.
  std::string PathOf(const QModelIndex& index) const;
  // The item of an absolute path, listing the folders on the way (at once, not in the
  // background); invalid when a folder on the way is not there (or hidden). Not for the window's
  // thread: it waits for the disk.
  QModelIndex IndexOf(const std::string& path);
  // The item of an absolute path for the window: the folders on the way that are not listed yet
  // are listed in the background (a listing already under way is waited for, not repeated), then
  // found(item) is called, at once when nothing needed listing; with an invalid item when a
  // folder on the way is not there. Only the newest reveal is answered.
  void Reveal(const std::string& path, std::function<void(const QModelIndex&)> found);
  // Whether a listing started by expanding an item is still under way.
  bool Listing() const { return Pending_ > 0; }

 signals:
  void ListingDone();

 private:
  struct TNode;
  TNode* NodeOf(const QModelIndex& index) const;
  QModelIndex IndexOfNode(TNode* node) const;
  void List(TNode* node);
  void Insert(TNode* node, const std::vector<std::string>& names);
  void Watch(TNode* node);
  void Relist(const QString& path);
  void Merge(TNode* node, const std::vector<std::string>& names);
  void Detach(std::unique_ptr<TNode> node);
  template <class Done>
  void ListInBackground(TNode* node, Done done);
  void ContinueReveal();
  std::string RevealPath_;
  std::function<void(const QModelIndex&)> RevealFound_;
  int Pending_ = 0;
  TJobRunner* Lister_ = nullptr;  // the listings of expanded folders, one after the other
  QFileSystemWatcher Watcher_;
  std::map<QString, TNode*> Watched_;
  // Folders taken out of the tree stay allocated, marked, until the model goes: a listing under
  // way may still hold them.
  std::vector<std::unique_ptr<TNode>> Detached_;

  std::unique_ptr<TNode> Top_;  // invisible; its one child is "/"
  QIcon FolderIcon_;
  QIcon RootIcon_;
};

// The subfolder names of path, hidden ones (a leading ".") left out, links to folders included,
// sorted for people. Empty when path cannot be listed.
std::vector<std::string> ListSubfolderNames(const std::string& path);

}  // namespace nubrix

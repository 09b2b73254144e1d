// The "Largest files" page: for the folder the charts show, its largest files (sortable, with
// check boxes, to the trash as a cleanup that undo can put back) and beside them its file types,
// where a click shows only the files of that type. The scan root's come with the scan; a lower
// folder's are listed by a job when the page is shown, so the page follows the charts.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

#include "sizetree/FileStats.h"
#include "ui/CommandGuard.h"

class QAction;
class QLabel;
class QToolBar;
class QTreeView;

namespace nubrix {

class IPageHost;
class TJobRunner;
class TLargeFilesModel;
class TFileTypesModel;
class TSizeFolder;

class TLargestFilesPage : public QWidget {
  Q_OBJECT

 public:
  explicit TLargestFilesPage(IPageHost& host, QWidget* parent = nullptr);

  TLargeFilesModel& Files() const { return *FilesModel_; }
  TFileTypesModel& Types() const { return *TypesModel_; }
  QTreeView* FileList() const { return FileList_; }
  QTreeView* TypeList() const { return TypeList_; }
  QLabel* Summary() const { return Summary_; }

  // How many files a lower folder's listing keeps.
  void SetLargestCount(std::size_t count) { LargestCount_ = count; }
  // A new tree: what its scan collected for its root (nothing for a cancelled scan).
  void TreeReplaced(std::optional<TFileStats> rootStats);
  // The charts show another folder: the page follows now when shown, else when next shown.
  void FolderShown();

  void MoveCheckedToTrash();
  void OpenFolder();
  void ShowType(int row);  // a row of the types; -1 shows every type
  void CheckAll(bool checked);

  bool Busy() const;
  void CancelJob();

 signals:
  void BusyChanged(bool busy);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QAction* AddCommand(QToolBar* bar, const char* theme, const QString& text,
                      std::function<void()> handler);
  QWidget* BuildFileGroup();
  QWidget* BuildTypeGroup();
  void Follow();
  void Show(TFileStats stats);
  void UpdateMoveCommand();

  IPageHost& Host_;
  TLargeFilesModel* FilesModel_;
  TFileTypesModel* TypesModel_;
  TJobRunner* Jobs_;
  QTreeView* FileList_ = nullptr;
  QTreeView* TypeList_ = nullptr;
  QLabel* Summary_ = nullptr;
  QAction* MoveAction_ = nullptr;
  std::size_t LargestCount_ = kDefaultLargestCount;
  std::optional<TFileStats> RootStats_;
  TFileStats Shown_;
  const TSizeFolder* Listed_ = nullptr;  // compared only, never followed
  std::uint64_t Generation_ = 0;         // a result of an older tree or folder is dropped
  std::optional<TBusyCursor> Busy_;
};

}  // namespace nubrix

// The "Duplicates" page: the files stored twice below the folder the charts show, in groups with
// the most to free first; copies are checked by hand or by a rule (all but the newest, the oldest
// or the first by path) and go to the trash as a cleanup that undo can put back. A group is never
// emptied: its last unchecked copy stays, and must still be there when the others go.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>

#include "ui/CommandGuard.h"

class QLabel;
class QToolButton;
class QTreeView;

namespace nubrix {

class IPageHost;
class TJobRunner;
class TDuplicatesModel;
class TSizeFolder;
struct TDuplicateSearch;

class TDuplicatesPage : public QWidget {
  Q_OBJECT

 public:
  explicit TDuplicatesPage(IPageHost& host, QWidget* parent = nullptr);

  TDuplicatesModel& Model() const { return *Model_; }
  QTreeView* List() const { return List_; }
  QLabel* Summary() const { return Summary_; }

  // A new tree: nothing of the old one is kept.
  void TreeReplaced();
  // The charts show another folder: searched now when shown, else when next shown.
  void FolderShown();

  void MoveCheckedToTrash();
  void OpenFolder();

  bool Busy() const;
  void CancelJob();

 signals:
  void BusyChanged(bool busy);

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  QToolButton* CommandButton(const char* theme, const QString& text, std::function<void()> handler);
  void Follow();
  void Show(const TDuplicateSearch& search);
  void ShowSummary();

  IPageHost& Host_;
  TDuplicatesModel* Model_;
  TJobRunner* Jobs_;
  QTreeView* List_ = nullptr;
  QLabel* Summary_ = nullptr;
  QString Found_;                          // what the search found, before what is checked
  const TSizeFolder* Searched_ = nullptr;  // compared only, never followed
  std::uint64_t Generation_ = 0;           // a result of an older tree or folder is dropped
  std::optional<TBusyCursor> Busy_;
};

}  // namespace nubrix

// The folders of the tree as the window works on them: the folder picker for the next scan, the
// folder menu of the folder tree, and moving a folder to the trash ("Delete Folder", with a new
// scan offered afterwards, and "Delete Dir"). The window owns it.
#pragma once

#include <QObject>
#include <QPoint>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/TrashMove.h"

namespace nubrix {

class TForm1;
class TJobRunner;

class TFolderOperations : public QObject {
  Q_OBJECT

 public:
  explicit TFolderOperations(TForm1& form);

  void actBrowseDirExecute();
  // The folder menu of the folder tree for the folder at a point of the tree's viewport.
  void ShowFolderMenu(const QPoint& at);  // at a point of the folder tree
  void ShowFolderMenuFor(const std::string& folder, const QPoint& global);
  void MnuDeleteFolderClick(const std::string& folder);
  void actDeleteFileExecute();
  // A folder is being looked at or moved, on the worker.
  bool Busy() const;

 private:
  using TAfterMove = std::function<void(const platform::TTrashResult& moved)>;
  std::int64_t ScannedBytes(const std::string& folder) const;
  // Refuses what must not go, asks, then moves the folder as one cleanup run: every look at the
  // disk and the move itself on the worker. after(result) on the window's thread; a folder not
  // moved because the answer was No gives a result without an error.
  void MoveFolder(const std::string& folder, const char* command, TAfterMove after);
  void OfferNewScan(const std::string& folder);

  TForm1& Form_;
  TJobRunner* Jobs_;
};

}  // namespace nubrix

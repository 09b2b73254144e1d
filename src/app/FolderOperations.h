// The folders of the tree as the window works on them: the folder picker for the next scan, the
// folder menu of the folder tree, and moving a folder to the trash ("Delete Folder", with a new
// scan offered afterwards, and "Delete Dir"). The window owns it.
#pragma once

#include <QObject>
#include <QPoint>
#include <cstdint>
#include <string>

namespace nubrix {

class TForm1;

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

 private:
  std::int64_t ScannedBytes(const std::string& folder) const;

  TForm1& Form_;
};

}  // namespace nubrix

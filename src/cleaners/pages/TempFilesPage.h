// The temp-file page: the list of junk masks on the left, the files of the scanned folders that
// match the checked ones on the right, and moving the checked files to the trash. The search and
// the deletion run as jobs; the window keeps repainting and the gauge moves.
#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "ui/CommandGuard.h"

class QTreeView;

namespace nubrix {

class IPageHost;
class TJobRunner;
class TTempFilesModel;
class TTmpTypesModel;

class TTempFilesPage : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 17;
  explicit TTempFilesPage(IPageHost& host, QWidget* parent = nullptr);

  // The type list (Part of the settings).
  TTmpTypesModel& Types() const { return *TypesModel_; }
  TTempFilesModel& Files() const { return *FilesModel_; }
  QTreeView* TypeList() const { return TmpList_; }
  QTreeView* FileList() const { return VstTemp_; }

  void ToolButton18Click();  // check all types
  void ToolButton19Click();  // uncheck all types
  void ToolButton27Click();  // add a type
  void ToolButton28Click();  // delete the selected type
  void ToolButton36Click();  // list from the scan root
  void ToolButton39Click();  // list from the folder shown
  void ToolButton15Click();  // delete the checked files
  void ToolButton20Click();  // check all files
  void ToolButton25Click();  // uncheck all files
  void VSTTempHeaderClick(int column);
  void ListTempFiles(bool fromRoot);
  void DeleteCheckedTempFiles();
  void OpenInExplorer(int row);

  bool Busy() const;
  void CancelJob();

 signals:
  void BusyChanged(bool busy);

 private:
  QWidget* BuildTypeGroup();
  QWidget* BuildFileGroup();
  void Finish();

  IPageHost& Host_;
  TTmpTypesModel* TypesModel_;
  TTempFilesModel* FilesModel_;
  QTreeView* TmpList_ = nullptr;
  QTreeView* VstTemp_ = nullptr;
  TJobRunner* Jobs_;
  Qt::SortOrder SortOrder_ = Qt::AscendingOrder;  // flipped by every header click
  std::optional<TBusyCursor> Busy_;
};

}  // namespace nubrix

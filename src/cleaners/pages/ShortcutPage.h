// The shortcut page: shortcut files below a location with the state of their targets, or the
// empty folders below it, and moving the checked ones, or every empty folder, to the trash. The
// listings and the deletions run as jobs, so the window never waits for a big location.
#pragma once

#include <QComboBox>
#include <QWidget>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "cleaners/ShortcutLocations.h"
#include "ui/CommandGuard.h"
#include "ui/CommandTable.h"

class QTreeView;

namespace nubrix {

class IPageHost;
class TCommands;
class TJobRunner;
class TShortcutRowsModel;
struct TRemovalResult;

// The location box: a box whose list opening the page wants to hear of.
class TLocationBox : public QComboBox {
  Q_OBJECT

 public:
  using QComboBox::QComboBox;
  std::function<void()> OnDropDown;
  void showPopup() override;
};

class TShortcutPage : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 16;
  static std::span<const TCommandSpec> Commands();

  TShortcutPage(TCommands& commands, IPageHost& host, QWidget* parent = nullptr);

  void actListShortcutsExecute();
  void actListEmptyFoldersExecute();
  void actDelCheckedItemsExecute();
  void actDelEmptyFoldersExecute();
  TShortcutLocation GetShortcutLocation();
  void StartMenuComboChange(int index);
  void StartMenuComboDropDown();
  // Opens the folder of the row in the desktop's file manager.
  void OpenInExplorer(int row);

  bool Busy() const;
  // Escape: stops a listing, or the deletions not yet done.
  void CancelJob();
  // The four commands are free only while no job of the page runs.
  void UpdateActions();

  TLocationBox* LocationBox() const { return StartMenuCombo_; }
  QTreeView* List() const { return LV_Shortcut_; }
  TShortcutRowsModel& Rows() const { return *Rows_; }

 private:
  void BuildToolBar(QWidget* box);
  void BuildList();
  void StartListing(bool emptyFolders);
  void ShowListed(bool emptyFolders, const TShortcutLocation& location, bool cancelled);
  void ReportRemoval(const TRemovalResult& result);

  TCommands& Commands_;
  IPageHost& Host_;
  TLocationBox* StartMenuCombo_ = nullptr;
  QTreeView* LV_Shortcut_ = nullptr;
  TShortcutRowsModel* Rows_ = nullptr;
  TJobRunner* Jobs_ = nullptr;
  std::optional<TBusyCursor> Busy_;
};

}  // namespace nubrix

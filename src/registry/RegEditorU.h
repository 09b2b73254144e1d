// The registry list editor: one key's entries in a two-column list, deletion, a backup of the
// key as a registry script and the restore of a chosen backup. Configured through its properties
// before it is shown, so one class serves every list.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "registry/RegLists.h"

class QAction;
class QStatusBar;
class QToolBar;
class QToolButton;
class QTreeWidget;

namespace nubrix {

class TJobRunner;

class IUserDialogs;

namespace registry {

// The sort state of every editor window of this run.
TSortState& RegEditorSortState();

// Runs commandLine and waits for its end while the window goes on handling events: the
// program's exit code, or -1 when it cannot be started.
int RunAndWait(const QString& commandLine, int showMode);

class TRegEditorForm : public QDialog {
  Q_OBJECT

 public:
  TRegEditorForm(platform::IRegistryStore& store, IUserDialogs& dialogs, QWidget* parent = nullptr);

  QString Key() const { return Key_; }
  void SetKey(const QString& key) { Key_ = key; }
  void SetTitle(const QString& title) { Title_ = title; }
  QString FirstColCaption() const { return FirstColCaption_; }
  void SetFirstColCaption(const QString& caption);
  QString SecondColCaption() const { return SecondColCaption_; }
  void SetSecondColCaption(const QString& caption);
  std::string BackupPath() const { return BackupPath_; }
  void SetBackupPath(const std::string& path) { BackupPath_ = path; }
  QString RootKeyAsString() const { return RootKeyAsString_; }
  void SetRootKeyAsString(const QString& name) { RootKeyAsString_ = name; }
  std::uint32_t RootKey() const { return RootKey_; }
  void SetRootKey(std::uint32_t root) { RootKey_ = root; }
  TValueType ValueType() const { return ValueType_; }
  void SetValueType(TValueType type) { ValueType_ = type; }
  int FirstColWidth() const { return FirstColWidth_; }
  void SetFirstColWidth(int width) { FirstColWidth_ = width; }
  int SecondColWidth() const { return SecondColWidth_; }
  void SetSecondColWidth(int width) { SecondColWidth_ = width; }

  void FormShow();
  void FormActivate();
  void FillList();
  void ListView1ColumnClick(int column);
  void ListView1DblClick();
  void actDelKeyExecute();
  void ToolButton1Click();
  void ToolButton2Click();

  QToolBar* ToolBar1 = nullptr;
  QToolButton* ToolButton1 = nullptr;
  QToolButton* ToolButton2 = nullptr;
  QToolButton* ToolButton3 = nullptr;
  QTreeWidget* ListView1 = nullptr;
  QStatusBar* StatusBar1 = nullptr;
  QAction* actDelKey = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;

 private:
  void BuildToolBar();
  void BuildList();
  void ShowRows(const std::vector<TRegRow>& rows);
  std::vector<TRegRow> SelectedRows() const;
  bool AskBeforeDeleting(const char* question);
  void SetCommandsEnabled(bool enabled);
  void DeleteValuesInBackground(const std::string& key, std::vector<std::string> names);
  std::string KeyBytes() const { return Key_.toStdString(); }

  platform::IRegistryStore& Store_;
  IUserDialogs& Dialogs_;
  TJobRunner* Jobs_;
  QString Key_;
  QString Title_;
  QString FirstColCaption_;
  QString SecondColCaption_;
  std::string BackupPath_;
  QString RootKeyAsString_;
  std::uint32_t RootKey_ = platform::kHkeyCurrentUser;
  TValueType ValueType_ = TValueType::vtKeyList;
  int FirstColWidth_ = 0;
  int SecondColWidth_ = 0;
};

// The three lists the traces page offers.
enum class TRegList { TypedUrls, AutoStart, MediaHistory };

// A new editor for one of the three lists, its backups in backupFolder (with its separator).
TRegEditorForm* CreateListEditor(TRegList list, platform::IRegistryStore& store,
                                 IUserDialogs& dialogs, const std::string& backupFolder,
                                 QWidget* parent);

}  // namespace registry
}  // namespace nubrix

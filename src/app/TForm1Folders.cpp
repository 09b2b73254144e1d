// Folders of the tree: the folder picker for the next scan, the folder menu of the folder tree,
// and moving a folder to the trash (with a new scan offered afterwards).
#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QTreeView>
#include <cstdlib>

#include "app/FolderTreeModel.h"
#include "app/TForm1.h"
#include "cleaners/Clean_Shortcuts.h"
#include "cleaners/pages/BrowseForDirU.h"
#include "platform/Paths.h"

namespace nubrix {

namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return platform::WithoutSeparator(home != nullptr ? home : "");
}

// Why a folder must not go to the trash as a whole; empty when it may (an empty path is the
// callers' own case).
QString RefusalOf(const std::string& folder) {
  if (folder == "/") return QString::fromUtf8(kRootRefusal);
  if (folder == HomeFolder()) {
    return DisplayPath(folder) +
           QStringLiteral(" is your home folder; it cannot be moved to the trash.");
  }
  if (platform::IsMountRoot(folder)) {
    return DisplayPath(folder) +
           QStringLiteral(" is where a file system is mounted; it cannot be moved to the trash.");
  }
  return {};
}

}  // namespace

void TForm1::ShowHistoryText(const QString& text) { HistoryCombo_->setEditText(text); }

void TForm1::actBrowseDirExecute() {
  const std::string folder = TBrowseForFolders().BrowseForFolder(
      *Dialogs_, this, QStringLiteral("Select Directory to scan!"), "/");
  if (!folder.empty()) ShowSelectedPath(folder);
}

void TForm1::ShowFolderMenu(const QPoint& at) {
  const std::string folder = DirModel_->PathOf(DirTree_->indexAt(at));
  if (folder.empty()) return;
  QMenu folderListPopUp(this);
  folderListPopUp.setObjectName(QStringLiteral("FolderListPopUp"));
  folderListPopUp.addAction(QStringLiteral("open with explorer"))->setEnabled(false);
  folderListPopUp.addSeparator();
  folderListPopUp.addAction(QStringLiteral("Delete Folder"), this, [this, folder] {
    Guarded([this, &folder] { MnuDeleteFolderClick(folder); });
  });
  for (const char* item : {"Move Folder", "Copy Folder", "Move to archive"}) {
    folderListPopUp.addAction(QString::fromUtf8(item))->setEnabled(false);
  }
  folderListPopUp.addSeparator();
  folderListPopUp.addAction(QStringLiteral("Size tree: Full expand"))->setEnabled(false);
  folderListPopUp.addAction(QStringLiteral("collapse"))->setEnabled(false);
  folderListPopUp.exec(DirTree_->viewport()->mapToGlobal(at));
}

// The folder goes to the trash after our question; the tree follows the disk by itself, the
// size tree only at the next scan, which is offered.
void TForm1::MnuDeleteFolderClick(const std::string& target) {
  const std::string folder = platform::WithoutSeparator(target);
  if (folder.empty()) return;  // nothing to move: nothing is said, no scan offered
  if (const QString refusal = RefusalOf(folder); !refusal.isEmpty()) {
    Dialogs_->ShowMessage(this, refusal);
    return;
  }
  platform::TTrashResult moved;
  {
    const TBusyCursor busy;
    TCleanupRun run(ProgramDatabaseFile(AppDataFolder()), "Delete Folder");
    moved = RecycleWithShellDialogs(folder, *Dialogs_, &run, ScannedBytes(folder));
    KeepRun(run);
  }
  if (!moved.Ok) {
    if (!moved.Error.empty()) Dialogs_->ShowMessage(this, DisplayPath(moved.Error));
    return;
  }
  if (CurrentFolder_ == nullptr) return;
  const QString question =
      QStringLiteral(
          "You changed the folder structure.\r\nTo consider correct results while browsing through "
          "the size tree, \r\nyou have to run \"scan\" again.\r\nRun scan for ") +
      DisplayPath(CurrentFolder_->Path()) + QStringLiteral(" ?");
  if (Dialogs_->Ask(this, TQuestionKind::Warning, question, TAnswerButtons::YesNo)) actRunExecute();
}

void TForm1::actDeleteFileExecute() {
  const std::string folder = platform::WithoutSeparator(SelectedPath_);
  if (folder.empty()) {
    Dialogs_->ShowMessage(this, QStringLiteral("Could not delete "));
    return;
  }
  if (const QString refusal = RefusalOf(folder); !refusal.isEmpty()) {
    Dialogs_->ShowMessage(this, refusal);
    return;
  }
  const TBusyCursor busy;
  TCleanupRun run(ProgramDatabaseFile(AppDataFolder()), "Delete Dir");
  const bool moved = RecycleWithShellDialogs(folder, *Dialogs_, &run, ScannedBytes(folder)).Ok;
  KeepRun(run);
  if (!moved) {
    Dialogs_->ShowMessage(this, QStringLiteral("Could not delete ") + DisplayPath(folder));
  }
}

}  // namespace nubrix

#include "app/FolderOperations.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QTreeView>
#include <cstdlib>

#include "app/CleanupUndo.h"
#include "app/FolderTreeModel.h"
#include "app/TForm1.h"
#include "cleaners/Clean_Shortcuts.h"
#include "cleaners/pages/BrowseForDirU.h"
#include "platform/Paths.h"
#include "sizetree/SizeMB.h"
#include "ui/JobRunner.h"

namespace nubrix {

namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return platform::WithoutSeparator(home != nullptr ? home : "");
}

// Why a folder must not go to the trash as a whole, as far as its path tells; empty when it may
// (an empty path is the callers' own case).
QString RefusalOf(const std::string& folder) {
  if (folder == "/") return QString::fromUtf8(kRootRefusal);
  if (folder == HomeFolder()) {
    return DisplayPath(folder) +
           QStringLiteral(" is your home folder; it cannot be moved to the trash.");
  }
  return {};
}

QString MountRefusal(const std::string& folder) {
  return DisplayPath(folder) +
         QStringLiteral(" is where a file system is mounted; it cannot be moved to the trash.");
}

struct TFolderMove {
  platform::TTrashResult Moved;
  db::TDatabaseNote Note;
  TUnsizedFolders Unsized;
};

}  // namespace

TFolderOperations::TFolderOperations(TForm1& form)
    : QObject(&form), Form_(form), Jobs_(new TJobRunner(this)) {
  connect(Jobs_, &TJobRunner::Failed, this,
          [this](const QString& message) { Form_.Dialogs().ShowError(&Form_, message); });
}

bool TFolderOperations::Busy() const { return Jobs_->Running(); }

void TFolderOperations::MoveFolder(const std::string& folder, const char* command,
                                   TAfterMove after) {
  if (const QString refusal = RefusalOf(folder); !refusal.isEmpty()) {
    Form_.Dialogs().ShowMessage(&Form_, refusal);
    return;
  }
  if (Busy()) return;
  Jobs_->Start([folder](TJob&) { return platform::IsMountRoot(folder); },
               [this, folder, command, after = std::move(after)](bool mountRoot) {
                 if (mountRoot) {
                   Form_.Dialogs().ShowMessage(&Form_, MountRefusal(folder));
                   return;
                 }
                 if (!Form_.Dialogs().Ask(&Form_, TQuestionKind::Confirmation,
                                          QStringLiteral("Move ") + DisplayPath(folder) +
                                              QStringLiteral(" to the trash?"),
                                          TAnswerButtons::YesNo)) {
                   after({});
                   return;
                 }
                 const TBusyCursor busy;
                 Jobs_->Start(
                     [folder, command, size = ScannedBytes(folder),
                      database = ProgramDatabaseFile(Form_.AppDataFolder())](TJob&) {
                       TFolderMove move;
                       TCleanupRun run(database, command);
                       move.Moved = RecycleSilently(platform::ListedNow(folder), &run, size);
                       move.Note = run.Finish(false);
                       move.Unsized = run.UnsizedFolders();
                       return move;
                     },
                     [this, after](const TFolderMove& move) {
                       Form_.Undo()->RunKept(move.Note, move.Unsized);
                       after(move.Moved);
                     });
               });
}

void TFolderOperations::actBrowseDirExecute() {
  const std::string folder = TBrowseForFolders().BrowseForFolder(
      Form_.Dialogs(), &Form_, QStringLiteral("Select Directory to scan!"), "/");
  if (!folder.empty()) Form_.ShowSelectedPath(folder);
}

void TFolderOperations::ShowFolderMenu(const QPoint& at) {
  const std::string folder = Form_.DirModel()->PathOf(Form_.DirTree()->indexAt(at));
  if (folder.empty()) return;
  ShowFolderMenuFor(folder, Form_.DirTree()->viewport()->mapToGlobal(at));
}

void TFolderOperations::ShowFolderMenuFor(const std::string& folder, const QPoint& global) {
  QMenu folderListPopUp(&Form_);
  folderListPopUp.setObjectName(QStringLiteral("FolderListPopUp"));
  folderListPopUp.addAction(QStringLiteral("open with explorer"))->setEnabled(false);
  folderListPopUp.addSeparator();
  QAction* remove = folderListPopUp.addAction(
      QStringLiteral("Delete Folder"), this,
      [this, folder] { Form_.RunCommand([this, &folder] { MnuDeleteFolderClick(folder); }); });
  if (const QString away = Form_.DiskUnavailable(); !away.isEmpty()) {
    remove->setEnabled(false);
    remove->setToolTip(away);
    folderListPopUp.setToolTipsVisible(true);
  }
  for (const char* item : {"Move Folder", "Copy Folder", "Move to archive"}) {
    folderListPopUp.addAction(QString::fromUtf8(item))->setEnabled(false);
  }
  folderListPopUp.addSeparator();
  folderListPopUp.addAction(QStringLiteral("Size tree: Full expand"))->setEnabled(false);
  folderListPopUp.addAction(QStringLiteral("collapse"))->setEnabled(false);
  folderListPopUp.exec(global);
}

// The folder goes to the trash after our question; the tree follows the disk by itself, the
// size tree only at the next scan, which is offered.
void TFolderOperations::MnuDeleteFolderClick(const std::string& target) {
  const std::string folder = platform::WithoutSeparator(target);
  if (folder.empty()) return;  // nothing to move: nothing is said, no scan offered
  MoveFolder(folder, "Delete Folder", [this, folder](const platform::TTrashResult& moved) {
    if (!moved.Ok) {
      if (!moved.Error.empty()) Form_.Dialogs().ShowMessage(&Form_, DisplayPath(moved.Error));
      return;
    }
    OfferNewScan(folder);
  });
}

void TFolderOperations::OfferNewScan(const std::string& folder) {
  if (Form_.CurrentFolder() == nullptr) return;
  // The folder the question names is the one scanned: the tree's selection may follow its
  // highlight elsewhere while the question waits (the moved folder's row goes). When the charts
  // showed the moved folder or one inside it, the folder it was moved from is named.
  std::string shown = Form_.CurrentFolder()->Path();
  const std::string base = platform::WithoutSeparator(shown);
  if (base == folder || base.starts_with(folder + "/"))
    shown = platform::WithSeparator(platform::FolderOf(folder));
  const QString question =
      QStringLiteral(
          "You changed the folder structure.\r\nTo consider correct results while browsing through "
          "the size tree, \r\nyou have to run \"scan\" again.\r\nRun scan for ") +
      DisplayPath(shown) + QStringLiteral(" ?");
  if (Form_.Dialogs().Ask(&Form_, TQuestionKind::Warning, question, TAnswerButtons::YesNo) &&
      Form_.ShowSelectedPath(shown)) {
    Form_.actRunExecute();
  }
}

void TFolderOperations::actDeleteFileExecute() {
  const std::string folder = platform::WithoutSeparator(Form_.SelectedPath());
  if (folder.empty()) {
    Form_.Dialogs().ShowMessage(&Form_, QStringLiteral("Could not delete "));
    return;
  }
  MoveFolder(folder, "Delete Dir", [this, folder](const platform::TTrashResult& moved) {
    if (!moved.Ok) {
      Form_.Dialogs().ShowMessage(&Form_,
                                  QStringLiteral("Could not delete ") + DisplayPath(folder));
    }
  });
}

// The bytes the last scan found in folder, for the run log; -1 when it was not scanned.
std::int64_t TFolderOperations::ScannedBytes(const std::string& folder) const {
  const TSizeTree& tree = Form_.SizeTree();
  const TSizeFolder* found = tree.ScanRoot() != nullptr ? tree.FindFolder(folder) : nullptr;
  if (found == nullptr || platform::WithoutSeparator(found->Path()) != folder) return -1;
  return SizeMBToBytes(found->TotalSize());
}

}  // namespace nubrix

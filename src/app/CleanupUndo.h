// Undo of cleanups in the window: "Undo last cleanup" and "Cleanup history ...", putting a run
// back on a worker with the gauge running, and keeping the runs the window's own commands make.
// The window owns it.
#pragma once

#include <QObject>

#include "cleaners/CleanupRuns.h"
#include "programdb/RunLog.h"
#include "programdb/Sqlite.h"

class QMainWindow;

namespace nubrix {

class IPageHost;
class TCleanupRun;
class TJobRunner;

class TCleanupUndo : public QObject {
  Q_OBJECT

 public:
  TCleanupUndo(IPageHost& host, QMainWindow* window);

  void actUndoCleanupExecute();
  void actCleanupHistoryExecute();
  // Puts back what run moved to the trash, asking first about folders that are gone. What is
  // still in the trash and which folders are gone are looked at on the worker.
  void RestoreRun(const TRun& run);
  // Finishes a run of the window's own (not cancelled) and has its folders without a size
  // counted.
  void KeepRun(TCleanupRun& run);
  // The same for a run finished on a worker: what the database said, and its folders without a
  // size.
  void RunKept(const db::TDatabaseNote& note, TUnsizedFolders folders);

  // Undo runs its renames here, off the window's thread.
  TJobRunner* Undoer() const { return Undoer_; }
  // A folder moved to the trash without a scan is counted here, after its run was kept.
  TJobRunner* Sizer() const { return Sizer_; }

 signals:
  // An undo has put back what it could.
  void CleanupRestored();

 private:
  void ReportRunNote(const db::TDatabaseNote& note);
  void AskAndRestore(const TRun& run, int inTrash, const std::vector<std::string>& missing,
                     bool askFirst);
  void StartRestore(std::shared_ptr<const TRun> run, bool makeFolders);

  IPageHost& Host_;
  QMainWindow* Window_;
  TJobRunner* Undoer_;
  TJobRunner* Sizer_;
};

}  // namespace nubrix

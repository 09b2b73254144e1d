// Undo of cleanups: the last run put back, the history of runs, and the notes of the run log.
#include <QAction>
#include <QStatusBar>
#include <algorithm>
#include <memory>

#include "app/CleanupHistory.h"
#include "app/TForm1.h"
#include "cleaners/CleanupRuns.h"
#include "platform/Paths.h"

namespace nubrix {

namespace {

constexpr int kNoteMilliseconds = 20000;

QString RunTitle(const TRunSummary& run) {
  return QStringLiteral("\"%1\" of %2")
      .arg(DisplayPath(run.Command), QString::fromStdString(RunTimeText(run.Time)));
}

QString StayedText(const TUndoResult& result) {
  QString text =
      QStringLiteral("%1 item(s) put back. These stayed where they are:").arg(result.Restored);
  for (const TUndoFailure& failure : result.Stayed) {
    text += QStringLiteral("\r\n") + DisplayPath(failure.Path) + QStringLiteral(": ") +
            DisplayPath(failure.Detail);
  }
  return text;
}

}  // namespace

std::int64_t TForm1::ScannedBytes(const std::string& folder) const {
  const TSizeFolder* found = Tree_->ScanRoot() != nullptr ? Tree_->FindFolder(folder) : nullptr;
  if (found == nullptr || platform::WithoutSeparator(found->Path()) != folder) return -1;
  return SizeMBToBytes(found->TotalSize());
}

void TForm1::KeepRun(TCleanupRun& run) {
  ReportRunNote(run.Finish(false));
  TUnsizedFolders folders = run.UnsizedFolders();
  if (folders.InTrash.empty()) return;
  Sizer_->Start([file = ProgramDatabaseFile(AppDataFolder()), folders = std::move(folders)](
                    TJob& job) { return SizeUnsizedFolders(file, folders, &job.CancelFlag()); },
                [this](const db::TDatabaseNote& note) { ReportRunNote(note); });
}

void TForm1::ReportRunNote(const db::TDatabaseNote& note) {
  if (!note.SetAside.empty()) {
    statusBar()->showMessage(
        QStringLiteral(
            "The cleanup history was damaged; it was set aside as %1 and a new one begun")
            .arg(DisplayPath(note.SetAside)),
        kNoteMilliseconds);
  }
  if (!note.Error.empty()) {
    statusBar()->showMessage(
        QStringLiteral("This cleanup cannot be undone: ") + DisplayPath(note.Error),
        kNoteMilliseconds);
  }
}

void TForm1::actUndoCleanupExecute() {
  std::optional<TRun> run;
  const std::string file = ProgramDatabaseFile(AppDataFolder());
  const db::TDatabaseNote note = db::WithDatabase(file, [&] { run = TRunLog(file).LastRun(); });
  if (!note.Error.empty()) {
    Dialogs_->ShowMessage(
        this, QStringLiteral("The cleanup history cannot be read: ") + DisplayPath(note.Error));
    return;
  }
  if (!run) {
    Dialogs_->ShowMessage(this, QStringLiteral("There is no cleanup to undo."));
    return;
  }
  const int inTrash = CountInTrash(*run);
  if (inTrash == 0) {
    Dialogs_->ShowMessage(
        this, QStringLiteral("Nothing of %1 is still in the trash.").arg(RunTitle(run->Summary)));
    return;
  }
  const QString question =
      QStringLiteral("Put back the %1 item(s) of %2 that are still in the trash?")
          .arg(inTrash)
          .arg(RunTitle(run->Summary));
  if (!Dialogs_->Ask(this, TQuestionKind::Confirmation, question, TAnswerButtons::YesNo)) return;
  RestoreRun(*run);
}

void TForm1::actCleanupHistoryExecute() {
  const std::string file = ProgramDatabaseFile(AppDataFolder());
  TCleanupHistoryDialog dialog(
      file,
      [this, file](std::int64_t id) {
        std::optional<TRun> run;
        db::WithDatabase(file, [&] { run = TRunLog(file).Run(id); });
        if (run) RestoreRun(*run);
      },
      this);
  connect(this, &TForm1::CleanupRestored, &dialog, &TCleanupHistoryDialog::Reload);
  dialog.exec();
}

void TForm1::RestoreRun(const TRun& run) {
  if (Undoer_->Running()) return;
  const std::vector<std::string> missing = MissingFolders(run);
  bool makeFolders = false;
  if (!missing.empty()) {
    QString question = QStringLiteral("These folders the items were in are gone:");
    for (const std::string& folder : missing)
      question += QStringLiteral("\r\n") + DisplayPath(folder);
    question += QStringLiteral("\r\nMake them again to put the items back?");
    makeFolders = Dialogs_->Ask(this, TQuestionKind::Confirmation, question, TAnswerButtons::YesNo);
  }
  struct TOutcome {
    TUndoResult Result;
    db::TDatabaseNote Note;
  };
  const std::string file = ProgramDatabaseFile(AppDataFolder());
  auto shared = std::make_shared<const TRun>(run);
  const auto total = static_cast<std::int64_t>(run.Items.size());
  ShowGauge(static_cast<int>(std::max<std::int64_t>(1, total)));
  Undoer_->Start(
      [file, shared, makeFolders, total](TJob& job) {
        TOutcome outcome;
        // The items move once; only marking the run goes through the database's retry.
        outcome.Result =
            UndoRun(*shared, makeFolders, [&](int tried) { job.Report(tried, total); });
        outcome.Note = db::WithDatabase(
            file, [&] { TRunLog(file).RecordUndo(shared->Summary.Id, outcome.Result.States); });
        return outcome;
      },
      [this](const TOutcome& outcome) {
        ReportRunNote(outcome.Note);
        const QString done = QStringLiteral("%1 item(s) put back").arg(outcome.Result.Restored);
        SetStatus(1, done + QStringLiteral(" from the trash"));
        Timer3_.start();
        // The panel goes back to the selected folder soon; the note stays a while longer.
        statusBar()->showMessage(done, kNoteMilliseconds);
        if (!outcome.Result.Stayed.empty()) Dialogs_->ShowMessage(this, StayedText(outcome.Result));
        emit CleanupRestored();
      });
}

}  // namespace nubrix

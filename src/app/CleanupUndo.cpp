#include "app/CleanupUndo.h"

#include <QMainWindow>
#include <QStatusBar>
#include <algorithm>
#include <memory>

#include "app/CleanupHistory.h"
#include "cleaners/CleanupRuns.h"
#include "platform/Paths.h"
#include "ui/DisplayText.h"
#include "ui/JobRunner.h"
#include "ui/PageHost.h"
#include "ui/UserDialogs.h"

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

TCleanupUndo::TCleanupUndo(IPageHost& host, QMainWindow* window)
    : QObject(window),
      Host_(host),
      Window_(window),
      Undoer_(new TJobRunner(this)),
      Sizer_(new TJobRunner(this)) {
  connect(Undoer_, &TJobRunner::Progress, this, [this](const TJobProgress& progress) {
    Host_.SetGaugePosition(static_cast<int>(progress.Done));
  });
}

void TCleanupUndo::KeepRun(TCleanupRun& run) {
  const db::TDatabaseNote note = run.Finish(false);
  RunKept(note, run.UnsizedFolders());
}

void TCleanupUndo::RunKept(const db::TDatabaseNote& note, TUnsizedFolders folders) {
  ReportRunNote(note);
  if (folders.InTrash.empty()) return;
  Sizer_->Start([file = ProgramDatabaseFile(Host_.AppDataFolder()), folders = std::move(folders)](
                    TJob& job) { return SizeUnsizedFolders(file, folders, &job.CancelFlag()); },
                [this](const db::TDatabaseNote& sized) { ReportRunNote(sized); });
}

void TCleanupUndo::ReportRunNote(const db::TDatabaseNote& note) {
  if (!note.SetAside.empty()) {
    Window_->statusBar()->showMessage(
        QStringLiteral(
            "The cleanup history was damaged; it was set aside as %1 and a new one begun")
            .arg(DisplayPath(note.SetAside)),
        kNoteMilliseconds);
  }
  if (!note.Error.empty()) {
    Window_->statusBar()->showMessage(
        QStringLiteral("This cleanup cannot be undone: ") + DisplayPath(note.Error),
        kNoteMilliseconds);
  }
}

void TCleanupUndo::actUndoCleanupExecute() {
  std::optional<TRun> run;
  const std::string file = ProgramDatabaseFile(Host_.AppDataFolder());
  const db::TDatabaseNote note = db::WithDatabase(file, [&] { run = TRunLog(file).LastRun(); });
  if (!note.Error.empty()) {
    Host_.Dialogs().ShowMessage(
        Window_, QStringLiteral("The cleanup history cannot be read: ") + DisplayPath(note.Error));
    return;
  }
  if (!run) {
    Host_.Dialogs().ShowMessage(Window_, QStringLiteral("There is no cleanup to undo."));
    return;
  }
  if (Undoer_->Running()) return;
  struct TLook {
    int InTrash = 0;
    std::vector<std::string> Missing;
  };
  // The trash and the folders are the user's: looked at on the worker, never here.
  auto shared = std::make_shared<const TRun>(std::move(*run));
  Undoer_->Start(
      [shared](TJob&) {
        return TLook{CountInTrash(*shared), MissingFolders(*shared)};
      },
      [this, shared](const TLook& look) {
        AskAndRestore(*shared, look.InTrash, look.Missing, true);
      });
}

void TCleanupUndo::AskAndRestore(const TRun& run, int inTrash,
                                 const std::vector<std::string>& missing, bool askFirst) {
  if (askFirst && inTrash == 0) {
    Host_.Dialogs().ShowMessage(
        Window_, QStringLiteral("Nothing of %1 is still in the trash.").arg(RunTitle(run.Summary)));
    return;
  }
  if (askFirst) {
    const QString question =
        QStringLiteral("Put back the %1 item(s) of %2 that are still in the trash?")
            .arg(inTrash)
            .arg(RunTitle(run.Summary));
    if (!Host_.Dialogs().Ask(Window_, TQuestionKind::Confirmation, question, TAnswerButtons::YesNo))
      return;
  }
  bool makeFolders = false;
  if (!missing.empty()) {
    QString question = QStringLiteral("These folders the items were in are gone:");
    for (const std::string& folder : missing)
      question += QStringLiteral("\r\n") + DisplayPath(folder);
    question += QStringLiteral("\r\nMake them again to put the items back?");
    makeFolders =
        Host_.Dialogs().Ask(Window_, TQuestionKind::Confirmation, question, TAnswerButtons::YesNo);
  }
  StartRestore(std::make_shared<const TRun>(run), makeFolders);
}

void TCleanupUndo::actCleanupHistoryExecute() {
  const std::string file = ProgramDatabaseFile(Host_.AppDataFolder());
  TCleanupHistoryDialog dialog(
      file,
      [this, file](std::int64_t id) {
        std::optional<TRun> run;
        db::WithDatabase(file, [&] { run = TRunLog(file).Run(id); });
        if (run) RestoreRun(*run);
      },
      Window_);
  connect(this, &TCleanupUndo::CleanupRestored, &dialog, &TCleanupHistoryDialog::Reload);
  dialog.exec();
}

void TCleanupUndo::RestoreRun(const TRun& run) {
  if (Undoer_->Running()) return;
  auto shared = std::make_shared<const TRun>(run);
  Undoer_->Start([shared](TJob&) { return MissingFolders(*shared); },
                 [this, shared](const std::vector<std::string>& missing) {
                   AskAndRestore(*shared, 0, missing, false);
                 });
}

void TCleanupUndo::StartRestore(std::shared_ptr<const TRun> shared, bool makeFolders) {
  struct TOutcome {
    TUndoResult Result;
    db::TDatabaseNote Note;
  };
  const std::string file = ProgramDatabaseFile(Host_.AppDataFolder());
  const auto total = static_cast<std::int64_t>(shared->Items.size());
  Host_.ShowGauge(static_cast<int>(std::max<std::int64_t>(1, total)));
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
        Host_.ShowStatus(done + QStringLiteral(" from the trash"));
        Host_.StartStatusReset();
        // The panel goes back to the selected folder soon; the note stays a while longer.
        Window_->statusBar()->showMessage(done, kNoteMilliseconds);
        if (!outcome.Result.Stayed.empty())
          Host_.Dialogs().ShowMessage(Window_, StayedText(outcome.Result));
        emit CleanupRestored();
      });
}

}  // namespace nubrix

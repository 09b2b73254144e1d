#include "cli/UndoCommand.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <optional>

#include "cleaners/CleanupRuns.h"

namespace nubrix {

namespace {

constexpr const char* kProgram = "nubrix-clean: ";

void WriteBytes(std::ostream& out, const std::string& bytes) {
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::int64_t> ParseRun(const std::string& text) {
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(text.c_str(), &end, 10);
  if (errno != 0 || end == text.c_str() || *end != '\0' || value <= 0) return std::nullopt;
  return value;
}

bool Failed(const db::TDatabaseNote& note, std::ostream& err) {
  if (!note.SetAside.empty()) {
    err << kProgram << "the cleanup history was damaged; it was set aside as " << note.SetAside
        << '\n';
  }
  if (note.Error.empty()) return false;
  err << kProgram << "the cleanup history cannot be read: " << note.Error << '\n';
  return true;
}

}  // namespace

int RunRuns(const std::vector<std::string>& arguments, const std::string& database,
            std::ostream& out, std::ostream& err) {
  if (!arguments.empty()) {
    err << "usage: nubrix-clean runs\n";
    return 2;
  }
  std::vector<TRun> runs;
  const db::TDatabaseNote note = db::WithDatabase(database, [&] {
    TRunLog log(database);
    for (const TRunSummary& summary : log.Runs()) {
      if (std::optional<TRun> run = log.Run(summary.Id)) runs.push_back(std::move(*run));
    }
  });
  if (Failed(note, err)) return 1;
  for (const TRun& run : runs) {
    const TRunSummary& s = run.Summary;
    out << s.Id << '\t' << RunTimeText(s.Time) << '\t' << s.Items << '\t' << s.Bytes << '\t'
        << CountInTrash(run) << '\t';
    WriteBytes(out, s.Command);
    if (s.Cancelled) out << " (cancelled)";
    if (const std::string state = RunStateText(s); !state.empty()) out << " (" << state << ')';
    out << '\n';
  }
  return 0;
}

int RunUndo(const std::vector<std::string>& arguments, const std::string& database,
            std::ostream& out, std::ostream& err) {
  bool makeFolders = false;
  std::optional<std::int64_t> id;
  for (const std::string& word : arguments) {
    if (word == "--make-folders") {
      makeFolders = true;
    } else if (!id && (id = ParseRun(word))) {
    } else {
      err << "usage: nubrix-clean undo [--make-folders] [RUN]\n";
      return 2;
    }
  }
  std::optional<TRun> run;
  bool unknown = false;
  const db::TDatabaseNote note = db::WithDatabase(database, [&] {
    TRunLog log(database);
    run = id ? log.Run(*id) : log.LastRun();
    unknown = !run;
  });
  if (Failed(note, err)) return 1;
  if (unknown) {
    if (id) {
      err << kProgram << "there is no cleanup run " << *id << '\n';
      return 2;
    }
    err << kProgram << "there is no cleanup to undo\n";
    return 1;
  }
  // Outside the database's retry: the items must be moved once, whatever the log does after.
  const TUndoResult result = UndoRun(*run, makeFolders);
  const bool unrecorded =
      Failed(db::WithDatabase(
                 database, [&] { TRunLog(database).RecordUndo(run->Summary.Id, result.States); }),
             err);
  for (const auto& [seq, state] : result.States) {
    if (state != TItemState::Restored) continue;
    WriteBytes(out, run->Items[static_cast<std::size_t>(seq)].Path);
    out << '\n';
  }
  for (const TUndoFailure& failure : result.Stayed) {
    err << kProgram << "not put back: " << failure.Detail << '\n';
  }
  return result.Stayed.empty() && !unrecorded ? 0 : 1;
}

}  // namespace nubrix

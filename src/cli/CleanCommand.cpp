#include "cli/CleanCommand.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <set>

#include "cleaners/Clean_Shortcuts.h"
#include "cleaners/TempFiles.h"
#include "cli/DuplicatesCommand.h"
#include "cli/TracesCommand.h"
#include "cli/UndoCommand.h"
#include "platform/Paths.h"
#include "settings/IniStuff.h"
#include "settings/Settings.h"
#include "sizetree/ScanEngine.h"

namespace nubrix {

namespace {

constexpr const char* kUsage =
    "usage: nubrix-clean temp-files [--mask M]... [--template FILE] [--trash] FOLDER\n"
    "       nubrix-clean shortcuts FOLDER\n"
    "       nubrix-clean empty-folders [--trash] FOLDER\n"
    "       nubrix-clean duplicates [--min-size BYTES] [--threads N] [--trash --keep "
    "newest|oldest|first] FOLDER\n"
    "       nubrix-clean traces [--preview | --clear NAME...]\n"
    "       nubrix-clean runs\n"
    "       nubrix-clean undo [--make-folders] [RUN]\n";

// Collects the rows, in the order the page shows them.
class TRowList : public IShortcutRows {
 public:
  void Clear() override { Rows.clear(); }
  void Add(const TShortcutRow& row) override { Rows.push_back(row); }
  std::vector<TShortcutRow> Rows;
};

// The folder as the kernel reads it: "top/link/../data" names what "real/data" does, and every
// path listed and moved below is the one the listing really saw.
std::string Resolved(const std::string& folder) {
  char* real = realpath(folder.c_str(), nullptr);
  if (real == nullptr) return folder;
  std::string resolved = real;
  std::free(real);
  return resolved;
}

// A cleanup that went through but cannot be undone is a failure for a script that counts on it.
bool RunNotKept(TCleanupRun& run, bool cancelled, std::ostream& err) {
  const db::TDatabaseNote note = run.Finish(cancelled);
  if (note.Error.empty()) return false;
  err << "nubrix-clean: this cleanup cannot be undone: " << note.Error << '\n';
  return true;
}

bool Readable(const std::string& folder, std::ostream& err) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    err << "nubrix-clean: cannot read folder " << folder << ": " << std::strerror(errno) << '\n';
    return false;
  }
  close(fd);
  return true;
}

int Shortcuts(const std::string& folder, std::ostream& out) {
  TRowList rows;
  TCleanShortcut().ListShortcuts(folder, rows);
  for (const TShortcutRow& row : rows.Rows) {
    out << row.Condition << '\t' << row.Target << '\t' << row.ShortcutPath << '\n';
  }
  return 0;
}

int EmptyFolders(const std::string& folder, bool trash, const std::string& database,
                 std::ostream& out, std::ostream& err) {
  if (!trash) {
    TRowList rows;
    TCleanShortcut().ListEmptyFolders(folder, rows);
    for (const TShortcutRow& row : rows.Rows) out << row.ShortcutPath << '\n';
    return 0;
  }
  if (folder == "/") {
    err << "nubrix-clean: " << kRootEmptyFoldersRefusal << '\n';
    return 2;
  }
  TCleanupRun run(database, "nubrix-clean empty-folders --trash");
  const TRemovalResult result = TCleanShortcut().RemoveEmptyFolders(folder, nullptr, &run);
  const bool notKept = RunNotKept(run, false, err);
  for (const std::string& path : result.Removed) out << path << '\n';
  for (const TRemovalFailure& failure : result.Failed)
    err << "nubrix-clean: " << failure.Reason << '\n';
  return result.Failed.empty() && !notKept ? 0 : 1;
}

struct TTempCall {
  std::vector<std::string> Masks;
  std::string Template;
  bool Trash = false;
  std::string Folder;
};

std::optional<TTempCall> ParseTempCall(const std::vector<std::string>& arguments) {
  TTempCall call;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    const bool last = i + 1 == arguments.size();
    if (word == "--trash") {
      call.Trash = true;
    } else if ((word == "--mask" || word == "--template") && !last) {
      (word == "--mask" ? call.Masks.emplace_back() : call.Template) = arguments[++i];
    } else if (last && !word.starts_with("-")) {
      call.Folder = platform::WithoutSeparator(Resolved(word));
    } else {
      return std::nullopt;
    }
  }
  if (call.Folder.empty()) return std::nullopt;
  return call;
}

// The page's search: the folder scanned as the window scans it, then searched from its root.
int TempFiles(const TTempCall& call, const std::string& database, std::ostream& out,
              std::ostream& err) {
  std::vector<std::string> masks = call.Masks;
  if (masks.empty()) {
    const std::string file =
        call.Template.empty() ? TemplateFileName(SettingsFileName()) : call.Template;
    for (const TTmpType& type : LoadTmpList(TIniFile(file))) masks.push_back(type.Mask);
  }
  TSizeTree tree;
  TScanContext context;
  ScanIntoTree(tree, platform::WithSeparator(call.Folder), context);
  const TTempSearch search = SearchTempFiles(TempSearchFolders(*tree.ScanRoot()), masks);
  std::set<std::string> moved;
  int stayed = 0;
  TCleanupRun run(database, "nubrix-clean temp-files --trash");
  for (const TTempTreeData& row : search.Rows) {
    const std::string path = row.Path();
    out << row.Size << '\t' << path << '\n';
    // A file found by two masks goes once.
    if (!call.Trash || moved.count(path) != 0) continue;
    const platform::TTrashResult result =
        RecycleSilently(ListedTempFile(row), &run, static_cast<std::int64_t>(row.Size));
    if (result.Ok) {
      moved.insert(path);
    } else {
      ++stayed;
      err << "nubrix-clean: " << result.Error << '\n';
    }
  }
  const bool notKept = RunNotKept(run, false, err);
  return stayed == 0 && !notKept ? 0 : 1;
}

}  // namespace

int RunClean(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
             const std::string& databaseFile) {
  const std::string database =
      databaseFile.empty() ? ProgramDatabaseFile(AppDir() + "AppData") : databaseFile;
  if (!arguments.empty() && (arguments[0] == "runs" || arguments[0] == "undo")) {
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    return arguments[0] == "runs" ? RunRuns(rest, database, out, err)
                                  : RunUndo(rest, database, out, err);
  }
  if (!arguments.empty() && arguments[0] == "traces") {
    platform::TWineRegistry registry(platform::TWineRegistry::DefaultPrefix());
    return RunTraces({arguments.begin() + 1, arguments.end()}, TTraceEnvironment::OfUser(),
                     registry, out, err);
  }
  if (!arguments.empty() && arguments[0] == "duplicates")
    return RunDuplicates({arguments.begin() + 1, arguments.end()}, database, out, err);
  if (!arguments.empty() && arguments[0] == "temp-files") {
    const std::optional<TTempCall> call = ParseTempCall(arguments);
    if (!call) {
      err << kUsage;
      return 2;
    }
    if (!Readable(call->Folder, err)) return 2;
    return TempFiles(*call, database, out, err);
  }
  const bool shortcuts = arguments.size() == 2 && arguments[0] == "shortcuts";
  const bool empty =
      (arguments.size() == 2 || (arguments.size() == 3 && arguments[1] == "--trash")) &&
      arguments[0] == "empty-folders";
  if (!shortcuts && !empty) {
    err << kUsage;
    return 2;
  }
  const std::string folder = platform::WithoutSeparator(arguments.back());
  if (folder.empty() || folder[0] == '-' || !Readable(folder, err)) {
    if (folder.empty() || folder[0] == '-') err << kUsage;
    return 2;
  }
  return shortcuts ? Shortcuts(folder, out)
                   : EmptyFolders(Resolved(folder), arguments.size() == 3, database, out, err);
}

}  // namespace nubrix

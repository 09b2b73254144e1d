#include "cli/DuplicatesCommand.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "cleaners/CleanupRuns.h"
#include "cleaners/Duplicates.h"
#include "cleaners/LargestFiles.h"
#include "platform/Paths.h"
#include "sizetree/ScanEngine.h"
#include "sizetree/SizeTreeU.h"

namespace nubrix {

namespace {

constexpr const char* kUsage =
    "usage: nubrix-clean duplicates [--min-size BYTES] [--threads N] "
    "[--trash --keep newest|oldest|first] FOLDER\n";
constexpr const char* kCommand = "nubrix-clean duplicates --trash";

struct TDuplicatesCall {
  TDuplicateOptions Options;
  std::optional<TKeepRule> Keep;
  bool Trash = false;
  std::string Folder;
};

std::optional<std::uint64_t> Number(const std::string& text) {
  if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::stoull(text);
}

std::optional<TKeepRule> KeepRule(const std::string& word) {
  if (word == "newest") return TKeepRule::Newest;
  if (word == "oldest") return TKeepRule::Oldest;
  if (word == "first") return TKeepRule::FirstByPath;
  return std::nullopt;
}

std::optional<TDuplicatesCall> Parse(const std::vector<std::string>& arguments) {
  TDuplicatesCall call;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    const bool last = i + 1 == arguments.size();
    if (word == "--trash") {
      call.Trash = true;
    } else if (word == "--keep" && !last) {
      call.Keep = KeepRule(arguments[++i]);
      if (!call.Keep) return std::nullopt;
    } else if ((word == "--min-size" || word == "--threads") && !last) {
      const std::optional<std::uint64_t> number = Number(arguments[++i]);
      if (!number || (word == "--threads" && (*number == 0 || *number > 64))) return std::nullopt;
      if (word == "--min-size") call.Options.MinSize = std::max<std::uint64_t>(*number, 1);
      if (word == "--threads") call.Options.Threads = static_cast<int>(*number);
    } else if (last && !word.starts_with("-")) {
      call.Folder = word;
    } else {
      return std::nullopt;
    }
  }
  // Which copy stays is never guessed.
  if (call.Folder.empty() || call.Trash != call.Keep.has_value()) return std::nullopt;
  return call;
}

// Every copy but the kept one, each with all its names; each move first makes sure the kept copy
// is still the file that was compared.
int TrashGroup(const TDuplicateGroup& group, TKeepRule rule, TCleanupRun& run, std::ostream& out,
               std::ostream& err) {
  const std::size_t kept = KeptCopy(group, rule);
  std::vector<bool> marked(group.Files.size(), true);
  marked[kept] = false;
  std::vector<TCopyRefusal> refused;
  const std::vector<platform::TListedItem> moves = CopyMoves(group, marked, refused);
  for (const TCopyRefusal& refusal : refused)
    err << "nubrix-clean: " << refusal.Path << ": " << refusal.Why << '\n';
  int stayed = static_cast<int>(refused.size());
  for (std::size_t i = 0; i < moves.size(); ++i) {
    // The bytes come back once, with the first name of a copy.
    const bool firstName = i == 0 || moves[i].Item != moves[i - 1].Item;
    const std::int64_t size = firstName ? static_cast<std::int64_t>(group.Size) : 0;
    const platform::TTrashResult result = run.Trash(moves[i], size);
    if (result.Ok) {
      out << moves[i].Path << '\n';
    } else {
      ++stayed;
      err << "nubrix-clean: " << result.Error << '\n';
    }
  }
  return stayed;
}

void PrintGroups(const TDuplicateSearch& search, std::ostream& out) {
  for (const TDuplicateGroup& group : search.Groups) {
    for (const TDuplicateFile& file : group.Files) out << file.Path << '\n';
    out << '\n';
  }
}

}  // namespace

std::string ReadableFolder(const std::string& folder, std::ostream& err) {
  char* real = realpath(folder.c_str(), nullptr);
  if (real == nullptr) {
    err << "nubrix-clean: cannot read folder " << folder << ": " << std::strerror(errno) << '\n';
    return {};
  }
  std::string resolved = real;
  std::free(real);
  const int fd = open(resolved.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    err << "nubrix-clean: cannot read folder " << folder << ": " << std::strerror(errno) << '\n';
    return {};
  }
  close(fd);
  return resolved;
}

int RunDuplicates(const std::vector<std::string>& arguments, const std::string& databaseFile,
                  std::ostream& out, std::ostream& err) {
  const std::optional<TDuplicatesCall> call = Parse(arguments);
  if (!call) {
    err << kUsage;
    return 2;
  }
  const std::string folder = ReadableFolder(call->Folder, err);
  if (folder.empty()) return 2;
  TSizeTree tree;
  TScanContext context;
  context.Threads = call->Options.Threads;
  ScanIntoTree(tree, platform::WithSeparator(folder), context);
  const TDuplicateSearch search = FindDuplicates(FoldersBelow(*tree.ScanRoot()), call->Options);
  for (const TUnreadableFile& file : search.Unreadable)
    err << "nubrix-clean: cannot read " << file.Path << ": " << TreeFolderError(file.Error) << '\n';
  if (!call->Trash) {
    PrintGroups(search, out);
    return 0;
  }
  TCleanupRun run(databaseFile, kCommand);
  int stayed = 0;
  for (const TDuplicateGroup& group : search.Groups)
    stayed += TrashGroup(group, *call->Keep, run, out, err);
  const db::TDatabaseNote note = run.Finish(false);
  if (!note.Error.empty())
    err << "nubrix-clean: this cleanup cannot be undone: " << note.Error << '\n';
  return stayed == 0 && note.Error.empty() ? 0 : 1;
}

}  // namespace nubrix

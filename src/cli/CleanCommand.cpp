#include "cli/CleanCommand.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "cleaners/Clean_Shortcuts.h"
#include "platform/Paths.h"

namespace nubrix {

namespace {

constexpr const char* kUsage =
    "usage: nubrix-clean shortcuts FOLDER\n"
    "       nubrix-clean empty-folders [--trash] FOLDER\n";

// Collects the rows, in the order the page shows them.
class TRowList : public IShortcutRows {
 public:
  void Clear() override { Rows.clear(); }
  void Add(const TShortcutRow& row) override { Rows.push_back(row); }
  std::vector<TShortcutRow> Rows;
};

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

int EmptyFolders(const std::string& folder, bool trash, std::ostream& out, std::ostream& err) {
  if (!trash) {
    TRowList rows;
    TCleanShortcut().ListEmptyFolders(folder, rows);
    for (const TShortcutRow& row : rows.Rows) out << row.ShortcutPath << '\n';
    return 0;
  }
  const TRemovalResult result = TCleanShortcut().RemoveEmptyFolders(folder);
  for (const std::string& path : result.Removed) out << path << '\n';
  for (const TRemovalFailure& failure : result.Failed)
    err << "nubrix-clean: " << failure.Reason << '\n';
  return result.Failed.empty() ? 0 : 1;
}

}  // namespace

int RunClean(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err) {
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
  return shortcuts ? Shortcuts(folder, out) : EmptyFolders(folder, arguments.size() == 3, out, err);
}

}  // namespace nubrix

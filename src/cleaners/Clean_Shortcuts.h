// The file-system work of the shortcut page: shortcut files and the state of their targets,
// empty folders, and moving things to the trash. Plain C++ on byte paths; the page adapts the
// row sink and the question to its widgets.
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "cleaners/CleanupRuns.h"
#include "platform/AskUser.h"
#include "platform/Shortcuts.h"
#include "platform/TrashMove.h"

namespace nubrix {

enum TCondition : int {
  kConditionOk = 1,
  kConditionBroken = 2,
  kConditionNetwork = 4,
  kConditionCdRom = 8,
  kConditionUndefined = 16,
  kConditionEmpty = 32,  // an empty-folder row
};
const char* ConditionText(int condition);

struct TShortcutRow {
  std::string Caption;       // the shortcut file's name, or the folder's own name
  std::string Target;        // the target, or the folder's path
  std::string Condition;     // "OK", "Broken", ... or "Empty"
  std::string ShortcutPath;  // what the page deletes
  bool Checked = false;
  TCondition State =
      kConditionUndefined;       // the condition beside its text, for sorting and pictures
  platform::TFileId FolderId{};  // as listed: the move refuses another folder or item
  platform::TFileId ItemId{};
  // What the move must find: the item the row was made for, and an empty folder still empty.
  platform::TListedItem Listed() const;
};

// What a removal to the trash did: what went, and what stayed with the reason.
struct TRemovalFailure {
  std::string Path;
  std::string Reason;
};
struct TRemovalResult {
  bool Declined = false;  // the user answered No: nothing was tried
  std::vector<std::string> Removed;
  std::vector<TRemovalFailure> Failed;
  std::string RunNote;  // why the cleanup could not be kept for undo; empty when it was
};

class IShortcutRows {
 public:
  virtual ~IShortcutRows() = default;
  virtual void Clear() = 0;
  virtual void Add(const TShortcutRow& row) = 0;
};

class TCleanShortcut {
 public:
  // One row per shortcut file (*.lnk, *.desktop) in folder and below, a folder's own first; only
  // regular files are read, and the walk stays on the folder's mount. cancel (may be null) stops
  // the walk between entries.
  void ListShortcuts(const std::string& folder, IShortcutRows& rows,
                     const std::atomic<bool>* cancel = nullptr) const;
  // The target stored in a shortcut file; empty when there is none or the file cannot be read.
  std::string ReadShortcutTarget(const std::string& file) const;
  // The condition of a target path: CD-ROM, undefined (empty), network, OK (it is there), broken.
  TCondition CheckTarget(const std::string& target) const;
  // Clears rows, then one checked row per empty folder below folder, deepest and last found first.
  void ListEmptyFolders(const std::string& folder, IShortcutRows& rows,
                        const std::atomic<bool>* cancel = nullptr) const;
  // After a Yes: RemoveEmptyFolders.
  TRemovalResult DeleteEmptyFolders(const std::string& folder, IAskUser& ask) const;
  // Every empty folder below folder to the trash, deepest first; a folder named like folder
  // itself stays. Each folder on its own: one that cannot go does not stop the others. With a
  // run, what went is noted in it.
  TRemovalResult RemoveEmptyFolders(const std::string& folder,
                                    const std::atomic<bool>* cancel = nullptr,
                                    TCleanupRun* run = nullptr) const;

  static constexpr const char* kDeleteEmptyQuestion =
      "This will scan through the selected path including subpath\r\nfor empty directories and "
      "delete them to recycle "
      "bin\r\nDo you want to proceed?";

 private:
  TCondition Judge(const platform::TShortcutTarget& target) const;
};

// What the root folder gets from every command that would move it, or what lies below it, to the
// trash.
inline constexpr const char* kRootRefusal = "The root folder / cannot be moved to the trash.";
inline constexpr const char* kRootEmptyFoldersRefusal =
    "Empty folders are not looked for below the root folder /: choose a folder below it.";

// "\\server\share", smb://, sftp://..., or a path on a network file system (from the mount table).
bool IsNetworkPath(const std::string& path);
// A path on an optical disc, by the mount table.
bool IsCDRomPath(const std::string& path);
struct TFolderFound {
  std::string Path;
  platform::TFileId Id;
  platform::TFileId ParentId;
};
// The folders below folder, each before its own subfolders. Links, mount points, dot folders
// (application state) and the user's trash folders are neither listed nor entered, and nothing
// is listed when folder lies in a trash folder; folders their owner may not write are entered
// but not listed. The folder itself is not in the list.
void CollectFolders(const std::string& folder, std::vector<TFolderFound>& list,
                    const std::atomic<bool>* cancel = nullptr);
// No entry at all (dot files count); false for a folder that cannot be listed.
bool IsEmptyFolder(const std::string& folder);
// To the trash without asking; when it did not go, it is left where it was and the result says why.
// With a run, the item is noted in it.
platform::TTrashResult RecycleSilently(const platform::TListedItem& item,
                                       TCleanupRun* run = nullptr, std::int64_t size = -1);
// Each item to the trash silently, as one cleanup run kept under command in the program's
// database (empty: none), until cancel is set.
TRemovalResult TrashListedItems(const std::vector<platform::TListedItem>& items,
                                const std::string& databaseFile, const std::string& command,
                                const std::atomic<bool>* cancel = nullptr);
// To the trash after asking "Move ... to the trash?"; No gives a result that is not Ok and has
// no error. The item is taken as it is when the question is answered.
platform::TTrashResult RecycleWithShellDialogs(const std::string& path, IAskUser& ask,
                                               TCleanupRun* run = nullptr, std::int64_t size = -1);

}  // namespace nubrix

// Single items of the trash: where an item went right after it was moved there, whether it is
// still there, and putting it back where it came from.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nubrix::platform {

struct TTrashInfo {
  std::string Path;          // absolute, decoded bytes
  std::string DeletionDate;  // as written: YYYY-MM-DDThh:mm:ss, local time
};

// The [Trash Info] group of an info file: the first Path and DeletionDate. A relative Path (as a
// trash at the top of a mount has it) is taken from top. nullopt without a usable Path.
std::optional<TTrashInfo> ParseTrashInfo(std::string_view text, const std::string& top);

// The folder relative paths of a trash folder start from: the mount's top for .Trash-$uid and
// .Trash/$uid, empty for the home trash (whose paths are absolute).
std::string TopOfTrashFolder(const std::string& trashFolder);

// The trash folders a path may go to, in the order the desktop tries them: the home trash, then
// the trash folders at the top of the path's mount. Only folders that exist now.
std::vector<std::string> TrashFoldersFor(const std::string& path);

// DeletionDate of a time, as an info file writes it.
std::string DeletionDateOf(std::time_t time);

// The name in trashFolder whose info file names originalPath with a DeletionDate not before
// notBefore; the newest info file when several do. nullopt when none does.
std::optional<std::string> FindTrashName(const std::string& trashFolder,
                                         const std::string& originalPath,
                                         const std::string& notBefore);

// Whether trashFolder/files/name is there and its info file still names originalPath.
bool StillInTrash(const std::string& trashFolder, const std::string& name,
                  const std::string& originalPath);

enum class TRestoreStatus : std::uint8_t {
  Restored,
  PlaceTaken,  // something is at the original path now
  ParentGone,  // the folder it was in is not there (and was not to be made again)
  LeftTrash,   // not in the trash any more (emptied, or restored by another program)
  Failed,      // anything else, said in Detail
};

struct TRestoreOutcome {
  TRestoreStatus Status = TRestoreStatus::Failed;
  std::string Detail;  // for people
};

// Puts trashFolder/files/name back at originalPath by rename: never replacing what is there,
// never through a link standing where the folder was, never anywhere but the original folder.
// Its info file goes after. makeParents: folders missing on the way are made again.
TRestoreOutcome RestoreFromTrash(const std::string& trashFolder, const std::string& name,
                                 const std::string& originalPath, bool makeParents);

// Whether the folder originalPath was in is missing now.
bool ParentIsGone(const std::string& originalPath);

}  // namespace nubrix::platform

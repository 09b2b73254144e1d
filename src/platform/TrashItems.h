// Single items of the trash as a cleanup run recorded them: whether each is still there, the very
// same item, and putting it back where it came from.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "platform/SafeOpen.h"

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

// DeletionDate of a time, as an info file writes it.
std::string DeletionDateOf(std::time_t time);

// What a run recorded of one item it moved to the trash.
struct TTrashedItem {
  std::string OriginalPath;
  std::string TrashFolder;
  std::string TrashName;
  std::string DeletionDate;         // empty in runs kept before dates were recorded
  std::optional<TFileId> Item;      // none in runs kept before identities were recorded
  std::int64_t ItemBirth = 0;       // 0: not known
  std::optional<TFileId> Folder{};  // the folder it was in
};

enum class TTrashPresence : std::uint8_t {
  InTrash,      // the very item, with its info file naming its path
  Gone,         // emptied, or something else lies under its name now
  Unavailable,  // its trash folder cannot be reached now (a drive not mounted)
  Untrusted,    // its trash folder fails the checks: never used
};

TTrashPresence FindInTrash(const TTrashedItem& item);
inline bool StillInTrash(const TTrashedItem& item) {
  return FindInTrash(item) == TTrashPresence::InTrash;
}

enum class TRestoreStatus : std::uint8_t {
  Restored,       // put back now, or found back at its place already
  PlaceTaken,     // something is at the original path now
  ParentGone,     // the folder it was in is not there (and was not to be made again)
  FolderChanged,  // another folder, or a link, stands where its folder was
  LeftTrash,      // not in the trash any more (emptied, or something else under its name)
  Failed,         // anything else, said in Detail; it may be tried again
};

struct TRestoreOutcome {
  TRestoreStatus Status = TRestoreStatus::Failed;
  std::string Detail;  // for people
};

// Puts the item back at its original path by one rename: never replacing what is there, never
// through a link anywhere on the way, never into another folder than the one it came from.
// Its info file goes after. makeParents: folders missing on the way are made again.
TRestoreOutcome RestoreFromTrash(const TTrashedItem& item, bool makeParents);

// Whether the folder originalPath was in is missing now.
bool ParentIsGone(const std::string& originalPath);

}  // namespace nubrix::platform

// The freedesktop.org trash folders of a user: where they lie, which of them may be trusted, and
// emptying them. Moving items in is TrashMove.h, single items and restoring them TrashItems.h.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/MountInfo.h"
#include "platform/SafeOpen.h"

namespace nubrix::platform {

enum class TTrashKind {
  Home,     // Top/Trash, Top being the data home
  Shared,   // Top/.Trash/$uid below a sticky, administrator-made .Trash
  Private,  // Top/.Trash-$uid
};

struct TTrashFolder {
  std::string Top;  // the data home, or a mount point
  TTrashKind Kind = TTrashKind::Home;
  std::string Path(uid_t uid) const;
};

// $XDG_DATA_HOME, or ~/.local/share.
std::string DataHome();

// Where trash folders of uid may lie: the home trash, then two places on every mount that is
// neither a pseudo, a network nor a FUSE file system. Nothing on the disk is looked at.
std::vector<TTrashFolder> TrashFolderCandidates(const std::string& dataHome,
                                                const std::vector<TMountEntry>& mounts, uid_t uid);

// The one judge of trash folders: opens one a step at a time through descriptors, never
// following a link, and checks each step on the open descriptor: the trash folder itself is a
// folder owned by uid that nobody else may write, and a shared .Trash carries the sticky bit.
// With create, the missing trash folder (and a missing data home) is made first, 0700. A
// descriptor, or -errno (-ENOENT when it is not there, -EPERM when a check fails).
int OpenTrashFolder(const TTrashFolder& folder, uid_t uid, bool create = false);

// files/, info/ or expunged/ of an open trash folder: a folder of uid, never a link, on the same
// mount; made 0700 when missing and create is set. A descriptor, or -errno.
int OpenTrashPart(int trashFd, const char* part, uid_t uid, bool create = false);

// Which trash folder a recorded path names: ".../.Trash-$uid", ".../.Trash/$uid" or ".../Trash".
std::optional<TTrashFolder> TrashFolderOfPath(const std::string& path, uid_t uid);

// Every trash folder of uid that is there now, trusted or not: what no listing may enter.
std::vector<TFileId> TrashFolderIds(uid_t uid);

// The trash folders of this user that exist now and pass the checks: home first.
std::vector<std::string> UserTrashFolders();

struct TEmptyResult {
  std::vector<std::string> TrashFolders;  // the folders emptied
  int Removed = 0;                        // items that left files/
  std::vector<std::string> Failures;      // what could not be removed, and why
};

// Where a caller steps into a removal: a cancel flag, checked between entries, and points where a
// test can change the disk.
struct TRemoveHooks {
  const std::atomic<bool>* Cancel = nullptr;
  std::function<void(const std::string& shownPath)> FolderEntered;
  std::function<void(const std::string& shownPath)> LeavingFolder;
};

// Empties the given trash folders of uid. Each item of files/ first leaves it in one rename into
// expunged/ and its info file goes; only then is it deleted, inside expunged/, so a restore
// running meanwhile finds either the whole item or none of it. Then the info files whose item
// is gone, the rest of expunged/ and directorysizes. Links are removed, never followed; mount
// points inside a trash folder are neither moved nor entered.
TEmptyResult EmptyTrash(const std::vector<TTrashFolder>& folders, uid_t uid,
                        const TRemoveHooks* hooks = nullptr);

// EmptyTrash of every trash folder of this user, from the mount table as it is now.
TEmptyResult EmptyAllTrash();

// Removes everything below an open folder, never following a link and never entering a mount
// point; folders are made writable before they are entered. Each step back up goes only to the
// folder it came from: a folder moved away meanwhile is left alone. The files (everything but
// folders) that went.
int RemoveContents(int dirFd, std::vector<std::string>& failures, const std::string& shownPath,
                   const TRemoveHooks* hooks = nullptr);

}  // namespace nubrix::platform

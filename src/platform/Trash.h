// The freedesktop.org trash: moving one item there (never deleting it in its place) and
// emptying every trash folder of the user.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/MountInfo.h"

namespace nubrix::platform {

struct TTrashResult {
  bool Ok = false;
  std::string Error;  // for people, naming the item
  // Where the item lies now, found by its info file right after the move: the trash folder
  // (holding files/ and info/) and its name there. Empty when it could not be found.
  std::string TrashFolder;
  std::string TrashName;
  std::string OriginalPath;  // the item's absolute path, as its info file names it
};

// Moves path (a file, a folder, a link: the link itself, never its target) to the trash of its
// file system, and finds where it went. When no trash can take it, nothing happens to it and
// the result says why.
TTrashResult MoveToTrash(const std::string& path);

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

// Opens a trash folder one step at a time through descriptors, never following a link, and
// checks each step on the open descriptor: the trash folder itself is a folder owned by uid that
// nobody else may write, and a shared .Trash carries the sticky bit. A descriptor, or -errno
// (-ENOENT when it is not there, -EPERM when a check fails).
int OpenTrashFolder(const TTrashFolder& folder, uid_t uid);

// The trash folders of this user that exist now and pass the checks: home first.
std::vector<std::string> UserTrashFolders();

struct TEmptyResult {
  std::vector<std::string> TrashFolders;  // the folders emptied
  int Removed = 0;                        // entries of files/ removed
  std::vector<std::string> Failures;      // what could not be removed, and why
};

// Points in the emptying walk where a test can change the disk.
struct TRemoveHooks {
  std::function<void(const std::string& shownPath)> FolderEntered;
  std::function<void(const std::string& shownPath)> LeavingFolder;
};

// Empties the given trash folders of uid: files/, then the info/ entries whose item is gone, then
// expunged/ and directorysizes. Links are removed, never followed; mount points inside a trash
// folder are never entered.
TEmptyResult EmptyTrash(const std::vector<TTrashFolder>& folders, uid_t uid,
                        const TRemoveHooks* hooks = nullptr);

// EmptyTrash of every trash folder of this user, from the mount table as it is now.
TEmptyResult EmptyAllTrash();

// Removes everything below an open folder, never following a link and never entering a mount
// point; folders are made writable before they are entered. Each step back up goes only to the
// folder it came from: a folder moved away meanwhile is left alone. Counts what went.
int RemoveContents(int dirFd, std::vector<std::string>& failures, const std::string& shownPath,
                   const TRemoveHooks* hooks = nullptr);

}  // namespace nubrix::platform

// The freedesktop.org trash: moving one item there (never deleting it in its place) and
// emptying every trash folder of the user.
#pragma once

#include <string>
#include <vector>

namespace nubrix::platform {

struct TTrashResult {
  bool Ok = false;
  std::string Error;  // for people, naming the item
};

// Moves path (a file, a folder, a link: the link itself, never its target) to the trash of its
// file system. When no trash can take it, nothing happens to it and the result says why.
TTrashResult MoveToTrash(const std::string& path);

struct TEmptyResult {
  std::vector<std::string> TrashFolders;  // the folders emptied
  int Removed = 0;                        // entries of files/ removed
  std::vector<std::string> Failures;      // what could not be removed
};

// Empties the home trash and the trash folders of this user on every mounted file system:
// files/, then info/ and expunged/, then directorysizes. Links are removed, never followed;
// mount points inside a trash folder are never entered.
TEmptyResult EmptyAllTrash();

// The trash folders of this user that exist now: home first, then those of the mounts.
std::vector<std::string> UserTrashFolders();

// Removes everything below an open folder, never following a link and never entering a
// mount point; folders are made writable before they are entered. Counts what went.
int RemoveContents(int dirFd, std::vector<std::string>& failures, const std::string& shownPath);

}  // namespace nubrix::platform

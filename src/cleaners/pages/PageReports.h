// What the cleaner pages say after their commands: how many files went
// to the trash and which stayed, and a folder opened with the desktop.
#pragma once

#include <cstddef>
#include <string>

class QWidget;

namespace nubrix {

class IPageHost;
struct TRemovalResult;

// moved in the status bar (and why there is no undo, if so); the files that stayed in a message.
void ReportTrashMoves(IPageHost& host, QWidget* page, const TRemovalResult& result,
                      std::size_t moved);

// Opens the folder with the desktop, or says why not.
void OpenFolderWithDesktop(IPageHost& host, QWidget* page, const std::string& folder);

}  // namespace nubrix

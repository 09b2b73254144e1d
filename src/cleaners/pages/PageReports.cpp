#include "cleaners/pages/PageReports.h"

#include "cleaners/Clean_Shortcuts.h"
#include "platform/ShellOpen.h"
#include "ui/DisplayText.h"
#include "ui/PageHost.h"
#include "ui/UserDialogs.h"

namespace nubrix {

void ReportTrashMoves(IPageHost& host, QWidget* page, const TRemovalResult& result,
                      std::size_t moved) {
  QString status = QStringLiteral("%1 file(s) moved to the trash").arg(moved);
  if (!result.RunNote.empty()) {
    status += QStringLiteral(" (no undo: ") + DisplayPath(result.RunNote) + u')';
  }
  host.ShowStatus(status);
  if (result.Failed.empty()) return;
  QString text = QStringLiteral("These files stayed where they were:");
  for (const TRemovalFailure& failure : result.Failed) {
    text += QStringLiteral("\r\n") + DisplayPath(failure.Path) + QStringLiteral(": ") +
            DisplayPath(failure.Reason);
  }
  host.Dialogs().ShowMessage(page, text);
}

void OpenFolderWithDesktop(IPageHost& host, QWidget* page, const std::string& folder) {
  std::string error;
  if (!platform::OpenWithDesktop(folder, &error)) {
    host.Dialogs().ShowMessage(page, QStringLiteral("Could not open ") + DisplayPath(folder) +
                                         QStringLiteral(": ") + DisplayPath(error));
  }
}

}  // namespace nubrix

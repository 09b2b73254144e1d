#include "cleaners/pages/PageReports.h"

#include "cleaners/Clean_Shortcuts.h"
#include "platform/ShellOpen.h"
#include "ui/DisplayText.h"
#include "ui/JobRunner.h"
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

// GIO looks at the folder before it starts the file manager: on a worker of the page's own, so
// a hung mount never holds the window.
void OpenFolderWithDesktop(IPageHost& host, QWidget* page, const std::string& folder) {
  const QString name = QStringLiteral("DesktopOpener");
  auto* opener = page->findChild<TJobRunner*>(name, Qt::FindDirectChildrenOnly);
  if (opener == nullptr) {
    opener = new TJobRunner(page);
    opener->setObjectName(name);
  }
  opener->Start(
      [folder](TJob&) {
        std::string error;
        if (platform::OpenWithDesktop(folder, &error)) return std::string();
        return error.empty() ? std::string("nothing could be started") : error;
      },
      [&host, page, folder](const std::string& error) {
        if (error.empty()) return;
        host.Dialogs().ShowMessage(page, QStringLiteral("Could not open ") + DisplayPath(folder) +
                                             QStringLiteral(": ") + DisplayPath(error));
      });
}

}  // namespace nubrix

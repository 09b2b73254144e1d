#include "ui/CommandGuard.h"

#include <QApplication>
#include <exception>

#include "ui/UserDialogs.h"

namespace nubrix {

void RunGuarded(IUserDialogs& dialogs, QWidget* parent, const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& error) {
    dialogs.ShowError(parent, QString::fromUtf8(error.what()));
  } catch (...) {
    dialogs.ShowError(parent, QStringLiteral("An unexpected error occurred."));
  }
}

TBusyCursor::TBusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }

TBusyCursor::~TBusyCursor() { QApplication::restoreOverrideCursor(); }

}  // namespace nubrix

// What every command handler of the program runs inside: the application's default error
// display, and the busy cursor for commands that take a while.
#pragma once

#include <functional>

class QWidget;

namespace nubrix {

class IUserDialogs;

// Runs command; an error it does not catch is shown in a message box over parent and the
// program goes on. Qt never sees an exception pass through its event loop.
void RunGuarded(IUserDialogs& dialogs, QWidget* parent, const std::function<void()>& command);

// The hourglass while it lives; the cursor shown before comes back when it ends, also when an
// error passes through the scope.
class TBusyCursor {
 public:
  TBusyCursor();
  ~TBusyCursor();
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;
};

}  // namespace nubrix

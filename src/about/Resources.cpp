// The pictures and pages of the about box and the splash window live in this static library:
// their registration is asked for explicitly, or the linker would drop it.
#include "about/Resources.h"

#include <QtGlobal>

static void InitAboutResourcesOnce() { Q_INIT_RESOURCE(about); }

namespace nubrix::about {

void InitAboutResources() {
  static const bool done = [] {
    InitAboutResourcesOnce();
    return true;
  }();
  (void)done;
}

}  // namespace nubrix::about

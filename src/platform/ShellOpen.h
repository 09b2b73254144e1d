// Opening a folder in the desktop's file manager.
#pragma once

#include <string>

namespace nubrix::platform {

// Asks the desktop to open path with its default handler (the file manager for a folder).
// False when nothing could be started; the reason then stands in error.
bool OpenWithDesktop(const std::string& path, std::string* error = nullptr);

}  // namespace nubrix::platform

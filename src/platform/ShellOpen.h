// Opening a folder, a file or an address with the desktop's default handler.
#pragma once

#include <string>

namespace nubrix::platform {

// Asks the desktop to open path with its default handler (the file manager for a folder).
// False when nothing could be started; the reason then stands in error.
bool OpenWithDesktop(const std::string& path, std::string* error = nullptr);
// The same for a URI (https:, mailto:).
bool OpenUriWithDesktop(const std::string& uri, std::string* error = nullptr);

}  // namespace nubrix::platform

// Byte paths as people read them: valid UTF-8, a stray byte shown as U+FFFD. Never used to find
// the file again.
#pragma once

#include <QString>
#include <string>

namespace nubrix {

QString DisplayPath(const std::string& path);

}  // namespace nubrix

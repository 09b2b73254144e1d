#include "ui/DisplayText.h"

#include "platform/Paths.h"

namespace nubrix {

QString DisplayPath(const std::string& path) {
  return QString::fromStdString(platform::ShownPath(path));
}

}  // namespace nubrix

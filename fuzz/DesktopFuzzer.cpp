// Any bytes through the desktop-entry reader: parsing, Exec splitting, program lookup.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Shortcuts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  nubrix::platform::ReadDesktopEntryText(
      std::string_view(reinterpret_cast<const char*>(data), size), "/nonexistent/fuzz.desktop");
  return 0;
}

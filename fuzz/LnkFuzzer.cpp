// Any bytes through the .lnk reader: it must return, without reading past the data.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/Shortcuts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  nubrix::platform::ParseLnk(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}

// Any bytes through the trash's info file reader, with a top for relative paths and without.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/TrashItems.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  nubrix::platform::ParseTrashInfo(text, "/mnt/top");
  nubrix::platform::ParseTrashInfo(text, "");
  return 0;
}

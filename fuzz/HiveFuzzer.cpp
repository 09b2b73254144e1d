// Any bytes as a Wine hive: parsing must return, and the changes must keep the hive readable and
// every byte they do not concern.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/WineHive.h"

using nubrix::platform::TWineHive;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  TWineHive hive(text);
  if (hive.Text() != text) std::abort();
  if (hive.Keys().empty()) return 0;
  const nubrix::platform::THiveKey key = hive.Keys().front();
  if (!key.Values.empty()) {
    const std::string name = key.Values.front().Value.Name;
    const std::size_t valuesBefore = key.Values.size();
    if (!hive.DeleteValue(key.Path, name)) std::abort();
    const auto* after = hive.FindKey(key.Path);
    if (after == nullptr || after->Values.size() + 1 < valuesBefore) std::abort();
  }
  hive.SetValue(key.Path,
                {"fuzz", nubrix::platform::kRegSz, nubrix::platform::StringValueData("x")}, 1);
  const TWineHive reread(hive.Text());
  const auto* value = reread.FindValue(key.Path, "fuzz");
  if (value == nullptr || value->Value.Data != nubrix::platform::StringValueData("x")) std::abort();
  hive.DeleteKeyTree(key.Path, 1);
  return 0;
}

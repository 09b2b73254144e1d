// Any bytes as a registry script imported into a small hive in memory: it must return, and what
// it leaves must still read as a hive.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "registry/RegImport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  nubrix::platform::TMemoryRegistry store;
  store.SetHive(nubrix::platform::kHkeyCurrentUser,
                "WINE REGISTRY Version 2\n[Software\\\\A] 1\n\"v\"=\"1\"\n");
  nubrix::registry::ImportRegText(store,
                                  std::string_view(reinterpret_cast<const char*>(data), size));
  const auto* hive = store.Hive(nubrix::platform::kHkeyCurrentUser);
  if (hive == nullptr || !hive->HasSignature()) std::abort();
  if (nubrix::platform::TWineHive(hive->Text()).Keys().size() != hive->Keys().size()) std::abort();
  return 0;
}

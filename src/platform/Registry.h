// The registry accessor the export, the list editor and the traces commands share: a root, one
// open key at a time, paths relative to the root. Keys are never created by opening them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryStore.h"

namespace nubrix::platform {

class TRegistry {
 public:
  explicit TRegistry(IRegistryStore& store) : Store_(store) {}

  // Setting the root closes the open key.
  void SetRootKey(std::uint32_t root);
  std::uint32_t RootKey() const { return Root_; }

  // Opens path for reading and writing: false when it does not exist or may not be changed.
  bool OpenKey(std::string_view path);
  // Opens path for reading only.
  bool OpenKeyReadOnly(std::string_view path);
  void CloseKey() { Current_.reset(); }
  bool HasCurrentKey() const { return Current_.has_value(); }
  // Whether path exists; asks for reading only.
  bool KeyExists(std::string_view path);

  // Of the open key (empty lists when none is open), in the order the registry holds them.
  std::vector<std::string> GetValueNames();
  std::vector<std::string> GetKeyNames();
  bool ValueExists(std::string_view name);
  // kRegNone for a value that does not exist.
  std::uint32_t GetDataType(std::string_view name);
  // Its size in bytes; -1 for a value that does not exist.
  int GetDataSize(std::string_view name);
  // A string or expandable string ("" when the value does not exist); any other type throws
  // TRegistryError "Invalid data type for '<name>'".
  std::string ReadString(std::string_view name);
  // A 32-bit number; any other type, or no such value, throws.
  std::int32_t ReadInteger(std::string_view name);
  // Copies the value's bytes into buffer; throws when there is no such value or it does not fit.
  int ReadBinaryData(std::string_view name, void* buffer, int size);

  // Changes; false when nothing was changed (missing, refused). A refused change of the store
  // (a running wineserver, a file that cannot be written) throws TRegistryError.
  bool DeleteValue(std::string_view name);
  // Deletes these values of the open key in one change of its hive; how many there were.
  int DeleteValues(const std::vector<std::string>& names);
  // Deletes path with every key below it.
  bool DeleteKey(std::string_view path);

 private:
  std::string HivePath(std::string_view path) const;
  const TRegValue* Find(std::string_view name);
  const TRegValue& Need(std::string_view name);

  IRegistryStore& Store_;
  std::uint32_t Root_ = kHkeyCurrentUser;
  std::optional<std::string> Current_;  // the open key's path in its hive
};

}  // namespace nubrix::platform

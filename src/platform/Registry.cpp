#include "platform/Registry.h"

#include <cstring>

namespace nubrix::platform {

namespace {

std::string_view Trimmed(std::string_view path) {
  while (path.starts_with('\\')) path.remove_prefix(1);
  while (path.ends_with('\\')) path.remove_suffix(1);
  return path;
}

[[noreturn]] void Fail(const char* what, std::string_view name) {
  throw TRegistryError(std::string(what) + " '" + std::string(name) + "'");
}

}  // namespace

void TRegistry::SetRootKey(std::uint32_t root) {
  Root_ = root;
  CloseKey();
}

std::string TRegistry::HivePath(std::string_view path) const {
  std::string prefix = Store_.HivePrefix(Root_);
  path = Trimmed(path);
  if (prefix.empty() || path.empty()) return prefix + std::string(path);
  return prefix + "\\" + std::string(path);
}

bool TRegistry::KeyExists(std::string_view path) {
  const TWineHive* hive = Store_.Hive(Root_);
  return hive != nullptr && hive->KeyExists(HivePath(path));
}

bool TRegistry::OpenKeyReadOnly(std::string_view path) {
  CloseKey();
  if (!KeyExists(path)) return false;
  Current_ = HivePath(path);
  return true;
}

bool TRegistry::OpenKey(std::string_view path) {
  CloseKey();
  return Store_.Writable(Root_) && OpenKeyReadOnly(path);
}

std::vector<std::string> TRegistry::GetValueNames() {
  std::vector<std::string> names;
  const TWineHive* hive = Store_.Hive(Root_);
  if (!Current_ || hive == nullptr) return names;
  if (const THiveKey* key = hive->FindKey(*Current_)) {
    for (const THiveValue& value : key->Values) names.push_back(value.Value.Name);
  }
  return names;
}

std::vector<std::string> TRegistry::GetKeyNames() {
  const TWineHive* hive = Store_.Hive(Root_);
  if (!Current_ || hive == nullptr) return {};
  return hive->SubkeyNames(*Current_);
}

const TRegValue* TRegistry::Find(std::string_view name) {
  const TWineHive* hive = Store_.Hive(Root_);
  if (!Current_ || hive == nullptr) return nullptr;
  const THiveValue* value = hive->FindValue(*Current_, name);
  return value == nullptr ? nullptr : &value->Value;
}

const TRegValue& TRegistry::Need(std::string_view name) {
  const TRegValue* value = Find(name);
  if (value == nullptr) Fail("Failed to get data for", name);
  return *value;
}

bool TRegistry::ValueExists(std::string_view name) { return Find(name) != nullptr; }

std::uint32_t TRegistry::GetDataType(std::string_view name) {
  const TRegValue* value = Find(name);
  return value == nullptr ? kRegNone : value->Type;
}

int TRegistry::GetDataSize(std::string_view name) {
  const TRegValue* value = Find(name);
  return value == nullptr ? -1 : static_cast<int>(value->Data.size());
}

std::string TRegistry::ReadString(std::string_view name) {
  const TRegValue* value = Find(name);
  if (value == nullptr) return {};
  if (value->Type != kRegSz && value->Type != kRegExpandSz) Fail("Invalid data type for", name);
  return StringValueText(value->Data);
}

std::int32_t TRegistry::ReadInteger(std::string_view name) {
  const TRegValue& value = Need(name);
  if (value.Type != kRegDword || value.Data.size() != 4) Fail("Invalid data type for", name);
  std::uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(value.Data[i]);
  return static_cast<std::int32_t>(number);
}

int TRegistry::ReadBinaryData(std::string_view name, void* buffer, int size) {
  const TRegValue& value = Need(name);
  if (size < 0 || static_cast<std::size_t>(size) < value.Data.size()) {
    Fail("Failed to get data for", name);
  }
  if (!value.Data.empty()) std::memcpy(buffer, value.Data.data(), value.Data.size());
  return static_cast<int>(value.Data.size());
}

bool TRegistry::DeleteValue(std::string_view name) {
  if (!Current_ || !Store_.Writable(Root_)) return false;
  bool deleted = false;
  const std::string key = *Current_;
  Store_.Change(Root_, [&](TWineHive& hive) { return deleted = hive.DeleteValue(key, name); });
  return deleted;
}

int TRegistry::DeleteValues(const std::vector<std::string>& names) {
  if (!Current_ || !Store_.Writable(Root_) || names.empty()) return 0;
  int deleted = 0;
  const std::string key = *Current_;
  Store_.Change(Root_, [&](TWineHive& hive) {
    deleted = hive.DeleteValues(key, names);
    return deleted > 0;
  });
  return deleted;
}

bool TRegistry::DeleteKey(std::string_view path) {
  const std::string key = HivePath(path);
  if (Trimmed(path).empty() || !Store_.Writable(Root_) || !KeyExists(path)) return false;
  if (Current_ && Current_->size() >= key.size() &&
      SameRegName(Current_->substr(0, key.size()), key)) {
    CloseKey();
  }
  bool deleted = false;
  const std::int64_t now = Store_.Now();
  Store_.Change(Root_, [&](TWineHive& hive) { return deleted = hive.DeleteKeyTree(key, now); });
  return deleted;
}

}  // namespace nubrix::platform

// One hive of a Wine prefix's registry (user.reg, system.reg) in Wine's own text format: parsed
// for reading, and changed by splicing its text so that every byte a change does not concern
// stays as it was (comments, #time lines, escapes Wine chose, keys we cannot parse).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegistryTypes.h"

namespace nubrix::platform {

// The first line Wine insists on; a hive without it is never loaded (nor saved) by Wine.
inline constexpr std::string_view kWineHiveSignature = "WINE REGISTRY Version 2";

// A value parsed from the text, with the bytes of its lines (continuation lines included).
struct THiveValue {
  TRegValue Value;
  std::size_t Begin = 0;
  std::size_t End = 0;
};

// A key section: its header line up to the next header. ContentEnd is the end of its last value
// or option line, where a new value goes.
struct THiveKey {
  std::string Path;  // UTF-8, components joined by one backslash
  std::size_t Begin = 0;
  std::size_t End = 0;
  std::size_t ContentEnd = 0;
  std::vector<THiveValue> Values;
};

class TWineHive {
 public:
  TWineHive() = default;
  // Never fails: lines it cannot read are kept as they are and ignored.
  explicit TWineHive(std::string text);

  const std::string& Text() const { return Text_; }
  bool HasSignature() const { return HasSignature_; }
  const std::vector<THiveKey>& Keys() const { return Keys_; }

  // Names compare without regard to ASCII case; path "" is the hive's root.
  const THiveKey* FindKey(std::string_view path) const;
  // A key exists when it has a section or a key below it has one.
  bool KeyExists(std::string_view path) const;
  // The names of the keys right below path, in the order the file first mentions them.
  std::vector<std::string> SubkeyNames(std::string_view path) const;
  const THiveValue* FindValue(std::string_view path, std::string_view name) const;

  // Changes; each says whether it changed anything. unixTime stamps new and changed sections.
  bool DeleteValue(std::string_view path, std::string_view name);
  // Deletes these values of one key with a single pass over the text; how many there were.
  int DeleteValues(std::string_view path, const std::vector<std::string>& names);
  bool DeleteKeyTree(std::string_view path, std::int64_t unixTime);
  void CreateKey(std::string_view path, std::int64_t unixTime);
  void SetValue(std::string_view path, const TRegValue& value, std::int64_t unixTime);

 private:
  void Parse();
  void Splice(std::size_t begin, std::size_t end, std::string_view with);

  std::string Text_;
  bool HasSignature_ = false;
  std::vector<THiveKey> Keys_;
};

// Wine's escaping of a name or string for the hive text ("\\", "\"", C escapes, \x for what is
// not ASCII), and the lines of a value as Wine writes them (ending in a line feed).
std::string EscapeHiveText(std::u16string_view text, std::string_view alsoEscaped = "");
std::string HiveValueLines(const TRegValue& value);
// The header line (with its #time line) of a new section.
std::string HiveKeyLines(std::string_view path, std::int64_t unixTime);

}  // namespace nubrix::platform

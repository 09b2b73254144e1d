// The registry's vocabulary: the predefined roots, the value types, a value as the registry holds
// it, and the text conversions between its UTF-16 data and our UTF-8 byte strings.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace nubrix::platform {

constexpr std::uint32_t kHkeyClassesRoot = 0x80000000u;
constexpr std::uint32_t kHkeyCurrentUser = 0x80000001u;
constexpr std::uint32_t kHkeyLocalMachine = 0x80000002u;
constexpr std::uint32_t kHkeyUsers = 0x80000003u;
constexpr std::uint32_t kHkeyPerformanceData = 0x80000004u;
constexpr std::uint32_t kHkeyCurrentConfig = 0x80000005u;
constexpr std::uint32_t kHkeyDynData = 0x80000006u;

constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegDwordBigEndian = 5;
constexpr std::uint32_t kRegMultiSz = 7;
constexpr std::uint32_t kRegQword = 11;

// A value as the registry stores it: strings are UTF-16LE with their terminating zero, numbers
// little-endian, exactly as a program asking for the raw bytes would get them.
struct TRegValue {
  std::string Name;  // UTF-8; empty for the unnamed (default) value
  std::uint32_t Type = kRegNone;
  std::string Data;
};

// A read or a change of the registry that failed; the message is meant for the user.
class TRegistryError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "HKEY_CURRENT_USER" for its handle, "" for a handle that is no predefined root; and back (0 for
// a name that is none).
std::string RootKeyName(std::uint32_t rootKey);
std::uint32_t RootKeyFromName(std::string_view name);

// UTF-8 -> UTF-16 code units (bytes that are no valid UTF-8 become U+FFFD) and back (unpaired
// surrogates become U+FFFD).
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);
// UTF-16 units <-> their little-endian bytes (an odd last byte is dropped).
std::string Utf16ToBytes(std::u16string_view text);
std::u16string BytesToUtf16(std::string_view bytes);
// A string value's bytes for text, with the terminating zero; the text of a value's bytes, up to
// its first zero character.
std::string StringValueData(std::string_view utf8);
std::string StringValueText(std::string_view data);
// UTF-8 text in the Windows-1252 code page ("ANSI"); characters it cannot hold become '?'.
std::string Utf8ToAnsi(std::string_view text);
std::string AnsiToUtf8(std::string_view bytes);

// The value of a hexadecimal digit, -1 for any other character.
int HexDigit(char c);
// Bytes written as pairs of hex digits separated by commas (blanks allowed): false on anything
// else.
bool ReadHexBytes(std::string_view text, std::string& bytes);

// Registry names compare without regard to ASCII letter case.
bool SameRegName(std::string_view a, std::string_view b);

}  // namespace nubrix::platform

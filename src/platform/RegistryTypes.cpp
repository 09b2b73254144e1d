#include "platform/RegistryTypes.h"

#include <array>

#include "platform/Paths.h"

namespace nubrix::platform {

namespace {

constexpr std::array<std::string_view, 7> kRootNames = {
    "HKEY_CLASSES_ROOT",     "HKEY_CURRENT_USER",   "HKEY_LOCAL_MACHINE", "HKEY_USERS",
    "HKEY_PERFORMANCE_DATA", "HKEY_CURRENT_CONFIG", "HKEY_DYN_DATA"};

// Windows-1252 in 0x80..0x9F; the five bytes it leaves undefined stand for themselves.
constexpr std::array<char16_t, 32> kAnsiHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t DecodeUtf8(std::string_view text, std::size_t at, std::size_t length) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  if (length == 1) return byte(0);
  char32_t code = byte(0) & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) code = (code << 6) | (byte(i) & 0x3F);
  return code;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string RootKeyName(std::uint32_t rootKey) {
  const std::uint32_t index = rootKey - kHkeyClassesRoot;
  return rootKey >= kHkeyClassesRoot && index < kRootNames.size() ? std::string(kRootNames[index])
                                                                  : std::string();
}

std::uint32_t RootKeyFromName(std::string_view name) {
  for (std::size_t i = 0; i < kRootNames.size(); ++i) {
    if (SameRegName(name, kRootNames[i])) return kHkeyClassesRoot + static_cast<std::uint32_t>(i);
  }
  if (SameRegName(name, "HKCU")) return kHkeyCurrentUser;
  if (SameRegName(name, "HKLM")) return kHkeyLocalMachine;
  return 0;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, at);
    if (length == 0) {
      out += u'\uFFFD';
      ++at;
      continue;
    }
    const char32_t code = DecodeUtf8(text, at, length);
    at += length;
    if (code >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(code);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t code = text[i];
    if (code >= 0xD800 && code < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;
    }
    AppendUtf8(out, code);
  }
  return out;
}

std::string Utf16ToBytes(std::u16string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (const char16_t unit : text) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  }
  return out;
}

std::u16string BytesToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    out += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return out;
}

std::string StringValueData(std::string_view utf8) {
  return Utf16ToBytes(Utf8ToUtf16(utf8)) + std::string(2, '\0');
}

std::string StringValueText(std::string_view data) {
  std::u16string units = BytesToUtf16(data);
  if (const std::size_t zero = units.find(u'\0'); zero != std::u16string::npos) units.resize(zero);
  return Utf16ToUtf8(units);
}

std::string Utf8ToAnsi(std::string_view text) {
  std::string out;
  for (const char16_t unit : Utf8ToUtf16(text)) {
    if (unit < 0x80 || (unit >= 0xA0 && unit < 0x100)) {
      out += static_cast<char>(unit);
      continue;
    }
    char mapped = '?';
    for (std::size_t i = 0; i < kAnsiHigh.size(); ++i) {
      if (kAnsiHigh[i] == unit) mapped = static_cast<char>(0x80 + i);
    }
    out += mapped;
  }
  return out;
}

std::string AnsiToUtf8(std::string_view bytes) {
  std::u16string units;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    units += byte >= 0x80 && byte < 0xA0 ? kAnsiHigh[byte - 0x80] : static_cast<char16_t>(byte);
  }
  return Utf16ToUtf8(units);
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ReadHexBytes(std::string_view text, std::string& bytes) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == ',' || c == ' ' || c == '\t') {
      ++pos;
      continue;
    }
    if (pos + 1 >= text.size() || HexDigit(c) < 0 || HexDigit(text[pos + 1]) < 0) return false;
    bytes += static_cast<char>(HexDigit(c) * 16 + HexDigit(text[pos + 1]));
    pos += 2;
  }
  return true;
}

bool SameRegName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

}  // namespace nubrix::platform

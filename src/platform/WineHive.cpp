#include "platform/WineHive.h"

#include <algorithm>
#include <cstdio>

#include "platform/Paths.h"

namespace nubrix::platform {

namespace {

constexpr std::int64_t kFileTimeEpochOffset = 11644473600LL;  // 1601-01-01 to 1970-01-01, seconds
constexpr std::int64_t kFileTimeUnitsPerSecond = 10000000LL;
constexpr int kHexLineColumns = 76;

void AppendCodePoint(std::u16string& out, std::string_view text, std::size_t& pos) {
  const std::size_t length = Utf8SequenceLength(text, pos);
  if (length <= 1) {
    out += static_cast<char16_t>(static_cast<unsigned char>(text[pos]));
    ++pos;
    return;
  }
  out += Utf8ToUtf16(text.substr(pos, length));
  pos += length;
}

std::uint32_t ReadNumber(std::string_view text, std::size_t& pos, int base, int maxDigits) {
  std::uint32_t value = 0;
  for (int digits = 0; digits < maxDigits && pos < text.size(); ++digits) {
    const int digit = HexDigit(text[pos]);
    if (digit < 0 || digit >= base) break;
    value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
    ++pos;
  }
  return value;
}

bool ReadLetterEscape(char c, char16_t& unit) {
  constexpr std::string_view kLetters = "abtnvfre";
  constexpr char16_t kUnits[] = {7, 8, 9, 10, 11, 12, 13, 27};
  const std::size_t at = kLetters.find(c);
  if (at == std::string_view::npos) return false;
  unit = kUnits[at];
  return true;
}

// Reads Wine's escaped text from pos up to the unescaped endChar (consumed); false when the text
// ends first.
bool ReadEscaped(std::string_view text, std::size_t& pos, char endChar, std::u16string& out) {
  while (pos < text.size()) {
    // Most of a hive is plain ASCII: a run of it is copied at once.
    std::size_t run = pos;
    while (run < text.size() && static_cast<unsigned char>(text[run]) < 0x80 &&
           text[run] != endChar && text[run] != '\\') {
      ++run;
    }
    if (run > pos) {
      out.append(text.begin() + static_cast<std::ptrdiff_t>(pos),
                 text.begin() + static_cast<std::ptrdiff_t>(run));
      pos = run;
      continue;
    }
    const char c = text[pos];
    if (c == endChar) {
      ++pos;
      return true;
    }
    if (c != '\\') {
      AppendCodePoint(out, text, pos);
      continue;
    }
    if (++pos >= text.size()) return false;
    const char escaped = text[pos];
    char16_t unit = 0;
    if (ReadLetterEscape(escaped, unit)) {
      out += unit;
      ++pos;
    } else if (escaped == 'x' && pos + 1 < text.size() && HexDigit(text[pos + 1]) >= 0) {
      ++pos;
      out += static_cast<char16_t>(ReadNumber(text, pos, 16, 4));
    } else if (escaped >= '0' && escaped <= '7') {
      out += static_cast<char16_t>(ReadNumber(text, pos, 8, 3));
    } else {
      AppendCodePoint(out, text, pos);
    }
  }
  return false;
}

bool ReadTypeNumber(std::string_view text, std::size_t& pos, std::uint32_t& type) {
  if (pos >= text.size() || text[pos] != '(') return false;
  std::size_t end = text.find(')', pos);
  if (end == std::string_view::npos || end == pos + 1 || end - pos > 9) return false;
  type = 0;
  for (std::size_t i = pos + 1; i < end; ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) return false;
    type = type * 16 + static_cast<std::uint32_t>(digit);
  }
  pos = end + 1;
  return true;
}

bool ReadStringData(std::string_view text, std::size_t pos, std::string& data) {
  if (pos >= text.size() || text[pos] != '"') return false;
  ++pos;
  std::u16string units;
  if (!ReadEscaped(text, pos, '"', units)) return false;
  data = Utf16ToBytes(units) + std::string(2, '\0');
  return true;
}

// The data part after "=": "...", str(N):"...", dword:..., hex:..., hex(N):...
bool ReadValueData(std::string_view text, TRegValue& value) {
  if (!text.empty() && text[0] == '"') {
    value.Type = kRegSz;
    return ReadStringData(text, 0, value.Data);
  }
  std::size_t pos = 0;
  if (text.starts_with("str")) {
    pos = 3;
    value.Type = kRegSz;
    if (pos < text.size() && text[pos] == '(' && !ReadTypeNumber(text, pos, value.Type))
      return false;
    if (pos >= text.size() || text[pos] != ':') return false;
    return ReadStringData(text, pos + 1, value.Data);
  }
  if (text.starts_with("dword:")) {
    pos = 6;
    const std::uint32_t number = ReadNumber(text, pos, 16, 8);
    if (pos == 6) return false;
    value.Type = kRegDword;
    value.Data.clear();
    for (int shift = 0; shift < 32; shift += 8) value.Data += static_cast<char>(number >> shift);
    return true;
  }
  if (text.starts_with("hex")) {
    pos = 3;
    value.Type = kRegBinary;
    if (pos < text.size() && text[pos] == '(' && !ReadTypeNumber(text, pos, value.Type))
      return false;
    if (pos >= text.size() || text[pos] != ':') return false;
    return ReadHexBytes(text.substr(pos + 1), value.Data);
  }
  return false;
}

std::string_view LineAt(std::string_view text, std::size_t begin, std::size_t& next) {
  std::size_t end = text.find('\n', begin);
  next = end == std::string_view::npos ? text.size() : end + 1;
  if (end == std::string_view::npos) end = text.size();
  std::string_view line = text.substr(begin, end - begin);
  if (line.ends_with('\r')) line.remove_suffix(1);
  return line;
}

bool IsBelow(std::string_view keyPath, std::string_view path) {
  if (path.empty()) return !keyPath.empty();
  return keyPath.size() > path.size() && keyPath[path.size()] == '\\' &&
         SameRegName(keyPath.substr(0, path.size()), path);
}

std::string ParentPath(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

bool ParseKeyLine(std::string_view line, std::string& path) {
  std::size_t pos = 1;
  std::u16string units;
  if (!ReadEscaped(line, pos, ']', units)) return false;
  path = Utf16ToUtf8(units);
  return true;
}

// A value line (with its continuation lines) from begin; next is set past its last line.
bool ParseValueLines(std::string_view text, std::size_t begin, std::size_t& next,
                     TRegValue& value) {
  std::string_view line = LineAt(text, begin, next);
  std::size_t pos = 0;
  if (line[0] == '@') {
    pos = 1;
  } else {
    pos = 1;
    std::u16string name;
    if (!ReadEscaped(line, pos, '"', name)) return false;
    value.Name = Utf16ToUtf8(name);
  }
  if (pos >= line.size() || line[pos] != '=') return false;
  std::string data(line.substr(pos + 1));
  if (data.starts_with("hex")) {
    // Wine indents its continuation lines; an unindented line is never one.
    while (data.ends_with('\\') && next < text.size() &&
           (text[next] == ' ' || text[next] == '\t')) {
      data.pop_back();
      std::string_view more = LineAt(text, next, next);
      while (!more.empty() && (more[0] == ' ' || more[0] == '\t')) more.remove_prefix(1);
      data += more;
    }
  }
  return ReadValueData(data, value);
}

std::string UnitHex(unsigned value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*x", width, value);
  return buffer;
}

bool IsOctalDigit(char16_t c) { return c >= '0' && c <= '7'; }
bool IsHexDigit(char16_t c) { return c < 0x80 && HexDigit(static_cast<char>(c)) >= 0; }

std::string NamePart(std::string_view name) {
  return name.empty() ? std::string("@") : "\"" + EscapeHiveText(Utf8ToUtf16(name)) + "\"";
}

bool IsTerminatedString(const TRegValue& value) {
  const std::string& data = value.Data;
  return (value.Type == kRegSz || value.Type == kRegExpandSz || value.Type == kRegMultiSz) &&
         data.size() >= 2 && data.size() % 2 == 0 && data[data.size() - 1] == '\0' &&
         data[data.size() - 2] == '\0';
}

std::string HexData(const TRegValue& value, std::size_t column) {
  std::string out = value.Type == kRegBinary ? "hex:" : "hex(" + UnitHex(value.Type, 0) + "):";
  column += out.size();
  for (std::size_t i = 0; i < value.Data.size(); ++i) {
    out += UnitHex(static_cast<unsigned char>(value.Data[i]), 2);
    column += 2;
    if (i + 1 < value.Data.size()) {
      out += ',';
      if (++column > kHexLineColumns) {
        out += "\\\n  ";
        column = 2;
      }
    }
  }
  return out;
}

}  // namespace

TWineHive::TWineHive(std::string text) : Text_(std::move(text)) { Parse(); }

void TWineHive::Parse() {
  Keys_.clear();
  const std::string_view text = Text_;
  std::size_t next = 0;
  HasSignature_ = LineAt(text, 0, next) == kWineHiveSignature;
  for (std::size_t begin = 0; begin < text.size(); begin = next) {
    const std::string_view line = LineAt(text, begin, next);
    if (line.empty()) continue;
    if (line[0] == '[') {
      if (!Keys_.empty()) Keys_.back().End = begin;
      THiveKey key;
      if (!ParseKeyLine(line, key.Path)) continue;
      key.Begin = begin;
      key.ContentEnd = next;
      Keys_.push_back(std::move(key));
      continue;
    }
    if (Keys_.empty()) continue;
    THiveKey& key = Keys_.back();
    if (line[0] == '"' || line[0] == '@') {
      THiveValue value;
      value.Begin = begin;
      if (ParseValueLines(text, begin, next, value.Value)) {
        value.End = next;
        key.Values.push_back(std::move(value));
      }
      key.ContentEnd = next;
    } else if (line[0] == '#') {
      key.ContentEnd = next;
    }
  }
  if (!Keys_.empty()) Keys_.back().End = text.size();
}

const THiveKey* TWineHive::FindKey(std::string_view path) const {
  for (const THiveKey& key : Keys_) {
    if (SameRegName(key.Path, path)) return &key;
  }
  return nullptr;
}

bool TWineHive::KeyExists(std::string_view path) const {
  if (path.empty()) return true;
  return std::any_of(Keys_.begin(), Keys_.end(), [&](const THiveKey& key) {
    return SameRegName(key.Path, path) || IsBelow(key.Path, path);
  });
}

std::vector<std::string> TWineHive::SubkeyNames(std::string_view path) const {
  std::vector<std::string> names;
  const std::size_t skip = path.empty() ? 0 : path.size() + 1;
  for (const THiveKey& key : Keys_) {
    if (!IsBelow(key.Path, path)) continue;
    const std::string_view rest = std::string_view(key.Path).substr(skip);
    const std::string_view name = rest.substr(0, rest.find('\\'));
    if (name.empty()) continue;
    const bool known = std::any_of(names.begin(), names.end(), [&](const std::string& seen) {
      return SameRegName(seen, name);
    });
    if (!known) names.emplace_back(name);
  }
  return names;
}

const THiveValue* TWineHive::FindValue(std::string_view path, std::string_view name) const {
  const THiveKey* key = FindKey(path);
  if (key == nullptr) return nullptr;
  for (const THiveValue& value : key->Values) {
    if (SameRegName(value.Value.Name, name)) return &value;
  }
  return nullptr;
}

void TWineHive::Splice(std::size_t begin, std::size_t end, std::string_view with) {
  Text_.replace(begin, end - begin, with);
  Parse();
}

bool TWineHive::DeleteValue(std::string_view path, std::string_view name) {
  const THiveValue* value = FindValue(path, name);
  if (value == nullptr) return false;
  Splice(value->Begin, value->End, "");
  return true;
}

int TWineHive::DeleteValues(std::string_view path, const std::vector<std::string>& names) {
  const auto key = std::find_if(Keys_.begin(), Keys_.end(),
                                [&](const THiveKey& k) { return SameRegName(k.Path, path); });
  if (key == Keys_.end()) return 0;
  const auto named = [&](const THiveValue& value) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
      return SameRegName(value.Value.Name, name);
    });
  };
  // The lines go from the text and every place after them moves up: no new parse of a large hive.
  std::size_t removed = 0;
  std::vector<THiveValue> kept;
  for (THiveValue& value : key->Values) {
    if (named(value)) {
      const std::size_t begin = value.Begin - removed;
      Text_.erase(begin, value.End - value.Begin);
      removed += value.End - value.Begin;
      continue;
    }
    value.Begin -= removed;
    value.End -= removed;
    kept.push_back(std::move(value));
  }
  const int deleted = static_cast<int>(key->Values.size() - kept.size());
  key->Values = std::move(kept);
  key->ContentEnd -= removed;
  key->End -= removed;
  for (auto later = key + 1; later != Keys_.end(); ++later) {
    later->Begin -= removed;
    later->End -= removed;
    later->ContentEnd -= removed;
    for (THiveValue& value : later->Values) {
      value.Begin -= removed;
      value.End -= removed;
    }
  }
  return deleted;
}

bool TWineHive::DeleteKeyTree(std::string_view path, std::int64_t unixTime) {
  if (path.empty()) return false;
  std::vector<std::pair<std::size_t, std::size_t>> ranges;
  for (const THiveKey& key : Keys_) {
    if (SameRegName(key.Path, path) || IsBelow(key.Path, path))
      ranges.emplace_back(key.Begin, key.End);
  }
  if (ranges.empty()) return false;
  const std::string parent = ParentPath(path);
  std::sort(ranges.rbegin(), ranges.rend());
  for (const auto& [begin, end] : ranges) Text_.erase(begin, end - begin);
  Parse();
  // A key lives on after its last subkey is gone: Wine would write it as an empty section.
  if (!parent.empty() && !KeyExists(parent)) {
    Splice(ranges.back().first, ranges.back().first, HiveKeyLines(parent, unixTime) + "\n");
  }
  return true;
}

void TWineHive::CreateKey(std::string_view path, std::int64_t unixTime) {
  if (KeyExists(path)) return;
  std::string tail;
  if (!Text_.empty() && !Text_.ends_with('\n')) tail += '\n';
  tail += '\n' + HiveKeyLines(path, unixTime);
  Splice(Text_.size(), Text_.size(), tail);
}

void TWineHive::SetValue(std::string_view path, const TRegValue& value, std::int64_t unixTime) {
  if (FindKey(path) == nullptr) {
    std::string tail;
    if (!Text_.empty() && !Text_.ends_with('\n')) tail += '\n';
    tail += '\n' + HiveKeyLines(path, unixTime) + HiveValueLines(value);
    Splice(Text_.size(), Text_.size(), tail);
    return;
  }
  if (const THiveValue* old = FindValue(path, value.Name)) {
    Splice(old->Begin, old->End, HiveValueLines(value));
    return;
  }
  const std::size_t at = FindKey(path)->ContentEnd;
  const bool needsBreak = at > 0 && Text_[at - 1] != '\n';
  Splice(at, at, (needsBreak ? "\n" : "") + HiveValueLines(value));
}

std::string EscapeHiveText(std::u16string_view text, std::string_view alsoEscaped) {
  constexpr char kLetters[] = ".......abtnvfr.............e....";
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const char16_t following = i + 1 < text.size() ? text[i + 1] : 0;
    if (c > 127) {
      out += "\\x" + UnitHex(c, IsHexDigit(following) ? 4 : 0);
    } else if (c < ' ') {
      if (kLetters[c] != '.') {
        out += '\\';
        out += kLetters[c];
      } else {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, IsOctalDigit(following) ? "\\%03o" : "\\%o", c);
        out += buffer;
      }
    } else if (c == '\\' || c == '"' ||
               alsoEscaped.find(static_cast<char>(c)) != std::string_view::npos) {
      out += '\\';
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string HiveValueLines(const TRegValue& value) {
  std::string line = NamePart(value.Name) + "=";
  if (IsTerminatedString(value)) {
    std::u16string units = BytesToUtf16(value.Data);
    units.pop_back();
    if (value.Type != kRegSz) line += "str(" + UnitHex(value.Type, 0) + "):";
    line += "\"" + EscapeHiveText(units) + "\"";
  } else if (value.Type == kRegDword && value.Data.size() == 4) {
    std::uint32_t number = 0;
    for (int i = 3; i >= 0; --i) number = (number << 8) | static_cast<unsigned char>(value.Data[i]);
    line += "dword:" + UnitHex(number, 8);
  } else {
    line += HexData(value, line.size());
  }
  return line + "\n";
}

std::string HiveKeyLines(std::string_view path, std::int64_t unixTime) {
  const auto fileTime = static_cast<unsigned long long>(unixTime + kFileTimeEpochOffset) *
                        static_cast<unsigned long long>(kFileTimeUnitsPerSecond);
  char stamp[24];
  std::snprintf(stamp, sizeof stamp, "%llx", fileTime);
  return "[" + EscapeHiveText(Utf8ToUtf16(path), "[]") + "] " + std::to_string(unixTime) +
         "\n#time=" + stamp + "\n";
}

}  // namespace nubrix::platform

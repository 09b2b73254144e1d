#include "registry/RegImport.h"

#include <map>
#include <vector>

namespace nubrix::registry {

namespace {

using platform::TRegValue;

constexpr std::string_view kVersion4 = "REGEDIT4";
constexpr std::string_view kVersion5 = "Windows Registry Editor Version 5.00";

enum class TOpKind { CreateKey, DeleteKey, SetValue, DeleteValue };

struct TOp {
  TOpKind Kind = TOpKind::CreateKey;
  std::string Path;  // in the hive
  TRegValue Value;
};

std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && (text[0] == ' ' || text[0] == '\t')) text.remove_prefix(1);
  return text;
}

std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

// The file as UTF-8 lines, and whether it is a version 5 file (strings of hex(1/2/7) in UTF-16).
bool DecodeFile(std::string_view bytes, std::string& text, bool& version5) {
  if (bytes.starts_with("\xFF\xFE")) {
    text = platform::Utf16ToUtf8(platform::BytesToUtf16(bytes.substr(2)));
  } else if (bytes.starts_with("\xEF\xBB\xBF")) {
    text = bytes.substr(3);
  } else {
    text = platform::AnsiToUtf8(bytes);
  }
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = TrimRight(TrimLeft(rest.substr(0, end)));
    if (!line.empty()) {
      version5 = line == kVersion5;
      return line == kVersion5 || line == kVersion4;
    }
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
  }
  return false;
}

// The text between a script's quotes: backslashes and quotes may come escaped, and a quote may
// also stand alone (our own backups write quotes unescaped).
std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    const char c = text[pos];
    if (c != '\\' || pos + 1 == text.size()) {
      out += c;
      continue;
    }
    const char next = text[++pos];
    if (next == '\\' || next == '"') {
      out += next;
    } else if (next == 'n' || next == 'r') {
      out += next == 'n' ? '\n' : '\r';
    } else {
      out += c;
      out += next;
    }
  }
  return out;
}

bool IsStringType(std::uint32_t type) {
  return type == platform::kRegSz || type == platform::kRegExpandSz ||
         type == platform::kRegMultiSz;
}

bool ReadData(std::string_view data, bool version5, TRegValue& value) {
  if (data.starts_with('"')) {
    if (data.size() < 2 || !data.ends_with('"')) return false;
    value.Type = platform::kRegSz;
    value.Data = platform::StringValueData(Unescape(data.substr(1, data.size() - 2)));
    return true;
  }
  if (data.starts_with("dword:")) {
    const std::string_view digits = data.substr(6);
    if (digits.empty() || digits.size() > 8) return false;
    std::uint32_t number = 0;
    for (const char c : digits) {
      if (platform::HexDigit(c) < 0) return false;
      number = number * 16 + static_cast<std::uint32_t>(platform::HexDigit(c));
    }
    value.Type = platform::kRegDword;
    for (int shift = 0; shift < 32; shift += 8) value.Data += static_cast<char>(number >> shift);
    return true;
  }
  if (!data.starts_with("hex")) return false;
  std::size_t pos = 3;
  value.Type = platform::kRegBinary;
  if (pos < data.size() && data[pos] == '(') {
    const std::size_t close = data.find(')', pos);
    if (close == std::string_view::npos || close == pos + 1 || close - pos > 9) return false;
    value.Type = 0;
    for (std::size_t i = pos + 1; i < close; ++i) {
      if (platform::HexDigit(data[i]) < 0) return false;
      value.Type = value.Type * 16 + static_cast<std::uint32_t>(platform::HexDigit(data[i]));
    }
    pos = close + 1;
  }
  if (pos >= data.size() || data[pos] != ':' ||
      !platform::ReadHexBytes(data.substr(pos + 1), value.Data)) {
    return false;
  }
  // Strings in a REGEDIT4 file are ANSI bytes; the registry holds them in UTF-16.
  if (!version5 && IsStringType(value.Type)) {
    value.Data = platform::Utf16ToBytes(platform::Utf8ToUtf16(platform::AnsiToUtf8(value.Data)));
  }
  return true;
}

class TParser {
 public:
  TParser(platform::IRegistryStore& store, bool version5) : Store_(store), Version5_(version5) {}

  void Line(std::string_view line, int number) {
    line = TrimLeft(line);
    if (line.empty() || line[0] == ';' || line == kVersion4 || line == kVersion5) return;
    const bool ok = line[0] == '['                     ? Header(line)
                    : line[0] == '"' || line[0] == '@' ? Value(line)
                                                       : false;
    if (ok) return;
    ++Refused;
    if (Error.empty()) {
      Error =
          "line " + std::to_string(number) + " cannot be read: " + std::string(line.substr(0, 60));
    }
  }

  std::map<std::uint32_t, std::vector<TOp>> Ops;
  std::string Error;  // the first line that could not be read
  int Refused = 0;    // lines not imported, the values below a refused header among them

 private:
  // A header that cannot be used leaves no key open: the values below it go nowhere, never into
  // the key before it.
  bool Header(std::string_view line) {
    InKey_ = false;
    const std::size_t close = line.rfind(']');
    if (close == std::string_view::npos) return false;
    std::string_view path = line.substr(1, close - 1);
    const bool remove = path.starts_with('-');
    if (remove) path.remove_prefix(1);
    const std::size_t slash = path.find('\\');
    Root_ = platform::RootKeyFromName(path.substr(0, slash));
    if (Root_ == 0) return false;
    std::string key =
        slash == std::string_view::npos ? std::string() : std::string(path.substr(slash + 1));
    while (key.ends_with('\\')) key.pop_back();
    // A whole root is never deleted: [-HKEY_CLASSES_ROOT] would take every class of the machine.
    if (remove && key.empty()) return false;
    const std::string prefix = Store_.HivePrefix(Root_);
    Path_ = prefix.empty() || key.empty() ? prefix + key : prefix + "\\" + key;
    if (Path_.empty()) return false;  // the root itself can be neither created nor deleted
    Ops[Root_].push_back({remove ? TOpKind::DeleteKey : TOpKind::CreateKey, Path_, {}});
    InKey_ = !remove;
    return true;
  }

  bool Value(std::string_view line) {
    if (!InKey_) return false;
    if (line[0] == '@') {
      const std::size_t equals = line.find_first_not_of(" \t", 1);
      return equals != std::string_view::npos && line[equals] == '=' &&
             AddValue({}, line.substr(equals + 1));
    }
    // A name may hold unescaped quotes: the first '"=' after which a value follows ends it.
    for (std::size_t end = line.find("\"=", 1); end != std::string_view::npos;
         end = line.find("\"=", end + 1)) {
      if (AddValue(Unescape(line.substr(1, end - 1)), line.substr(end + 2))) return true;
    }
    return false;
  }

  bool AddValue(std::string name, std::string_view dataPart) {
    TOp op{TOpKind::SetValue, Path_, {}};
    op.Value.Name = std::move(name);
    const std::string_view data = TrimRight(TrimLeft(dataPart));
    if (data == "-") {
      op.Kind = TOpKind::DeleteValue;
    } else if (!ReadData(data, Version5_, op.Value)) {
      return false;
    }
    Ops[Root_].push_back(std::move(op));
    return true;
  }

  platform::IRegistryStore& Store_;
  bool Version5_;
  std::uint32_t Root_ = 0;
  std::string Path_;
  bool InKey_ = false;
};

bool Apply(platform::TWineHive& hive, const TOp& op, std::int64_t now) {
  switch (op.Kind) {
    case TOpKind::CreateKey:
      if (hive.KeyExists(op.Path)) return false;
      hive.CreateKey(op.Path, now);
      return true;
    case TOpKind::DeleteKey:
      return hive.DeleteKeyTree(op.Path, now);
    case TOpKind::SetValue:
      hive.SetValue(op.Path, op.Value, now);
      return true;
    case TOpKind::DeleteValue:
      return hive.DeleteValue(op.Path, op.Value.Name);
  }
  return false;
}

}  // namespace

TRegImportResult ImportRegText(platform::IRegistryStore& store, std::string_view fileBytes) {
  TRegImportResult result;
  std::string text;
  bool version5 = false;
  if (!DecodeFile(fileBytes, text, version5)) {
    result.Error = "the file is not a registry script.";
    return result;
  }
  TParser parser(store, version5);
  // A script with CR LF line ends keeps a bare line feed inside a string as part of it.
  const std::string_view lineEnd = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
  std::string_view rest = text;
  const auto nextLine = [&] {
    const std::size_t end = rest.find(lineEnd);
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + lineEnd.size());
    return line;
  };
  for (int number = 1; !rest.empty(); ++number) {
    std::string line(TrimRight(nextLine()));
    const int first = number;
    while (line.ends_with('\\') && !rest.empty()) {
      line.pop_back();
      line += TrimLeft(TrimRight(nextLine()));
      ++number;
    }
    parser.Line(line, first);
  }
  result.Error = parser.Error;
  if (parser.Refused > 1) {
    result.Error += "; " + std::to_string(parser.Refused) + " lines in all were not imported";
  }
  for (const auto& entry : parser.Ops) {
    const std::vector<TOp>& ops = entry.second;
    try {
      int changes = 0;
      const std::int64_t now = store.Now();
      store.Change(entry.first, [&](platform::TWineHive& hive) {
        for (const TOp& op : ops) changes += Apply(hive, op, now) ? 1 : 0;
        return changes > 0;
      });
      result.Changes += changes;
    } catch (const platform::TRegistryError& error) {
      if (result.Error.empty()) result.Error = error.what();
    }
  }
  return result;
}

std::string ImportQuestion(const std::string& shownFileName) {
  return "Are you sure you want to add the information in " + shownFileName + " to the registry?";
}

std::string ImportSuccessNote(const std::string& shownFileName) {
  return "The keys and values contained in " + shownFileName +
         " have been successfully added to the registry.";
}

std::string ImportErrorNote(const std::string& shownFileName, const std::string& error) {
  return "Cannot import " + shownFileName + ": " + error;
}

}  // namespace nubrix::registry

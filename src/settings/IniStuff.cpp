#include "settings/IniStuff.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <fstream>
#include <sstream>

#include "platform/Paths.h"

namespace nubrix {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && (IsBlank(text.back()) || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) {
      return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// A section header's name, or false for any other line.
bool SectionName(std::string_view line, std::string_view& name) {
  const std::string_view text = Trim(line);
  if (text.empty() || text.front() != '[') return false;
  const std::size_t close = text.find(']');
  name = Trim(text.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
  return true;
}

bool IsComment(std::string_view line) {
  const std::string_view text = Trim(line);
  return !text.empty() && text.front() == ';';
}

// The folder and the parents it lacks; true when it is a folder now.
bool MakeFolders(const std::string& folder) {
  struct stat info {};
  if (stat(folder.c_str(), &info) == 0) return S_ISDIR(info.st_mode);
  for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1)) {
    mkdir(folder.substr(0, slash).c_str(), 0755);
  }
  mkdir(folder.c_str(), 0755);
  return stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

TIniWriteError::TIniWriteError(const std::string& fileName)
    : std::runtime_error("Unable to write to " + fileName) {}

TIniCreateError::TIniCreateError(const std::string& path)
    : std::runtime_error("Could not create " + path) {}

bool ParseIniInteger(std::string_view text, std::int32_t& value) {
  text = Trim(text);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  long long result = 0;
  for (char c : text) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return false;
    result = result * base + digit;
    // Hexadecimal may spell the whole 32 bits (0xFFFFFFFF is -1); decimal must fit.
    if (result > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL)) return false;
  }
  if (base == 16 && !negative) {
    value = static_cast<std::int32_t>(static_cast<std::uint32_t>(result));
    return true;
  }
  if (negative) result = -result;
  if (result < INT32_MIN || result > INT32_MAX) return false;
  value = static_cast<std::int32_t>(result);
  return true;
}

TIniFile::TIniFile(std::string fileName) : FileName_(std::move(fileName)) {
  std::ifstream file(FileName_, std::ios::binary);
  if (!file) return;
  std::ostringstream read;
  read << file.rdbuf();
  std::string text = read.str();
  if (text.starts_with(kBom)) {
    ByteOrderMark_ = kBom;
    text.erase(0, kBom.size());
  }
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find('\n', pos);
    TLine line;
    if (end == std::string::npos) {
      line.Text = text.substr(pos);
      pos = text.size();
    } else {
      line.Text = text.substr(pos, end - pos);
      line.Ending = "\n";
      if (!line.Text.empty() && line.Text.back() == '\r') {
        line.Text.pop_back();
        line.Ending = "\r\n";
      }
      pos = end + 1;
    }
    Lines_.push_back(std::move(line));
  }
}

std::size_t TIniFile::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < Lines_.size(); ++i) {
    std::string_view name;
    if (SectionName(Lines_[i].Text, name) && SameName(name, section)) return i;
  }
  return std::string::npos;
}

std::size_t TIniFile::SectionEnd(std::size_t header) const {
  std::size_t end = header + 1;
  for (std::size_t i = header + 1; i < Lines_.size(); ++i) {
    std::string_view name;
    if (SectionName(Lines_[i].Text, name)) break;
    if (!Trim(Lines_[i].Text).empty()) end = i + 1;
  }
  return end;
}

bool TIniFile::FindKey(std::string_view section, std::string_view key, TPlace& place) const {
  const std::size_t header = FindSection(section);
  if (header == std::string::npos) return false;
  for (std::size_t i = header + 1; i < Lines_.size(); ++i) {
    std::string_view name;
    if (SectionName(Lines_[i].Text, name)) return false;
    if (IsComment(Lines_[i].Text)) continue;
    const std::string_view text = Lines_[i].Text;
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) continue;
    if (SameName(Trim(text.substr(0, equals)), Trim(key))) {
      place = {i, equals + 1};
      return true;
    }
  }
  return false;
}

bool TIniFile::ValueExists(std::string_view section, std::string_view key) const {
  TPlace place{};
  return FindKey(section, key, place);
}

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view fallback) const {
  TPlace place{};
  if (!FindKey(section, key, place)) return std::string(fallback);
  std::string_view value = Trim(std::string_view(Lines_[place.Line].Text).substr(place.ValueStart));
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
    value = value.substr(1, value.size() - 2);
  return std::string(value.substr(0, kMaxIniString));
}

std::int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key,
                                   std::int32_t fallback) const {
  std::int32_t value = 0;
  return ParseIniInteger(ReadString(section, key, ""), value) ? value : fallback;
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool fallback) const {
  return ReadInteger(section, key, fallback ? 1 : 0) != 0;
}

std::string TIniFile::NewLineEnding() const {
  std::size_t crlf = 0;
  for (const TLine& line : Lines_) crlf += line.Ending == "\r\n";
  return crlf * 2 > Lines_.size() ? "\r\n" : "\n";
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != std::string_view::npos;
}

std::vector<std::string> TIniFile::KeyNames(std::string_view section) const {
  std::vector<std::string> names;
  const std::size_t header = FindSection(section);
  if (header == std::string::npos) return names;
  for (std::size_t i = header + 1; i < Lines_.size(); ++i) {
    std::string_view name;
    if (SectionName(Lines_[i].Text, name)) break;
    if (IsComment(Lines_[i].Text)) continue;
    const std::string_view text = Lines_[i].Text;
    // A line without "=" is a key too, with no value, as the system's INI reader lists it.
    const std::string_view key = Trim(text.substr(0, text.find('=')));
    if (!key.empty()) names.emplace_back(key);
  }
  return names;
}

bool TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
      key.find('=') != std::string_view::npos) {
    return false;
  }
  TPlace place{};
  if (FindKey(section, key, place)) {
    // The key keeps the spelling the file gave it.
    std::string& line = Lines_[place.Line].Text;
    line = std::string(Trim(std::string_view(line).substr(0, place.ValueStart - 1))) + "=" +
           std::string(value);
    return true;
  }
  const std::string entry = std::string(Trim(key)) + "=" + std::string(value);
  const std::string ending = NewLineEnding();
  // A last line without its line end gets one before anything follows it.
  if (!Lines_.empty() && Lines_.back().Ending.empty()) Lines_.back().Ending = ending;
  std::size_t header = FindSection(section);
  if (header == std::string::npos) {
    Lines_.push_back({"[" + std::string(section) + "]", ending});
    header = Lines_.size() - 1;
  }
  const std::size_t at = SectionEnd(header);
  Lines_.insert(Lines_.begin() + static_cast<long>(at), TLine{entry, ending});
  return true;
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, std::int64_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::EraseSection(std::string_view section) {
  const std::size_t header = FindSection(section);
  if (header == std::string::npos) return;
  std::size_t end = header + 1;
  std::string_view name;
  while (end < Lines_.size() && !SectionName(Lines_[end].Text, name)) ++end;
  Lines_.erase(Lines_.begin() + static_cast<long>(header), Lines_.begin() + static_cast<long>(end));
}

void TIniFile::AddSection(std::string_view section) {
  if (FindSection(section) != std::string::npos) return;
  const std::string ending = NewLineEnding();
  if (!Lines_.empty() && Lines_.back().Ending.empty()) Lines_.back().Ending = ending;
  Lines_.push_back({"[" + std::string(section) + "]", ending});
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  TPlace place{};
  if (FindKey(section, key, place)) Lines_.erase(Lines_.begin() + static_cast<long>(place.Line));
}

std::string TIniFile::Text() const {
  std::string text = ByteOrderMark_;
  for (const TLine& line : Lines_) text += line.Text + line.Ending;
  return text;
}

void TIniFile::UpdateFile() const {
  if (platform::ReplaceFileAtomically(FileName_, Text()) != 0) throw TIniWriteError(FileName_);
}

bool EnsureIniFile(const std::string& fileName, const TIniTell& tell) {
  const std::string folder = platform::FolderOf(fileName);
  if (!MakeFolders(folder)) throw TIniCreateError(folder);
  if (platform::Exists(fileName)) return true;
  const int fd = open(fileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (tell) tell(TIniCreateError(fileName).what());
    return false;
  }
  close(fd);
  return true;
}

void IniWriteInteger(const std::string& fileName, std::string_view section, std::string_view key,
                     std::int64_t value, const TIniTell& tell) {
  if (!platform::Exists(fileName)) EnsureIniFile(fileName, tell);
  TIniFile ini(fileName);
  ini.WriteInteger(section, key, value);
  ini.UpdateFile();
}

void IniWriteString(const std::string& fileName, std::string_view section, std::string_view key,
                    std::string_view value, const TIniTell& tell) {
  if (!platform::Exists(fileName)) EnsureIniFile(fileName, tell);
  TIniFile ini(fileName);
  ini.DeleteKey(section, key);
  if (!ini.WriteString(section, key, value)) return;
  ini.UpdateFile();
}

}  // namespace nubrix

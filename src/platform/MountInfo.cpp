#include "platform/MountInfo.h"

#include <fstream>
#include <sstream>

namespace nubrix::platform {

namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

std::vector<std::string_view> SplitBlanks(std::string_view line) {
  std::vector<std::string_view> fields;
  std::size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && line[pos] == ' ') ++pos;
    const std::size_t end = line.find(' ', pos);
    const std::size_t stop = end == std::string_view::npos ? line.size() : end;
    if (stop > pos) fields.push_back(line.substr(pos, stop - pos));
    pos = stop;
  }
  return fields;
}

bool ParseInt(std::string_view text, int& out) {
  if (text.empty()) return false;
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > 0x7fffffff) return false;
  }
  out = static_cast<int>(value);
  return true;
}

bool ParseDevice(std::string_view text, unsigned& major, unsigned& minor) {
  const std::size_t colon = text.find(':');
  int a = 0;
  int b = 0;
  if (colon == std::string_view::npos || !ParseInt(text.substr(0, colon), a) ||
      !ParseInt(text.substr(colon + 1), b)) {
    return false;
  }
  major = static_cast<unsigned>(a);
  minor = static_cast<unsigned>(b);
  return true;
}

bool ParseLine(std::string_view line, TMountEntry& entry) {
  const std::vector<std::string_view> fields = SplitBlanks(line);
  // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
  std::size_t dash = 6;
  while (dash < fields.size() && fields[dash] != "-") ++dash;
  if (fields.size() < 7 || dash >= fields.size()) return false;
  if (!ParseInt(fields[0], entry.Id) || !ParseInt(fields[1], entry.ParentId) ||
      !ParseDevice(fields[2], entry.Major, entry.Minor)) {
    return false;
  }
  entry.Root = UnescapeMountField(fields[3]);
  entry.MountPoint = UnescapeMountField(fields[4]);
  entry.FsType = dash + 1 < fields.size() ? UnescapeMountField(fields[dash + 1]) : "";
  entry.Source = dash + 2 < fields.size() ? UnescapeMountField(fields[dash + 2]) : "";
  return !entry.MountPoint.empty();
}

}  // namespace

std::string UnescapeMountField(std::string_view field) {
  std::string out;
  out.reserve(field.size());
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) &&
        IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
      out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0')));
      i += 3;
    } else {
      out.push_back(field[i]);
    }
  }
  return out;
}

std::vector<TMountEntry> ParseMountInfo(std::string_view text) {
  std::vector<TMountEntry> entries;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    TMountEntry entry;
    if (ParseLine(text.substr(pos, end - pos), entry)) entries.push_back(std::move(entry));
    pos = end + 1;
  }
  return entries;
}

std::vector<TMountEntry> ReadMountInfo() {
  std::ifstream file("/proc/self/mountinfo", std::ios::binary);
  if (!file) return {};
  std::ostringstream text;
  text << file.rdbuf();
  return ParseMountInfo(text.str());
}

}  // namespace nubrix::platform

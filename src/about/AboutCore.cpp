#include "about/AboutCore.h"

#include <charconv>
#include <cstdio>

namespace nubrix::about {

namespace {

std::optional<long long> WholeNumber(std::string_view text, int base) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

void ApplyTag(std::string_view tag, TScrollLine& line) {
  if (tag == "b") {
    line.Bold = true;
  } else if (tag == "i") {
    line.Italic = true;
  } else if (tag == "u") {
    line.Underline = true;
  } else if (tag.starts_with("size=")) {
    if (const auto size = WholeNumber(tag.substr(5), 10); size && *size > 0 && *size < 1000) {
      line.Size = static_cast<int>(*size);
    }
  } else if (tag.starts_with("font=")) {
    line.Font = std::string(tag.substr(5));
  } else if (tag.starts_with("color=")) {
    const std::string_view value = tag.substr(6);
    const auto color =
        value.starts_with('$') ? WholeNumber(value.substr(1), 16) : WholeNumber(value, 10);
    if (color && *color >= 0 && *color <= 0xFFFFFFFFLL)
      line.Color = static_cast<std::uint32_t>(*color);
  }
}

std::string_view Field(std::string_view text, std::string_view key) {
  for (std::size_t begin = 0; begin < text.size();) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(begin, end - begin);
    if (line.starts_with(key)) return line.substr(key.size());
    begin = end + 1;
  }
  return {};
}

long long KiloBytes(std::string_view meminfo, std::string_view key) {
  std::string_view value = Field(meminfo, key);
  while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
  long long number = 0;
  std::from_chars(value.data(), value.data() + value.size(), number);
  return number;
}

}  // namespace

std::vector<TMaskRun> KeyRuns(const TPixelGrid& grid) {
  std::vector<TMaskRun> runs;
  if (grid.Width <= 0 || grid.Height <= 0) return runs;
  const std::uint32_t key = grid.At(0, 0);
  for (int y = 0; y < grid.Height; ++y) {
    int start = -1;
    for (int x = 0; x < grid.Width; ++x) {
      if (grid.At(x, y) == key) {
        if (start < 0) start = x;
      } else if (start >= 0) {
        runs.push_back({y, start, x});
        start = -1;
      }
    }
    if (start >= 0) runs.push_back({y, start, grid.Width});
  }
  return runs;
}

std::vector<TScrollLine> ParseScrollText(const std::vector<std::string>& lines) {
  std::vector<TScrollLine> parsed;
  parsed.reserve(lines.size());
  bool inTag = false;
  for (const std::string& text : lines) {
    TScrollLine line;
    std::string tag;
    for (const char c : text) {
      if (inTag && c == ']') {
        inTag = false;
        ApplyTag(tag, line);
        tag.clear();
      } else if (inTag && c != '[') {
        tag += c;
      } else if (!inTag && c == '[') {
        inTag = true;
      } else if (!inTag && c != ']') {
        line.Text += c;
      }
    }
    parsed.push_back(std::move(line));
  }
  return parsed;
}

std::vector<bool> ClockBits(int value, std::span<const int> worths) {
  std::vector<bool> lit;
  lit.reserve(worths.size());
  for (const int worth : worths) {
    lit.push_back(value >= worth);
    if (value >= worth) value -= worth;
  }
  return lit;
}

int StoredMovieSpeed(int speed) { return speed <= 0 || speed >= 100 ? 50 : speed; }

std::pair<std::string, std::string> DriveTexts(const std::vector<TDriveSpace>& drives) {
  std::pair<std::string, std::string> texts;
  for (std::size_t i = 0; i < drives.size(); ++i) {
    if (i > 0 && !drives[i].FreeBytes) break;
    const std::uint64_t megabytes = drives[i].FreeBytes.value_or(0) / 1024 / 1024;
    (i < 4 ? texts.first : texts.second) +=
        drives[i].Name + ": " + std::to_string(megabytes) + " MB  ";
  }
  return texts;
}

std::string MemoryText(std::string_view meminfo) {
  return "Tot: " + std::to_string(KiloBytes(meminfo, "MemTotal:")) +
         " KB     Avl: " + std::to_string(KiloBytes(meminfo, "MemAvailable:")) + " KB";
}

std::string SystemName(std::string_view osRelease) {
  std::string_view name = Field(osRelease, "NAME=");
  if (name.size() >= 2 && (name.front() == '"' || name.front() == '\'') &&
      name.back() == name.front()) {
    name = name.substr(1, name.size() - 2);
  }
  return name.empty() ? std::string("Linux") : std::string(name);
}

std::string SystemVersionText(std::string_view kernelRelease) {
  int parts[3] = {0, 0, 0};
  const char* at = kernelRelease.data();
  const char* end = at + kernelRelease.size();
  for (int& part : parts) {
    const auto result = std::from_chars(at, end, part);
    at = result.ptr;
    if (at == end || *at != '.') break;
    ++at;
  }
  return std::to_string(parts[0]) + "." + std::to_string(parts[1]) +
         "   Build : " + std::to_string(parts[2] & 0xFFFF);
}

std::string SystemSummary(const std::string& name, const std::string& version,
                          const std::string& memory, const std::string& drives1,
                          const std::string& drives2) {
  const std::string next = "\n\r";
  return "You are probably Running " + name + next + "Version Info: " + version + next +
         "Free Memory: " + memory + next + "Free Hard disk Space: " + next + drives1 + next +
         drives2;
}

}  // namespace nubrix::about

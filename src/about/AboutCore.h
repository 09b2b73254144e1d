// What the about box, the credits scroller and the splash window decide without a window: the
// runs a window mask cuts away, the scroller's markup, the binary clock, the system texts and the
// scroller speed rule.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nubrix::about {

// Pixels as 0xRRGGBB, row by row from the top.
struct TPixelGrid {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;
  std::uint32_t At(int x, int y) const {
    return Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) +
                  static_cast<std::size_t>(x)];
  }
};

// A run of key-coloured pixels in row Y: columns Start up to End, End exclusive.
struct TMaskRun {
  int Y = 0;
  int Start = 0;
  int End = 0;
  bool operator==(const TMaskRun&) const = default;
};

// The runs of pixels that have the colour of the top-left pixel, row by row, left to right: what
// is cut from the grid's rectangle to shape a window.
std::vector<TMaskRun> KeyRuns(const TPixelGrid& grid);

// One line of the scroller after its markup: the visible text and what its tags set.
struct TScrollLine {
  std::string Text;
  std::optional<int> Size;             // points
  std::optional<std::string> Font;     // family
  std::optional<std::uint32_t> Color;  // red in the lowest byte, then green, then blue
  bool Bold = false;
  bool Italic = false;
  bool Underline = false;
};

// Reads the lines with their tags ([size=N], [font=NAME], [color=N or $HEX], [b], [i], [u]; any
// other tag does nothing). A tag left open runs into the next line, where its buffer starts empty.
// Tags whose value is not a whole number are ignored.
std::vector<TScrollLine> ParseScrollText(const std::vector<std::string>& lines);

// The worths of the binary clock's rows, largest first, and which of them are lit for a value.
inline constexpr int kHourWorths[] = {16, 8, 4, 2, 1};
inline constexpr int kMinuteWorths[] = {32, 16, 8, 4, 2, 1};
std::vector<bool> ClockBits(int value, std::span<const int> worths);

// The scroller interval stored for a written one: 0 or less, or 100 or more, become 50.
int StoredMovieSpeed(int speed);

// A mounted file system as the free-space texts list it, in order; no free space means no medium
// (or not readable), which ends the list.
struct TDriveSpace {
  std::string Name;
  std::optional<std::uint64_t> FreeBytes;
};
// "NAME: N MB  " for each drive from the first (always listed) until the first one after it
// without free space; the first four go to the first text, the others to the second.
std::pair<std::string, std::string> DriveTexts(const std::vector<TDriveSpace>& drives);

// "Tot: N KB     Avl: N KB" from the text of /proc/meminfo (MemTotal, MemAvailable).
std::string MemoryText(std::string_view meminfo);
// The system's name from the text of /etc/os-release (NAME, else "Linux").
std::string SystemName(std::string_view osRelease);
// "major.minor   Build : patch" of a kernel release such as "6.1.0-13-amd64".
std::string SystemVersionText(std::string_view kernelRelease);

// The message of the hard-disk button: the parts separated by LF CR.
std::string SystemSummary(const std::string& name, const std::string& version,
                          const std::string& memory, const std::string& drives1,
                          const std::string& drives2);

}  // namespace nubrix::about

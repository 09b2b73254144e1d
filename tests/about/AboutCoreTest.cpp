// The about box's rules without a window: mask runs, scroller markup, the binary clock, the
// speed rule, the system texts and the JPEG reader.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "about/AboutCore.h"
#include "about/Jpeg.h"

namespace nubrix::about {
namespace {

constexpr std::uint32_t W = 0xFFFFFF;
constexpr std::uint32_t B = 0x000000;

TPixelGrid Grid(int width, std::vector<std::uint32_t> pixels) {
  return {width, static_cast<int>(pixels.size()) / width, std::move(pixels)};
}

TEST(MaskRunsTest, RunsOfTheTopLeftColour) {
  // Row 0: key, key, window, key; row 1: all window; row 2: all key; row 3: window, key, key, key.
  const TPixelGrid grid = Grid(4, {W, W, B, W, B, B, B, B, W, W, W, W, B, W, W, W});
  EXPECT_EQ(KeyRuns(grid), (std::vector<TMaskRun>{{0, 0, 2}, {0, 3, 4}, {2, 0, 4}, {3, 1, 4}}))
      << "pixel-exact: the first window pixel after a run stays; a full row goes whole";
  const TPixelGrid black = Grid(3, {B, W, B, W, W, B});
  EXPECT_EQ(KeyRuns(black), (std::vector<TMaskRun>{{0, 0, 1}, {0, 2, 3}, {1, 2, 3}}))
      << "a black top-left pixel cuts away the black ones";
  EXPECT_TRUE(KeyRuns(TPixelGrid{}).empty());
}

TEST(ScrollMarkupTest, TagsActOnTheWholeLine) {
  const std::vector<TScrollLine> lines = ParseScrollText(
      {"[size=14][color=255]Red", "Under[u]lined", "[center]Plain", "",
       "[b]Bold [i]italic[font=Liberation Serif]", "[color=$FF0000]blue", "[size=big]x[color=12z]",
       "Open [bracket", "still open] then text", "a]b[c"});
  ASSERT_EQ(lines.size(), 10U);
  EXPECT_EQ(lines[0].Text, "Red");
  EXPECT_EQ(lines[0].Size, 14);
  EXPECT_EQ(lines[0].Color, 255U);
  EXPECT_EQ(lines[1].Text, "Underlined");
  EXPECT_TRUE(lines[1].Underline) << "a tag after the word acts on it too";
  EXPECT_EQ(lines[2].Text, "Plain");
  EXPECT_FALSE(lines[2].Size || lines[2].Color || lines[2].Font) << "center does nothing";
  EXPECT_EQ(lines[3].Text, "");
  EXPECT_TRUE(lines[4].Bold && lines[4].Italic);
  EXPECT_EQ(lines[4].Font, "Liberation Serif");
  EXPECT_EQ(lines[5].Color, 0xFF0000U) << "hexadecimal after a dollar sign";
  EXPECT_FALSE(lines[6].Size || lines[6].Color) << "values that are no whole numbers are ignored";
  EXPECT_EQ(lines[7].Text, "Open ");
  EXPECT_EQ(lines[8].Text, " then text") << "an open tag runs into the next line";
  EXPECT_EQ(lines[9].Text, "ab") << "a stray ']' is never shown; '[c' opens a tag";
}

TEST(BinaryClockTest, ThirteenThirtySevenFortyTwo) {
  EXPECT_EQ(ClockBits(13, kHourWorths), (std::vector<bool>{false, true, true, false, true}));
  EXPECT_EQ(ClockBits(37, kMinuteWorths),
            (std::vector<bool>{true, false, false, true, false, true}));
  EXPECT_EQ(ClockBits(42, kMinuteWorths),
            (std::vector<bool>{true, false, true, false, true, false}));
  EXPECT_EQ(ClockBits(0, kHourWorths), std::vector<bool>(5, false));
  EXPECT_EQ(ClockBits(23, kHourWorths), (std::vector<bool>{true, false, true, true, true}));
}

TEST(MovieSpeedTest, OutOfRangeIsFifty) {
  EXPECT_EQ(StoredMovieSpeed(0), 50);
  EXPECT_EQ(StoredMovieSpeed(-3), 50);
  EXPECT_EQ(StoredMovieSpeed(150), 50);
  EXPECT_EQ(StoredMovieSpeed(100), 50);
  EXPECT_EQ(StoredMovieSpeed(99), 99);
  EXPECT_EQ(StoredMovieSpeed(1), 1);
}

TEST(SystemTextsTest, DrivesStopAtTheFirstWithoutMedium) {
  const std::uint64_t mb = 1024 * 1024;
  auto texts = DriveTexts({{"/", 10 * mb + 5}, {"/media/cd", std::nullopt}, {"/home", 3 * mb}});
  EXPECT_EQ(texts.first, "/: 10 MB  ");
  EXPECT_EQ(texts.second, "");
  texts = DriveTexts({{"/", std::nullopt}});
  EXPECT_EQ(texts.first, "/: 0 MB  ") << "the first is always listed";
  texts = DriveTexts(
      {{"/", mb}, {"/home", mb}, {"/media/a", mb}, {"/media/b", mb}, {"/mnt/e", 2 * mb}});
  EXPECT_EQ(texts.first, "/: 1 MB  /home: 1 MB  /media/a: 1 MB  /media/b: 1 MB  ");
  EXPECT_EQ(texts.second, "/mnt/e: 2 MB  ") << "the fifth on, as G: on";

  EXPECT_EQ(
      MemoryText("MemTotal:       24597000 kB\nMemFree:  1 kB\nMemAvailable:   20000000 kB\n"),
      "Tot: 24597000 KB     Avl: 20000000 KB");
  EXPECT_EQ(
      SystemName("PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nNAME=\"Debian GNU/Linux\"\n"),
      "Debian GNU/Linux");
  EXPECT_EQ(SystemName(""), "Linux");
  EXPECT_EQ(SystemVersionText("6.1.0-13-amd64"), "6.1   Build : 0");
  EXPECT_EQ(SystemVersionText("5.15.131"), "5.15   Build : 131");
  EXPECT_EQ(SystemVersionText(""), "0.0   Build : 0");
  EXPECT_EQ(SystemSummary("Debian", "6.1   Build : 0", "Tot: 1 KB     Avl: 1 KB", "/: 1 MB  ", ""),
            "You are probably Running Debian\n\rVersion Info: 6.1   Build : 0\n\rFree Memory: "
            "Tot: 1 KB     Avl: 1 KB\n\rFree Hard disk Space: \n\r/: 1 MB  \n\r");
}

TEST(JpegTest, DecodesOurPicturesAndRefusesGarbage) {
  std::ifstream in(std::string(NUBRIX_SOURCE_DIR) + "/resources/about/splash.jpg",
                   std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const auto image = DecodeJpeg(bytes.str());
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->Width, 330);
  EXPECT_EQ(image->Height, 331);
  EXPECT_EQ(image->Rgb.size(), 330U * 331U * 3U);
  EXPECT_FALSE(DecodeJpeg("").has_value());
  EXPECT_FALSE(DecodeJpeg(std::string(1000, 'x')).has_value());
  EXPECT_FALSE(DecodeJpeg(bytes.str().substr(0, 200)).has_value()) << "a cut picture";
}

}  // namespace
}  // namespace nubrix::about

// JPEG pictures decoded with libjpeg-turbo into plain RGB pixels.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace nubrix::about {

struct TRgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Rgb;  // 3 bytes a pixel, rows from the top
};

// nullopt for data that is not a JPEG picture libjpeg can read (nothing is printed).
std::optional<TRgbImage> DecodeJpeg(std::string_view data);

}  // namespace nubrix::about

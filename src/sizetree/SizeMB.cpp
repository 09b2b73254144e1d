#include "sizetree/SizeMB.h"

namespace nubrix {

SizeMB AddBytesRounded(SizeMB sum, std::uint64_t bytes) {
  // units = bytes * 10000 / 2^20 = bytes * 625 / 2^16. Splitting off the low 16 bits keeps
  // every product inside 64 bits, whatever the size.
  const std::uint64_t low = (bytes & 0xFFFFu) * 625u;
  const auto whole = static_cast<SizeMB>((bytes >> 16) * 625u + (low >> 16));
  const auto fraction = static_cast<std::uint32_t>(low & 0xFFFFu);
  constexpr std::uint32_t kHalf = 0x8000u;
  SizeMB result = sum + whole;
  if (fraction > kHalf || (fraction == kHalf && (result & 1) != 0)) ++result;
  return result;
}

std::string FormatSizeMB(SizeMB size) {
  const bool negative = size < 0;
  // Negate as unsigned so that the smallest value does not overflow.
  const std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(size) + 1 : static_cast<std::uint64_t>(size);
  std::string decimals = std::to_string(magnitude % kUnitsPerMB);
  decimals.insert(0, 4 - decimals.size(), '0');
  return (negative ? "-" : "") + std::to_string(magnitude / kUnitsPerMB) + "." + decimals;
}

}  // namespace nubrix

// Fixed-point megabytes: every size the size tree holds. One unit is a ten-thousandth of a
// megabyte (1 MB = 1,048,576 bytes), so sums are exact integer additions.
#pragma once

#include <cstdint>
#include <string>

namespace nubrix {

using SizeMB = std::int64_t;

inline constexpr SizeMB kUnitsPerMB = 10000;
inline constexpr std::uint64_t kBytesPerMB = 1048576;

// sum + bytes converted to units, the exact result taken to the nearest whole unit with a tie
// going to the even unit. Sizes of the tree are summed in bytes and converted once: rounding
// after every file would lose every file under 53 bytes.
SizeMB AddBytesRounded(SizeMB sum, std::uint64_t bytes);

// A byte count converted alone (nearest unit, ties to even).
inline SizeMB BytesToSizeMB(std::uint64_t bytes) { return AddBytesRounded(0, bytes); }
// Back to bytes, to a unit's precision (rounded down).
inline std::int64_t SizeMBToBytes(SizeMB size) {
  return size * static_cast<std::int64_t>(kBytesPerMB) / kUnitsPerMB;
}

// "1234.5678": megabytes with exactly four decimals, no grouping.
std::string FormatSizeMB(SizeMB size);

}  // namespace nubrix

// The colours of the folders in the charts and the treemap. Plain C++: the command line's
// pictures use them too.
#pragma once

#include <array>
#include <cstdint>

namespace nubrix {

namespace charts {
using TRgb = std::uint32_t;  // 0xRRGGBB
}

inline constexpr charts::TRgb kOwnFilesColour = 0x000080;
inline constexpr charts::TRgb kFreeSpaceColour = 0xFFFFFF;

// Six shades from the palest to the darkest blue.
using TChartPalette = std::array<charts::TRgb, 6>;
inline constexpr TChartPalette kChartPalette{0xB4E2FF, 0x99CCFF, 0x0099FF,
                                             0x0082E6, 0x0066CC, 0x003399};

// The palette positions walk back and forth, 0 1 2 3 4 5 4 3 2 1 0 1 ..., so neighbours differ.
class TColourWalk {
 public:
  int Next();

 private:
  int Position_ = -1;
  bool Upward_ = true;
};

// The colour of the index-th folder of a chart: the colour walk's index-th step.
charts::TRgb FolderColour(const TChartPalette& palette, int index);

}  // namespace nubrix

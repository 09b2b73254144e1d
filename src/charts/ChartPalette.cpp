#include "charts/ChartPalette.h"

namespace nubrix {

int TColourWalk::Next() {
  if (Position_ >= 5) {
    Upward_ = false;
  } else if (Position_ <= 0) {
    Upward_ = true;
  }
  Position_ += Upward_ ? 1 : -1;
  return Position_;
}

charts::TRgb FolderColour(const TChartPalette& palette, int index) {
  // The walk has a period of 10: 0 1 2 3 4 5 4 3 2 1.
  const int step = index % 10;
  return palette[static_cast<std::size_t>(step <= 5 ? step : 10 - step)];
}

}  // namespace nubrix

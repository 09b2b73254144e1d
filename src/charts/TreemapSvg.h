// The treemap as SVG text, without Qt: a rectangle per tile holding a title with its path, a TAB
// and its bytes, each folder's tiles nested in a group after its own rectangle.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "charts/TreemapLayout.h"

namespace nubrix::charts {

std::string TreemapSvg(const std::vector<TTreemapTile>& tiles, int width, int height);

// Text as XML character data: valid UTF-8 (bytes of no valid sequence shown as U+FFFD), markup
// characters escaped, control characters XML cannot hold shown as U+FFFD.
std::string XmlText(std::string_view bytes);

}  // namespace nubrix::charts

// The treemap of a folder: every folder below it, to all depths, a rectangle whose area is in
// proportion to its bytes; a folder's rectangle is divided without gaps among its subfolders and
// one tile for its own files, squarified so that tiles stay close to square. Plain geometry: no
// Qt, so the command line draws the same map.
#pragma once

#include <cstdint>
#include <vector>

#include "charts/ChartPalette.h"
#include "sizetree/SizeTreeU.h"

namespace nubrix::charts {

struct TTreemapRect {
  double X = 0;
  double Y = 0;
  double W = 0;
  double H = 0;
  bool Contains(double x, double y) const { return x >= X && x < X + W && y >= Y && y < Y + H; }
};

struct TTreemapTile {
  TTreemapRect Rect;
  const TSizeFolder* Folder = nullptr;  // the folder, or the one whose own files this tile holds
  std::uint64_t Bytes = 0;
  int Parent = -1;  // index of the enclosing folder's tile; -1 for the shown folder's
  int Depth = 0;    // 0 for the shown folder
  bool OwnFiles = false;
  bool Divided = false;  // has tiles of its own inside
};

// Tiles in pre-order: each tile after its parent. Folders of no bytes get no tile; a tile
// narrower or lower than minSide is not divided (its area still counts in its parent). The walk
// keeps its own stack, so any depth is laid out.
std::vector<TTreemapTile> LayoutTreemap(const TSizeFolder& folder, TTreemapRect area,
                                        double minSide = 1.0);
// The same into a vector kept between layouts, whose memory is used again.
void LayoutTreemapInto(std::vector<TTreemapTile>& tiles, const TSizeFolder& folder,
                       TTreemapRect area, double minSide = 1.0);

// Bytes of a folder and everything below it, counted as the scan counted them.
std::uint64_t TotalBytes(const TSizeFolder& folder);

// A tile's colour: by depth, in the order of the bars' colour walk, so that neighbouring levels
// differ; the shown folder's own files in the colour of their bar.
TRgb TileColour(const TTreemapTile& tile, const TChartPalette& palette);

// The deepest tile holding the point, or -1.
int TileAt(const std::vector<TTreemapTile>& tiles, double x, double y);

}  // namespace nubrix::charts

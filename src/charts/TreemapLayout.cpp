#include "charts/TreemapLayout.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace nubrix::charts {

namespace {

struct TItem {
  const TSizeFolder* Folder;
  std::uint64_t Bytes;
  bool OwnFiles;
  int Order = 0;  // the child's place in its folder; the own files after every child
};

// The worst aspect ratio of a row of areas (sum, smallest, largest) laid along a side.
double WorstRatio(double sum, double smallest, double largest, double side) {
  const double sideSquared = side * side;
  const double sumSquared = sum * sum;
  return std::max(sideSquared * largest / sumSquared, sumSquared / (sideSquared * smallest));
}

// Squarified rows: each row takes items while its worst ratio improves, then is laid along the
// shorter side of what is left. The last item of a row and the last row take exactly what is
// left, so no gap opens by rounding.
void Squarify(const std::vector<TItem>& items, double total, TTreemapRect rest,
              std::vector<TTreemapRect>& out) {
  const double scale = rest.W * rest.H / total;
  std::size_t first = 0;
  while (first < items.size()) {
    const double side = std::min(rest.W, rest.H);
    double sum = static_cast<double>(items[first].Bytes) * scale;
    double smallest = sum;
    double largest = sum;
    std::size_t end = first + 1;
    for (; end < items.size(); ++end) {
      const double area = static_cast<double>(items[end].Bytes) * scale;
      if (WorstRatio(sum + area, std::min(smallest, area), largest, side) >
          WorstRatio(sum, smallest, largest, side))
        break;
      sum += area;
      smallest = std::min(smallest, area);
    }
    const bool lastRow = end == items.size();
    const bool column = rest.W >= rest.H;  // the row stands at the left, else lies at the top
    const double thickness =
        lastRow ? (column ? rest.W : rest.H) : sum / (column ? rest.H : rest.W);
    double along = column ? rest.Y : rest.X;
    const double stop = column ? rest.Y + rest.H : rest.X + rest.W;
    for (std::size_t i = first; i < end; ++i) {
      const double length =
          i + 1 == end ? stop - along : static_cast<double>(items[i].Bytes) * scale / thickness;
      out.push_back(column ? TTreemapRect{rest.X, along, thickness, length}
                           : TTreemapRect{along, rest.Y, length, thickness});
      along += length;
    }
    if (column) {
      rest.X += thickness;
      rest.W -= thickness;
    } else {
      rest.Y += thickness;
      rest.H -= thickness;
    }
    first = end;
  }
}

}  // namespace

std::uint64_t TotalBytes(const TSizeFolder& folder) { return folder.TotalBytes(); }

std::vector<TTreemapTile> LayoutTreemap(const TSizeFolder& folder, TTreemapRect area,
                                        double minSide) {
  std::vector<TTreemapTile> tiles;
  LayoutTreemapInto(tiles, folder, area, minSide);
  return tiles;
}

void LayoutTreemapInto(std::vector<TTreemapTile>& tiles, const TSizeFolder& folder,
                       TTreemapRect area, double minSide) {
  tiles.clear();
  const std::uint64_t total = folder.TotalBytes();
  if (total == 0 || area.W <= 0 || area.H <= 0) return;
  tiles.push_back({area, &folder, total, -1, 0, false, false});
  std::vector<int> pending{0};
  std::vector<TItem> items;
  std::vector<TTreemapRect> rects;
  while (!pending.empty()) {
    const int index = pending.back();
    pending.pop_back();
    const TTreemapTile tile = tiles[static_cast<std::size_t>(index)];
    if (tile.Rect.W < minSide || tile.Rect.H < minSide) continue;
    items.clear();
    for (int c = 0; c < tile.Folder->ChildCount(); ++c) {
      const TSizeFolder* child = tile.Folder->Child(c);
      if (child->TotalBytes() > 0) items.push_back({child, child->TotalBytes(), false, c});
    }
    if (items.empty()) continue;  // its own files fill it: nothing to divide
    if (tile.Folder->OwnBytes() > 0)
      items.push_back({tile.Folder, tile.Folder->OwnBytes(), true, INT_MAX});
    // The folder's own files last among equals, then the children's order: the same map for
    // the same tree.
    std::sort(items.begin(), items.end(), [](const TItem& a, const TItem& b) {
      return a.Bytes != b.Bytes ? a.Bytes > b.Bytes : a.Order < b.Order;
    });
    rects.clear();
    Squarify(items, static_cast<double>(tile.Bytes), tile.Rect, rects);
    tiles[static_cast<std::size_t>(index)].Divided = true;
    for (std::size_t i = 0; i < items.size(); ++i) {
      const TItem& item = items[i];
      tiles.push_back({rects[i], item.Folder, item.Bytes, index, tile.Depth + 1, item.OwnFiles});
      if (!item.OwnFiles) pending.push_back(static_cast<int>(tiles.size()) - 1);
    }
  }
}

TRgb TileColour(const TTreemapTile& tile, const TChartPalette& palette) {
  if (tile.OwnFiles && tile.Depth == 1) return kOwnFilesColour;
  return FolderColour(palette, std::max(0, tile.OwnFiles ? tile.Depth - 2 : tile.Depth - 1));
}

int TileAt(const std::vector<TTreemapTile>& tiles, double x, double y) {
  int found = -1;
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    if (tiles[i].Rect.Contains(x, y) &&
        (found < 0 || tiles[i].Depth > tiles[static_cast<std::size_t>(found)].Depth))
      found = static_cast<int>(i);
  }
  return found;
}

}  // namespace nubrix::charts

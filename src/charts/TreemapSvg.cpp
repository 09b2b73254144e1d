#include "charts/TreemapSvg.h"

#include <cstdio>
#include <string>

#include "charts/ChartPalette.h"
#include "platform/Paths.h"

namespace nubrix::charts {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

std::string TileTitle(const TTreemapTile& tile) {
  std::string path = tile.Folder->Path();
  if (tile.OwnFiles) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    path += path == "/" ? "<files>" : "/<files>";
  }
  return XmlText(path) + '\t' + std::to_string(tile.Bytes);
}

std::string Fill(const TTreemapTile& tile) {
  const TRgb rgb = TileColour(tile, kChartPalette);
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFFu);
  return text;
}

void OpenTile(std::ostream& out, const TTreemapTile& tile) {
  char geometry[128];
  std::snprintf(geometry, sizeof geometry, R"(x="%.2f" y="%.2f" width="%.2f" height="%.2f")",
                tile.Rect.X, tile.Rect.Y, tile.Rect.W, tile.Rect.H);
  out << "<rect " << geometry << " fill=\"" << Fill(tile) << "\"><title>" << TileTitle(tile)
      << "</title></rect>\n";
}

}  // namespace

std::string XmlText(std::string_view bytes) {
  const std::string text = platform::ShownPath(bytes);
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
          out += kReplacement;
        else
          out += c;
    }
  }
  return out;
}

void WriteTreemapSvg(std::ostream& out, const std::vector<TTreemapTile>& tiles, int width,
                     int height) {
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << width << "\" height=\"" << height
      << "\" viewBox=\"0 0 " << width << ' ' << height << "\">\n"
      << "<g stroke=\"#FFFFFF\" stroke-opacity=\"0.4\" stroke-width=\"0.5\">\n";
  // Children lists, then a walk with its own stack: a group per divided tile closes after its
  // last descendant, so the nesting is the folders' at any depth.
  std::vector<std::vector<int>> children(tiles.size());
  for (std::size_t i = 1; i < tiles.size(); ++i)
    children[static_cast<std::size_t>(tiles[i].Parent)].push_back(static_cast<int>(i));
  struct TStep {
    int Tile;
    std::size_t Next;
  };
  std::vector<TStep> stack;
  if (!tiles.empty()) {
    OpenTile(out, tiles[0]);
    out << "<g>\n";
    stack.push_back({0, 0});
  }
  while (!stack.empty()) {
    TStep& step = stack.back();
    const auto& below = children[static_cast<std::size_t>(step.Tile)];
    if (step.Next == below.size()) {
      out << "</g>\n";
      stack.pop_back();
      continue;
    }
    const int tile = below[step.Next++];
    OpenTile(out, tiles[static_cast<std::size_t>(tile)]);
    if (!children[static_cast<std::size_t>(tile)].empty()) {
      out << "<g>\n";
      stack.push_back({tile, 0});
    }
  }
  out << "</g>\n</svg>\n";
}

}  // namespace nubrix::charts

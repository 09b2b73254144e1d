#include "charts/TreemapSvg.h"

#include <cstdio>
#include <string>

#include "charts/ChartPalette.h"
#include "platform/Paths.h"

namespace nubrix::charts {

namespace {

constexpr const char* kReplacement = "\xEF\xBF\xBD";

// The title's path, escaped: a folder's from its parent's, so no path is built from the root
// again for every tile.
std::string EscapedPath(const TTreemapTile& tile, const std::string& parentPath) {
  const TSizeFolder& folder = *tile.Folder;
  if (tile.OwnFiles) {
    std::string path = parentPath;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path + (path == "/" ? "&lt;files&gt;" : "/&lt;files&gt;");
  }
  if (folder.HasOwnPath() || parentPath.empty()) return XmlText(folder.Path());
  std::string path = parentPath;
  if (path.back() != '/') path.push_back('/');
  return path + XmlText(folder.PathSegment());
}

std::string Fill(const TTreemapTile& tile) {
  const TRgb rgb = TileColour(tile, kChartPalette);
  char text[8];
  std::snprintf(text, sizeof text, "#%06X", rgb & 0xFFFFFFu);
  return text;
}

void OpenTile(std::string& out, const TTreemapTile& tile, const std::string& path) {
  char geometry[160];
  std::snprintf(geometry, sizeof geometry,
                R"(<rect x="%.1f" y="%.1f" width="%.1f" height="%.1f" fill="%s"><title>)",
                tile.Rect.X, tile.Rect.Y, tile.Rect.W, tile.Rect.H, Fill(tile).c_str());
  out.append(geometry).append(path).append(1, '\t').append(std::to_string(tile.Bytes));
  out.append("</title></rect>\n");
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

std::string TreemapSvg(const std::vector<TTreemapTile>& tiles, int width, int height) {
  std::string out;
  out.reserve(tiles.size() * 160 + 256);  // a tile's line is about this long with its path
  const std::string w = std::to_string(width);
  const std::string h = std::to_string(height);
  out +=
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
      "width=\"";
  out += w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + ' ' + h + "\">\n";
  out += "<g stroke=\"#FFFFFF\" stroke-opacity=\"0.4\" stroke-width=\"0.5\">\n";
  // Children lists, then a walk with its own stack: a group per divided tile closes after its
  // last descendant, so the nesting is the folders' at any depth.
  std::vector<std::vector<int>> children(tiles.size());
  for (std::size_t i = 1; i < tiles.size(); ++i)
    children[static_cast<std::size_t>(tiles[i].Parent)].push_back(static_cast<int>(i));
  struct TStep {
    int Tile;
    std::size_t Next;
    std::string Path;  // escaped
  };
  std::vector<TStep> stack;
  if (!tiles.empty()) {
    std::string path = EscapedPath(tiles[0], {});
    OpenTile(out, tiles[0], path);
    out += "<g>\n";
    stack.push_back({0, 0, std::move(path)});
  }
  while (!stack.empty()) {
    TStep& step = stack.back();
    const auto& below = children[static_cast<std::size_t>(step.Tile)];
    if (step.Next == below.size()) {
      out += "</g>\n";
      stack.pop_back();
      continue;
    }
    const int tile = below[step.Next++];
    std::string path = EscapedPath(tiles[static_cast<std::size_t>(tile)], step.Path);
    OpenTile(out, tiles[static_cast<std::size_t>(tile)], path);
    if (!children[static_cast<std::size_t>(tile)].empty()) {
      out += "<g>\n";
      stack.push_back({tile, 0, std::move(path)});  // step is not used after this
    }
  }
  out += "</g>\n</svg>\n";
  return out;
}

}  // namespace nubrix::charts

#include "charts/TreemapPainter.h"

#include <QFontMetrics>
#include <algorithm>
#include <cmath>

#include "platform/Paths.h"

namespace nubrix::charts {

namespace {

// A parabolic cushion per axis: intensity follows the surface's normal.
struct TSurface {
  double X1 = 0;
  double X2 = 0;
  double Y1 = 0;
  double Y2 = 0;
};

constexpr double kRidgeHeight = 0.35;
constexpr double kRidgeFalloff = 0.7;  // each level's ridge lower than its parent's
constexpr double kAmbient = 0.3;
constexpr double kDiffuse = 0.8;
constexpr int kMostNames = 200;
// A light from the upper left, high above the picture.
const double kLightLength = std::sqrt(1.0 + 1.0 + 100.0);
const double kLightX = -1.0 / kLightLength;
const double kLightY = -1.0 / kLightLength;
const double kLightZ = 10.0 / kLightLength;

void AddRidge(double low, double high, double height, double& linear, double& square) {
  if (high - low <= 0) return;
  linear += 4 * height * (high + low) / (high - low);
  square -= 4 * height / (high - low);
}

void FillCushion(QImage& image, const TTreemapTile& tile, const TSurface& s, TRgb colour) {
  const int x0 = std::max(0, static_cast<int>(std::lround(tile.Rect.X)));
  const int y0 = std::max(0, static_cast<int>(std::lround(tile.Rect.Y)));
  const int x1 = std::min(image.width(), static_cast<int>(std::lround(tile.Rect.X + tile.Rect.W)));
  const int y1 = std::min(image.height(), static_cast<int>(std::lround(tile.Rect.Y + tile.Rect.H)));
  const double red = (colour >> 16) & 0xFF;
  const double green = (colour >> 8) & 0xFF;
  const double blue = colour & 0xFF;
  for (int y = y0; y < y1; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    const double ny = -(2 * s.Y2 * (y + 0.5) + s.Y1);
    for (int x = x0; x < x1; ++x) {
      const double nx = -(2 * s.X2 * (x + 0.5) + s.X1);
      const double cosine =
          (nx * kLightX + ny * kLightY + kLightZ) / std::sqrt(nx * nx + ny * ny + 1.0);
      const double light = std::min(1.0, kAmbient + kDiffuse * std::max(0.0, cosine));
      line[x] = qRgb(static_cast<int>(red * light), static_cast<int>(green * light),
                     static_cast<int>(blue * light));
    }
  }
}

// White on a dark shadow, readable on pale and dark cushions alike.
void DrawName(QPainter& painter, const QRectF& box, const QString& name) {
  painter.setPen(QColor(0, 0, 0, 160));
  painter.drawText(box.translated(1, 1), Qt::AlignLeft | Qt::AlignTop, name);
  painter.setPen(Qt::white);
  painter.drawText(box, Qt::AlignLeft | Qt::AlignTop, name);
}

}  // namespace

QImage RenderTreemapCushions(const std::vector<TTreemapTile>& tiles, QSize size,
                             const TChartPalette& palette) {
  QImage image(size, QImage::Format_RGB32);
  RenderTreemapCushionsInto(image, tiles, palette);
  return image;
}

void RenderTreemapCushionsInto(QImage& image, const std::vector<TTreemapTile>& tiles,
                               const TChartPalette& palette) {
  image.fill(Qt::white);
  // Parents come before their tiles, so each tile's surface adds its ridge to its parent's.
  std::vector<TSurface> surfaces(tiles.size());
  for (std::size_t i = 0; i < tiles.size(); ++i) {
    const TTreemapTile& tile = tiles[i];
    TSurface s = tile.Parent < 0 ? TSurface{} : surfaces[static_cast<std::size_t>(tile.Parent)];
    const double height = kRidgeHeight * std::pow(kRidgeFalloff, tile.Depth);
    AddRidge(tile.Rect.X, tile.Rect.X + tile.Rect.W, height, s.X1, s.X2);
    AddRidge(tile.Rect.Y, tile.Rect.Y + tile.Rect.H, height, s.Y1, s.Y2);
    surfaces[i] = s;
    if (!tile.Divided) FillCushion(image, tile, s, TileColour(tile, palette));
  }
}

void PaintTreemapNames(QPainter& painter, const std::vector<TTreemapTile>& tiles) {
  const QFontMetrics metrics(painter.font());
  std::vector<QRectF> taken;  // a name never covers another
  for (int depth = 1; depth <= 2; ++depth) {
    for (const TTreemapTile& tile : tiles) {
      if (tile.OwnFiles || tile.Depth != depth || static_cast<int>(taken.size()) >= kMostNames)
        continue;
      const QString name = QString::fromStdString(platform::ShownPath(tile.Folder->Name()));
      const QRectF box(tile.Rect.X + 3, tile.Rect.Y + 2, tile.Rect.W - 6, tile.Rect.H - 4);
      const QRectF text(box.topLeft(), QSizeF(metrics.horizontalAdvance(name), metrics.height()));
      if (text.width() > box.width() || text.height() > box.height()) continue;
      if (std::any_of(taken.begin(), taken.end(),
                      [&](const QRectF& other) { return other.intersects(text); }))
        continue;
      taken.push_back(text);
      DrawName(painter, box, name);
    }
  }
}

void PaintTreemap(QPainter& painter, const std::vector<TTreemapTile>& tiles, QSize size,
                  const TChartPalette& palette, bool cushions) {
  if (cushions) {
    painter.drawImage(QPoint(0, 0), RenderTreemapCushions(tiles, size, palette));
  } else {
    painter.setPen(QPen(QColor(255, 255, 255, 100), 0));
    for (const TTreemapTile& tile : tiles) {
      if (tile.Divided) continue;
      painter.setBrush(QColor(static_cast<QRgb>(TileColour(tile, palette))));
      painter.drawRect(QRectF(tile.Rect.X, tile.Rect.Y, tile.Rect.W, tile.Rect.H));
    }
  }
  PaintTreemapNames(painter, tiles);
}

}  // namespace nubrix::charts

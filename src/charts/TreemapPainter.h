// The treemap's picture: each tile a cushion lit from the upper left, with a ridge per level, in
// the colour of the top-level branch it lies in (the colour of that folder's bar), and the names
// of the folders whose tiles can hold them.
#pragma once

#include <QImage>
#include <QPainter>
#include <vector>

#include "charts/ChartPalette.h"
#include "charts/TreemapLayout.h"

namespace nubrix::charts {

// The cushions alone: one pass over the pixels of the undivided tiles.
QImage RenderTreemapCushions(const std::vector<TTreemapTile>& tiles, QSize size,
                             const TChartPalette& palette);
// The same into a picture kept between paintings (RGB32, of the layout's size).
void RenderTreemapCushionsInto(QImage& image, const std::vector<TTreemapTile>& tiles,
                               const TChartPalette& palette);

// Names on the tiles of the first two levels that can hold them.
void PaintTreemapNames(QPainter& painter, const std::vector<TTreemapTile>& tiles);

// The cushions and the names into any painter (a printer, a picture); flat tiles where the
// device holds no images (a metafile).
void PaintTreemap(QPainter& painter, const std::vector<TTreemapTile>& tiles, QSize size,
                  const TChartPalette& palette, bool cushions = true);

}  // namespace nubrix::charts

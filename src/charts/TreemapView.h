// The treemap as a widget: lays out the folder it shows once per folder and size, keeps the
// cushions as a picture, frames the tile under the mouse and the marked folder's, and tells which
// folder a click, a hover or a right click is on.
#pragma once

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "charts/ChartOutput.h"
#include "charts/ChartPalette.h"
#include "charts/TreemapLayout.h"

namespace nubrix::charts {

class TTreemapView : public QWidget {
  Q_OBJECT

 public:
  explicit TTreemapView(QWidget* parent = nullptr);

  // The folder to map, or null; laid out again at the next paint. Call again when the tree changed.
  void SetFolder(const TSizeFolder* folder);
  const TSizeFolder* Folder() const { return Folder_; }
  // The folder whose tile wears the light frame (the selected one), or null.
  void SetMarked(const TSizeFolder* folder);
  void SetPalette(const TChartPalette& palette);

  const std::vector<TTreemapTile>& Tiles();
  // The tile under a point of the widget, or -1.
  int TileAt(QPoint point);
  // The picture at any size, for printing, files and the clipboard.
  TPicturePainter Painter() const;
  // What the page says when there is nothing to draw; empty while there is.
  QString EmptyText() const;

 signals:
  void TileClicked(const nubrix::TSizeFolder* folder, Qt::MouseButton button, QPoint global);
  void TileHovered(const nubrix::TSizeFolder* folder, bool ownFiles, quint64 bytes, QPoint global);
  void HoverLeft();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void EnsureLayout();
  void FrameTile(QPainter& painter, int tile, const QColor& colour) const;

  const TSizeFolder* Folder_ = nullptr;
  const TSizeFolder* Marked_ = nullptr;
  TChartPalette Palette_ = kChartPalette;
  std::vector<TTreemapTile> Tiles_;
  QImage Cushions_;
  bool Stale_ = true;
  int Hovered_ = -1;
};

}  // namespace nubrix::charts

#include "charts/TreemapView.h"

#include <QMouseEvent>
#include <QPainter>

#include "charts/TreemapPainter.h"
#include "platform/Paths.h"

namespace nubrix::charts {

TTreemapView::TTreemapView(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(80, 60);
}

void TTreemapView::SetFolder(const TSizeFolder* folder) {
  Folder_ = folder;
  Stale_ = true;
  Hovered_ = -1;
  update();
}

void TTreemapView::SetMarked(const TSizeFolder* folder) {
  Marked_ = folder;
  update();
}

void TTreemapView::SetPalette(const TChartPalette& palette) {
  Palette_ = palette;
  Stale_ = true;
  update();
}

void TTreemapView::EnsureLayout() {
  if (!Stale_ && Cushions_.size() == size()) return;
  Tiles_.clear();
  if (Folder_ != nullptr) {
    LayoutTreemapInto(Tiles_, *Folder_,
                      {0, 0, static_cast<double>(width()), static_cast<double>(height())});
  }
  if (Cushions_.size() != size()) Cushions_ = QImage(size(), QImage::Format_RGB32);
  RenderTreemapCushionsInto(Cushions_, Tiles_, Palette_);
  Stale_ = false;
}

const std::vector<TTreemapTile>& TTreemapView::Tiles() {
  EnsureLayout();
  return Tiles_;
}

int TTreemapView::TileAt(QPoint point) {
  return charts::TileAt(Tiles(), point.x() + 0.5, point.y() + 0.5);
}

TPicturePainter TTreemapView::Painter() const {
  return
      [folder = Folder_, palette = Palette_](QPainter& painter, const QRectF& area, bool raster) {
        if (folder == nullptr) return;
        const std::vector<TTreemapTile> tiles =
            LayoutTreemap(*folder, {0, 0, area.width(), area.height()});
        painter.save();
        painter.translate(area.topLeft());
        PaintTreemap(painter, tiles, area.size().toSize(), palette, raster);
        painter.restore();
      };
}

QString TTreemapView::EmptyText() const {
  if (Folder_ == nullptr) return QStringLiteral("Scan a folder to see its treemap.");
  if (TotalBytes(*Folder_) == 0) {
    return QString::fromStdString(platform::ShownPath(Folder_->Path())) +
           QStringLiteral(" holds no bytes: there is nothing to map.");
  }
  return {};
}

void TTreemapView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Stale_ = true;
  Hovered_ = -1;
}

void TTreemapView::FrameTile(QPainter& painter, int tile, const QColor& colour) const {
  if (tile < 0 || tile >= static_cast<int>(Tiles_.size())) return;
  const TTreemapRect& r = Tiles_[static_cast<std::size_t>(tile)].Rect;
  painter.setPen(QPen(colour, 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(r.X + 1, r.Y + 1, std::max(0.0, r.W - 2), std::max(0.0, r.H - 2)));
}

void TTreemapView::paintEvent(QPaintEvent* /*event*/) {
  EnsureLayout();
  QPainter painter(this);
  if (Tiles_.empty()) {
    painter.fillRect(rect(), palette().window());
    painter.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, EmptyText());
    return;
  }
  painter.drawImage(QPoint(0, 0), Cushions_);
  PaintTreemapNames(painter, Tiles_);
  if (Marked_ != nullptr) {
    for (std::size_t i = 0; i < Tiles_.size(); ++i) {
      if (Tiles_[i].Folder == Marked_ && !Tiles_[i].OwnFiles && Tiles_[i].Depth > 0)
        FrameTile(painter, static_cast<int>(i), QColor(255, 255, 160));
    }
  }
  FrameTile(painter, Hovered_, Qt::white);
}

void TTreemapView::mouseMoveEvent(QMouseEvent* event) {
  const int tile = TileAt(event->position().toPoint());
  if (tile != Hovered_) {
    Hovered_ = tile;
    update();
  }
  if (tile < 0) return;
  const TTreemapTile& t = Tiles_[static_cast<std::size_t>(tile)];
  emit TileHovered(t.Folder, t.OwnFiles, t.Bytes, event->globalPosition().toPoint());
}

void TTreemapView::mousePressEvent(QMouseEvent* event) {
  const int tile = TileAt(event->position().toPoint());
  if (tile < 0) return;
  emit TileClicked(Tiles_[static_cast<std::size_t>(tile)].Folder, event->button(),
                   event->globalPosition().toPoint());
}

void TTreemapView::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  Hovered_ = -1;
  update();
  emit HoverLeft();
}

}  // namespace nubrix::charts

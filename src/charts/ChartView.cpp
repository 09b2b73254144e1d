#include "charts/ChartView.h"

#include <QMouseEvent>
#include <QPainter>

#include "charts/BarPaging.h"

namespace nubrix::charts {

namespace {

constexpr int kDragThreshold = 4;

}  // namespace

TChartView::TChartView(TChartKind kind, QWidget* parent) : QWidget(parent), Kind_(kind) {
  setMouseTracking(true);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(120, 100);
  if (kind == TChartKind::Pie) Model_.Bars.ZoomEnabled = false;
}

void TChartView::Changed() {
  Dirty_ = true;
  update();
}

void TChartView::EnsureLayout() const {
  if (!Dirty_) return;
  const TFontMetrics metrics;
  const QRectF area(QPointF(0, 0), QSizeF(size()));
  if (Kind_ == TChartKind::Bars) {
    Bars_ = LayoutBars(Model_, area, metrics);
  } else {
    Pie_ = LayoutPie(Model_, area, metrics);
  }
  Dirty_ = false;
}

const TBarGeometry& TChartView::BarLayout() const {
  EnsureLayout();
  return Bars_;
}

const TPieGeometry& TChartView::PieLayout() const {
  EnsureLayout();
  return Pie_;
}

int TChartView::PointAt(const QPointF& position) const {
  EnsureLayout();
  return Kind_ == TChartKind::Bars ? Bars_.HitTest(position) : Pie_.HitTest(position);
}

void TChartView::UndoZoom() {
  Model_.Bars.ValueAutomatic = true;
  Model_.Bars.CategoryAutomatic = true;
  Changed();
}

QImage TChartView::ToImage() const {
  QImage image(size(), QImage::Format_RGB32);
  QPainter painter(&image);
  EnsureLayout();
  if (Kind_ == TChartKind::Bars) {
    PaintBars(painter, Model_, Bars_);
  } else {
    PaintPie(painter, Model_, Pie_);
  }
  return image;
}

void TChartView::Render(QPainter& painter, const QRectF& area) const {
  RenderChart(painter, Kind_, Model_, area);
}

void TChartView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  EnsureLayout();
  if (Kind_ == TChartKind::Bars) {
    PaintBars(painter, Model_, Bars_);
  } else {
    PaintPie(painter, Model_, Pie_);
  }
  if (Dragging_ && Pressed_ == Qt::LeftButton) {
    painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(PressPosition_, LastPosition_).normalized());
  }
}

void TChartView::resizeEvent(QResizeEvent*) { Dirty_ = true; }

void TChartView::mousePressEvent(QMouseEvent* event) {
  if (Pressed_) return;
  Pressed_ = event->button();
  PressPosition_ = LastPosition_ = event->position().toPoint();
  Dragging_ = false;
}

void TChartView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint position = event->position().toPoint();
  if (Pressed_ && Kind_ == TChartKind::Bars) {
    if (!Dragging_ && (position - PressPosition_).manhattanLength() >= kDragThreshold)
      Dragging_ = true;
    if (Dragging_ && *Pressed_ == Qt::RightButton) PanBy(position - LastPosition_);
    LastPosition_ = position;
    if (Dragging_) update();
    return;
  }
  const int index = PointAt(position);
  setCursor(index >= 0 ? Qt::PointingHandCursor : Qt::ArrowCursor);
  emit PointHovered(index, position);
}

void TChartView::mouseReleaseEvent(QMouseEvent* event) {
  if (!Pressed_ || event->button() != *Pressed_) return;
  const Qt::MouseButton button = *Pressed_;
  const QPoint position = event->position().toPoint();
  const bool dragged = Dragging_;
  Pressed_.reset();
  Dragging_ = false;
  if (!dragged) {
    const int index = PointAt(position);
    if (index >= 0) emit PointClicked(index, button, position);
    return;
  }
  if (button == Qt::LeftButton && Model_.Bars.ZoomEnabled) {
    // Dragging down and right zooms into the rectangle; any other direction undoes the zoom.
    if (position.x() > PressPosition_.x() && position.y() > PressPosition_.y()) {
      ZoomTo(QRectF(PressPosition_, position));
    } else {
      UndoZoom();
    }
  }
  update();
}

void TChartView::leaveEvent(QEvent*) {
  if (!Pressed_) emit PointHovered(-1, QPoint(-1, -1));
}

void TChartView::ZoomTo(const QRectF& pixels) {
  EnsureLayout();
  TBarOptions& bars = Model_.Bars;
  bars.Value = {Bars_.ValueAt(pixels.left()), Bars_.ValueAt(pixels.right())};
  bars.Category = {Bars_.PositionAt(pixels.bottom()), Bars_.PositionAt(pixels.top())};
  bars.ValueAutomatic = false;
  bars.CategoryAutomatic = false;
  Changed();
}

void TChartView::PanBy(const QPointF& pixels) {
  EnsureLayout();
  TBarOptions& bars = Model_.Bars;
  // The content follows the mouse: dragging right shows smaller values.
  const double valueShift = -pixels.x() / Bars_.Plot.width() * Bars_.Value.Span();
  const double positionShift = pixels.y() / Bars_.Spacing;
  bars.Value = {Bars_.Value.Min + valueShift, Bars_.Value.Max + valueShift};
  bars.Category = {Bars_.Category.Min + positionShift, Bars_.Category.Max + positionShift};
  bars.ValueAutomatic = false;
  bars.CategoryAutomatic = false;
  Changed();
}

}  // namespace nubrix::charts

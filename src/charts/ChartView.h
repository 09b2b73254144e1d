// The chart control: a thin widget over one TChartModel. It lays the chart out when the model or
// its size changes, paints it, and turns mouse input into point clicks, hovering, zoom and
// panning. The window fills the model and calls Changed().
#pragma once

#include <QImage>
#include <QWidget>
#include <optional>

#include "charts/BarGeometry.h"
#include "charts/ChartModel.h"
#include "charts/ChartPainter.h"
#include "charts/PieGeometry.h"

namespace nubrix::charts {

class TChartView : public QWidget {
  Q_OBJECT

 public:
  explicit TChartView(TChartKind kind, QWidget* parent = nullptr);

  TChartKind Kind() const { return Kind_; }
  TChartModel& Model() { return Model_; }
  const TChartModel& Model() const { return Model_; }
  // After any change of the model: lay out again and repaint.
  void Changed();

  // The point under a position of the widget, -1 when none.
  int PointAt(const QPointF& position) const;
  // Back to the automatic ranges of both axes (bar chart).
  void UndoZoom();

  QImage ToImage() const;
  // The chart laid out for area, onto any painter.
  void Render(QPainter& painter, const QRectF& area) const;

  const TBarGeometry& BarLayout() const;
  const TPieGeometry& PieLayout() const;

 signals:
  void PointClicked(int index, Qt::MouseButton button, QPoint position);
  void PointHovered(int index, QPoint position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void EnsureLayout() const;
  void ZoomTo(const QRectF& pixels);
  void PanBy(const QPointF& pixels);

  TChartKind Kind_;
  TChartModel Model_;
  mutable bool Dirty_ = true;
  mutable TBarGeometry Bars_;
  mutable TPieGeometry Pie_;

  // A press becomes a click only if the mouse stays put; otherwise it zooms or pans.
  std::optional<Qt::MouseButton> Pressed_;
  QPoint PressPosition_;
  QPoint LastPosition_;
  bool Dragging_ = false;
};

}  // namespace nubrix::charts

#include "charts/ChartPainter.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace nubrix::charts {

namespace {

constexpr double kTickLength = 4;
constexpr std::size_t kSmoothSliceLimit = 60;

void PaintFrame(QPainter& painter, const TChartModel& model, const TFrameLayout& frame) {
  painter.fillRect(frame.Area, ToColor(model.Colors.Background));
  painter.setFont(FontFor(TTextRole::Title));
  painter.setPen(ToColor(model.Colors.Title));
  for (std::size_t i = 0; i < frame.TitleLines.size(); ++i) {
    painter.drawText(frame.TitleLines[i], Qt::AlignCenter, model.Title[static_cast<qsizetype>(i)]);
  }
  if (!frame.Footer.isEmpty()) {
    painter.setFont(FontFor(TTextRole::Footer));
    painter.setPen(ToColor(model.Colors.Footer));
    painter.drawText(frame.Footer, Qt::AlignCenter, model.Footer);
  }
}

void PaintLegend(QPainter& painter, const TChartModel& model, const TFrameLayout& frame) {
  if (frame.Legend.isEmpty()) return;
  painter.setPen(ToColor(model.Colors.LegendFrame));
  painter.setBrush(ToColor(model.Colors.LegendFill));
  painter.drawRect(frame.Legend);
  painter.setFont(FontFor(TTextRole::Legend));
  for (const TLegendRow& row : frame.LegendRows) {
    painter.setPen(ToColor(model.Colors.PointOutline));
    painter.setBrush(ToColor(model.Series.Point(row.Index).Color));
    painter.drawRect(row.Swatch);
    painter.setPen(Qt::black);
    painter.drawText(row.Text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     painter.fontMetrics().elidedText(row.Caption, Qt::ElideRight,
                                                      static_cast<int>(row.Text.width())));
  }
}

void PaintMarkBox(QPainter& painter, const TChartModel& model, const QPointF& from,
                  const QPointF& to, const QRectF& box, const QString& text) {
  painter.setPen(ToColor(model.Colors.PointOutline));
  painter.drawLine(from, to);
  painter.setPen(ToColor(model.Colors.MarkFrame));
  painter.setBrush(ToColor(model.Colors.MarkFill));
  painter.drawRect(box);
  painter.setPen(Qt::black);
  painter.drawText(box, Qt::AlignCenter | Qt::TextSingleLine, text);
}

void PaintBarAxes(QPainter& painter, const TChartModel& model, const TBarGeometry& g) {
  const QRectF& plot = g.Plot;
  const QPointF back(g.Depth, -g.Depth);
  painter.setPen(QPen(ToColor(model.Colors.AxisLabels).darker(110), 1));
  painter.setBrush(Qt::NoBrush);
  if (g.Depth > 0) {
    // The back wall and the floor give the plot its depth.
    painter.drawRect(plot.translated(back));
    painter.drawLine(plot.bottomLeft(), plot.bottomLeft() + back);
    painter.drawLine(plot.bottomRight(), plot.bottomRight() + back);
    painter.drawLine(plot.topLeft(), plot.topLeft() + back);
  }
  painter.setFont(FontFor(TTextRole::AxisLabel));
  const double line = painter.fontMetrics().height();
  for (const TValueTick& tick : g.Ticks) {
    painter.setPen(QPen(ToColor(model.Colors.AxisLabels), 1, Qt::DotLine));
    painter.drawLine(QPointF(tick.X + g.Depth, plot.top() - g.Depth),
                     QPointF(tick.X + g.Depth, plot.bottom() - g.Depth));
    painter.setPen(ToColor(model.Colors.AxisLabels));
    painter.drawLine(QPointF(tick.X, plot.bottom()), QPointF(tick.X, plot.bottom() + kTickLength));
    painter.drawText(QRectF(tick.X - 60, plot.bottom() + kTickLength, 120, line),
                     Qt::AlignHCenter | Qt::AlignTop, tick.Text);
  }
  painter.setPen(ToColor(model.Colors.AxisLabels));
  painter.drawLine(plot.bottomLeft(), plot.bottomRight());
  painter.drawLine(plot.bottomLeft(), plot.topLeft());
  for (const TCategoryLabel& label : g.Labels) {
    painter.drawText(label.Box, Qt::AlignRight | Qt::AlignVCenter, label.Lines.join(u'\n'));
  }
}

void PaintBarShapes(QPainter& painter, const TChartModel& model, const TBarGeometry& g) {
  painter.save();
  painter.setClipRect(g.Plot.adjusted(0, -g.Depth, g.Depth, 0));
  const QPen outline(ToColor(model.Colors.PointOutline), 1);
  const bool thin = g.Spacing * kBarThicknessShare < 3;
  for (const TBarShape& bar : g.Bars) {
    const QColor color = ToColor(model.Series.Point(bar.Index).Color);
    painter.setPen(thin ? Qt::NoPen : outline);
    if (thin) {
      painter.setBrush(color);
    } else {
      // A gradient across the bar: lighter in the middle, as if lit from the front.
      QLinearGradient gradient(bar.Front.topLeft(), bar.Front.bottomLeft());
      gradient.setColorAt(0, color);
      gradient.setColorAt(0.5, color.lighter(140));
      gradient.setColorAt(1, color);
      painter.setBrush(gradient);
    }
    painter.drawRect(bar.Front);
    if (g.Depth > 0) {
      painter.setBrush(color.lighter(120));
      painter.drawPolygon(bar.Top);
      painter.setBrush(color.darker(130));
      painter.drawPolygon(bar.Side);
    }
  }
  painter.restore();
}

// The rim of one slice: the part of its edge on the front half, extruded down by the depth.
QPainterPath RimPath(const TPieGeometry& g, const TPieSlice& slice) {
  QPainterPath path;
  double from = slice.Start;
  const double to = slice.Start + slice.Sweep;
  // Walk the slice's arc and keep the stretches where the edge faces the viewer (below centre).
  const int steps = std::max(2, static_cast<int>(std::ceil(slice.Sweep / 3)));
  std::vector<QPointF> top;
  auto flush = [&]() {
    if (top.size() < 2) {
      top.clear();
      return;
    }
    QPolygonF polygon;
    for (const QPointF& p : top) polygon << p;
    for (auto it = top.rbegin(); it != top.rend(); ++it) polygon << *it + QPointF(0, g.Depth);
    path.addPolygon(polygon);
    path.closeSubpath();
    top.clear();
  };
  for (int i = 0; i <= steps; ++i) {
    const double a = from + (to - from) * i / steps;
    if (std::sin(a * 3.14159265358979323846 / 180.0) <= 1e-9) {
      top.push_back(g.EdgePoint(slice, a));
    } else {
      flush();
    }
  }
  flush();
  return path;
}

// A slice as a polygon: far cheaper to fill than an arc path when there are hundreds of slices,
// and at two degrees a step the edge is off by less than a tenth of a pixel at 300 pixels.
QPolygonF SlicePolygon(const TPieGeometry& g, const TPieSlice& slice) {
  constexpr double kStepDegrees = 2;
  const int steps = std::max(1, static_cast<int>(std::ceil(slice.Sweep / kStepDegrees)));
  QPolygonF polygon;
  polygon.reserve(steps + 2);
  if (slice.Sweep < 360) polygon << g.Center + slice.Offset;
  for (int i = 0; i <= steps; ++i)
    polygon << g.EdgePoint(slice, slice.Start + slice.Sweep * i / steps);
  return polygon;
}

// The outer edge of the pie as antialiased arcs: the exploded slice's own, the rest in one piece.
void PaintSmoothEdge(QPainter& painter, const TPieGeometry& g) {
  painter.setBrush(Qt::NoBrush);
  const QSizeF size(2 * g.RadiusX, 2 * g.RadiusY);
  const QRectF box(g.Center - QPointF(g.RadiusX, g.RadiusY), size);
  const auto exploded = std::find_if(g.Slices.begin(), g.Slices.end(),
                                     [](const TPieSlice& s) { return !s.Offset.isNull(); });
  if (exploded == g.Slices.end()) {
    painter.drawEllipse(box);
    return;
  }
  auto sixteenths = [](double degrees) { return static_cast<int>(std::lround(degrees * 16)); };
  painter.drawArc(box.translated(exploded->Offset), sixteenths(exploded->Start),
                  sixteenths(exploded->Sweep));
  painter.drawArc(box, sixteenths(exploded->Start + exploded->Sweep),
                  sixteenths(360 - exploded->Sweep));
}

}  // namespace

void PaintBars(QPainter& painter, const TChartModel& model, const TBarGeometry& geometry) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, false);
  PaintFrame(painter, model, geometry.Frame);
  PaintBarAxes(painter, model, geometry);
  PaintBarShapes(painter, model, geometry);
  painter.setFont(FontFor(TTextRole::Mark));
  for (const TBarMark& mark : geometry.Marks)
    PaintMarkBox(painter, model, mark.From, mark.To, mark.Box, mark.Text);
  PaintLegend(painter, model, geometry.Frame);
  painter.restore();
}

void PaintPie(QPainter& painter, const TChartModel& model, const TPieGeometry& geometry) {
  painter.save();
  PaintFrame(painter, model, geometry.Frame);
  // Antialiased filling costs tens of microseconds a slice, too much for a pie that turns every
  // 20 ms with hundreds of slices: then the slices are filled plainly and only the outer edge,
  // drawn once, is smoothed.
  const bool smoothSlices = geometry.Slices.size() <= kSmoothSliceLimit;
  painter.setRenderHint(QPainter::Antialiasing, smoothSlices);
  const QPen outline(ToColor(model.Colors.PointOutline), 1);
  painter.setPen(outline);
  if (geometry.Depth > 0) {
    for (const TPieSlice& slice : geometry.Slices) {
      if (slice.Sweep <= 0) continue;
      painter.setBrush(ToColor(model.Series.Point(slice.Index).Color).darker(140));
      painter.drawPath(RimPath(geometry, slice));
    }
  }
  for (const TPieSlice& slice : geometry.Slices) {
    if (slice.Sweep <= 0) continue;
    painter.setBrush(ToColor(model.Series.Point(slice.Index).Color));
    painter.drawPolygon(SlicePolygon(geometry, slice));
  }
  painter.setRenderHint(QPainter::Antialiasing, true);
  if (!smoothSlices) PaintSmoothEdge(painter, geometry);
  painter.setFont(FontFor(TTextRole::Mark));
  for (const TPieMark& mark : geometry.Marks)
    PaintMarkBox(painter, model, mark.Anchor, mark.Elbow, mark.Box, mark.Text);
  PaintLegend(painter, model, geometry.Frame);
  painter.restore();
}

void RenderChart(QPainter& painter, TChartKind kind, const TChartModel& model, const QRectF& area) {
  const TFontMetrics metrics;
  if (kind == TChartKind::Bars) {
    PaintBars(painter, model, LayoutBars(model, area, metrics));
  } else {
    PaintPie(painter, model, LayoutPie(model, area, metrics));
  }
}

}  // namespace nubrix::charts

#include "charts/BarGeometry.h"

#include <algorithm>
#include <cmath>

#include "charts/BarPaging.h"
#include "charts/NumberFormat.h"

namespace nubrix::charts {

namespace {

constexpr double kTickLength = 4;
constexpr double kLabelGap = 6;
constexpr double kMaxLabelShare = 0.3;
constexpr double kMinPlotWidth = 10;
constexpr double kPixelsPerTick = 80;

struct TVisible {
  int First = 0;
  int Last = -1;
};

// The bars some part of which lies inside the shown range.
TVisible VisiblePositions(const TAxisRange& category, int count) {
  const double half = kBarThicknessShare / 2;
  TVisible visible;
  visible.First = std::max(0, static_cast<int>(std::floor(category.Min - half)) + 1);
  visible.Last = std::min(count - 1, static_cast<int>(std::ceil(category.Max + half)) - 1);
  return visible;
}

int DecimalsOf(double step) {
  int decimals = 0;
  while (decimals < 6 && std::fabs(step * std::pow(10.0, decimals) -
                                   std::round(step * std::pow(10.0, decimals))) > 1e-9) {
    ++decimals;
  }
  return decimals;
}

void LayoutTicks(TBarGeometry& geometry) {
  const double step = NiceStep(geometry.Value.Span(), geometry.Plot.width() / kPixelsPerTick);
  if (step <= 0) return;
  const int decimals = DecimalsOf(step);
  for (double v = std::ceil(geometry.Value.Min / step) * step;
       v <= geometry.Value.Max + step * 1e-9; v += step) {
    const double shown = std::fabs(v) < step * 1e-9 ? 0.0 : v;
    geometry.Ticks.push_back({shown, geometry.MapValue(shown), FormatGrouped(shown, decimals)});
    if (geometry.Ticks.size() > 200) break;
  }
}

// The positions that get a label and a mark: all of them when they fit, else every step-th one
// counted from the top bar down (as axes leave out labels that would overlap), so the top bars,
// the own files and the largest folders, keep theirs.
std::vector<int> LabelledPositions(const TChartModel& model, const ITextMetrics& metrics,
                                   const TVisible& visible, double spacing) {
  double tallest = metrics.LineHeight(TTextRole::AxisLabel);
  if (model.MarksVisible)
    tallest = std::max(tallest, metrics.LineHeight(TTextRole::Mark) + 2 * kMarkPadding);
  const int step =
      std::max(1, static_cast<int>(std::ceil(tallest / std::max(spacing, 1e-9) - 1e-9)));
  std::vector<int> positions;
  for (int i = visible.Last; i >= visible.First; i -= step) positions.push_back(i);
  return positions;
}

void SelectLabels(const TChartModel& model, const ITextMetrics& metrics,
                  const std::vector<int>& positions, double maxWidth, TBarGeometry& geometry,
                  double& widest) {
  const double line = metrics.LineHeight(TTextRole::AxisLabel);
  for (int i : positions) {
    TCategoryLabel label;
    label.Index = i;
    label.Lines = WrapWords(metrics, TTextRole::AxisLabel, model.Series.Point(i).Caption, maxWidth);
    double width = 0;
    for (const QString& text : label.Lines)
      width = std::max(width, metrics.Width(TTextRole::AxisLabel, text));
    label.Box =
        QRectF(0, 0, std::min(width, maxWidth), line * static_cast<double>(label.Lines.size()));
    widest = std::max(widest, label.Box.width());
    geometry.Labels.push_back(std::move(label));
  }
}

void SelectMarks(const TChartModel& model, const ITextMetrics& metrics,
                 const std::vector<int>& positions, TBarGeometry& geometry, double& widest) {
  const double height = metrics.LineHeight(TTextRole::Mark) + 2 * kMarkPadding;
  for (int i : positions) {
    const TChartPoint& point = model.Series.Point(i);
    TBarMark mark;
    mark.Index = i;
    mark.Text = PointMarkText(point.Caption, point.Value, point.Change);
    const double width = metrics.Width(TTextRole::Mark, mark.Text) + 2 * kMarkPadding;
    mark.Box = QRectF(0, geometry.MapPosition(i) - height / 2, width, height);
    widest = std::max(widest, width);
    geometry.Marks.push_back(std::move(mark));
  }
}

void PlaceBars(const TChartModel& model, const TVisible& visible, TBarGeometry& geometry) {
  const double thickness = geometry.Spacing * kBarThicknessShare;
  const double d = geometry.Depth;
  const double zeroX = geometry.MapValue(std::clamp(0.0, geometry.Value.Min, geometry.Value.Max));
  for (int i = visible.First; i <= visible.Last; ++i) {
    const double x = geometry.MapValue(model.Series.Point(i).Value);
    const double y = geometry.MapPosition(i) - thickness / 2;
    TBarShape bar;
    bar.Index = i;
    bar.Front = QRectF(QPointF(std::min(zeroX, x), y), QPointF(std::max(zeroX, x), y + thickness));
    if (d > 0) {
      const QRectF& f = bar.Front;
      bar.Top << f.topLeft() << f.topRight() << f.topRight() + QPointF(d, -d)
              << f.topLeft() + QPointF(d, -d);
      bar.Side << f.topRight() << f.topRight() + QPointF(d, -d) << f.bottomRight() + QPointF(d, -d)
               << f.bottomRight();
    }
    geometry.Bars.push_back(std::move(bar));
  }
}

}  // namespace

double NiceStep(double span, double wanted) {
  if (span <= 0 || wanted <= 0 || !std::isfinite(span)) return 0;
  const double raw = span / std::max(1.0, wanted);
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double factor : {1.0, 2.0, 5.0, 10.0}) {
    if (raw <= factor * power * (1 + 1e-9)) return factor * power;
  }
  return 10 * power;
}

double TBarGeometry::MapValue(double value) const {
  return Plot.left() + (value - Value.Min) / Value.Span() * Plot.width();
}

double TBarGeometry::MapPosition(double position) const {
  return Plot.bottom() - (position - Category.Min) * Spacing;
}

double TBarGeometry::ValueAt(double x) const {
  return Value.Min + (x - Plot.left()) / Plot.width() * Value.Span();
}

double TBarGeometry::PositionAt(double y) const {
  return Category.Min + (Plot.bottom() - y) / Spacing;
}

int TBarGeometry::HitTest(const QPointF& p) const {
  const QRectF reach = Plot.adjusted(0, -Depth, Depth, 0);
  if (!reach.contains(p)) return -1;
  for (auto it = Bars.rbegin(); it != Bars.rend(); ++it) {
    if (it->Front.contains(p) || (Depth > 0 && (it->Top.containsPoint(p, Qt::OddEvenFill) ||
                                                it->Side.containsPoint(p, Qt::OddEvenFill)))) {
      return it->Index;
    }
  }
  return -1;
}

TBarGeometry LayoutBars(const TChartModel& model, const QRectF& area, const ITextMetrics& metrics) {
  TBarGeometry geometry;
  geometry.Frame = LayoutFrame(model, area, metrics);
  const QRectF panel = geometry.Frame.Panel;
  geometry.Category = ShownCategoryRange(model.Series, model.Bars);
  geometry.Value = ShownValueRange(model.Series, model.Bars);
  if (geometry.Category.Span() <= 0) geometry.Category.Max = geometry.Category.Min + 1;
  geometry.Depth =
      model.View3D
          ? std::clamp(std::round(std::min(panel.width(), panel.height()) * 0.06), 4.0, 24.0)
          : 0;

  // Vertical first: which labels and marks fit depends only on the spacing of the bars.
  const double axisBand = metrics.LineHeight(TTextRole::AxisLabel) + kTickLength + 2;
  geometry.Plot = QRectF(QPointF(panel.left(), panel.top() + geometry.Depth),
                         QPointF(panel.right(), std::max(panel.top() + geometry.Depth + 1,
                                                         panel.bottom() - axisBand)));
  geometry.Spacing = geometry.Plot.height() / geometry.Category.Span();
  if (geometry.Depth > 0) {
    // No deeper than a bar is thick: the faces of one bar must not run over the next.
    const double deepest = std::max(2.0, std::floor(geometry.Spacing * kBarThicknessShare));
    if (deepest < geometry.Depth) {
      geometry.Plot.setTop(geometry.Plot.top() - geometry.Depth + deepest);
      geometry.Depth = deepest;
      geometry.Spacing = geometry.Plot.height() / geometry.Category.Span();
    }
  }
  const TVisible visible = VisiblePositions(geometry.Category, model.Series.Count());

  const std::vector<int> labelled = LabelledPositions(model, metrics, visible, geometry.Spacing);
  double labelWidth = 0;
  SelectLabels(model, metrics, labelled, panel.width() * kMaxLabelShare, geometry, labelWidth);
  double markWidth = 0;
  if (model.MarksVisible) SelectMarks(model, metrics, labelled, geometry, markWidth);
  const double rightReserve =
      model.MarksVisible && markWidth > 0 ? model.Bars.ConnectorLength + markWidth : 0;

  // Then across: the labels at the left, room for the marks at the right.
  const double left = panel.left() + labelWidth + kLabelGap;
  const double right =
      std::max(left + kMinPlotWidth, panel.right() - rightReserve - geometry.Depth);
  geometry.Plot.setLeft(left);
  geometry.Plot.setRight(right);

  for (auto& label : geometry.Labels) {
    const double y = geometry.MapPosition(label.Index) - label.Box.height() / 2;
    label.Box =
        QRectF(left - kLabelGap - label.Box.width(), y, label.Box.width(), label.Box.height());
  }
  PlaceBars(model, visible, geometry);
  for (auto& mark : geometry.Marks) {
    const TChartPoint& point = model.Series.Point(mark.Index);
    const double x = geometry.MapValue(std::max(point.Value, 0.0));
    const double y = mark.Box.center().y();
    mark.From = QPointF(x + geometry.Depth / 2, y);
    mark.To = QPointF(x + geometry.Depth / 2 + model.Bars.ConnectorLength, y);
    mark.Box.moveLeft(mark.To.x());
  }
  LayoutTicks(geometry);
  return geometry;
}

}  // namespace nubrix::charts

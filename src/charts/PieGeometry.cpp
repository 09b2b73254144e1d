#include "charts/PieGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "charts/NumberFormat.h"

namespace nubrix::charts {

namespace {

constexpr double kRimShare = 0.15;  // rim height per radius in 3D
constexpr double kMinRadius = 4;
constexpr double kMaxMarkRoomShare = 0.25;  // of the panel, on each side

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

std::vector<TPieSlice> SliceAngles(const TChartModel& model) {
  std::vector<TPieSlice> slices;
  const TChartSeries& series = model.Series;
  const double total = series.PieTotal();
  double start = model.Pie.RotationAngle;
  for (int i = 0; i < series.Count(); ++i) {
    const double share = total > 0 ? std::max(0.0, series.Point(i).Value) / total : 0.0;
    slices.push_back({i, start, share * 360.0, {}});
    start += share * 360.0;
  }
  return slices;
}

bool InSlice(const TPieSlice& slice, double degrees) {
  if (slice.Sweep <= 0) return false;
  if (slice.Sweep >= 360) return true;
  return NormalizeDegrees(degrees - slice.Start) < slice.Sweep;
}

struct TMarkText {
  QString Text;
  double Width = 0;
};

std::vector<TMarkText> MeasureMarks(const TChartModel& model, const ITextMetrics& metrics) {
  std::vector<TMarkText> marks;
  if (!model.MarksVisible) return marks;
  marks.reserve(model.Series.Points().size());
  for (const TChartPoint& point : model.Series.Points()) {
    QString text = PointMarkText(point.Caption, point.Value, point.Change);
    const double width = metrics.Width(TTextRole::Mark, text) + 2 * kMarkPadding;
    marks.push_back({std::move(text), width});
  }
  return marks;
}

// The room the marks need around the pie: the widest mark and one line, plus the connector.
QSizeF MarkRoom(const TChartModel& model, const ITextMetrics& metrics,
                const std::vector<TMarkText>& marks) {
  if (marks.empty()) return {0, 0};
  double widest = 0;
  for (const TMarkText& mark : marks) widest = std::max(widest, mark.Width);
  const double connector = model.Pie.ConnectorLength;
  return {widest + connector, metrics.LineHeight(TTextRole::Mark) + 2 * kMarkPadding + connector};
}

void PlaceMarks(const TChartModel& model, const ITextMetrics& metrics,
                std::vector<TMarkText>& texts, TPieGeometry& geometry) {
  const double height = metrics.LineHeight(TTextRole::Mark) + 2 * kMarkPadding;
  const double connector = model.Pie.ConnectorLength;
  for (const TPieSlice& slice : geometry.Slices) {
    TMarkText& text = texts[static_cast<std::size_t>(slice.Index)];
    TPieMark mark;
    mark.Index = slice.Index;
    const double middle = Radians(slice.Middle());
    const double below =
        std::sin(middle) < 0 ? geometry.Depth : 0;  // front marks hang below the rim
    mark.Anchor = geometry.EdgePoint(slice, slice.Middle()) + QPointF(0, below);
    mark.Elbow = mark.Anchor + QPointF(std::cos(middle) * connector, -std::sin(middle) * connector);
    const double left = std::cos(middle) >= 0 ? mark.Elbow.x() : mark.Elbow.x() - text.Width;
    mark.Box = QRectF(left, mark.Elbow.y() - height / 2, text.Width, height);
    mark.Text = std::move(text.Text);
    geometry.Marks.push_back(std::move(mark));
  }
}

}  // namespace

double NormalizeDegrees(double degrees) {
  double d = std::fmod(degrees, 360.0);
  if (d < 0) d += 360.0;
  return d >= 360.0 ? 0.0 : d;
}

double TiltFactor(const TPieOptions& options) {
  const double tilt = 360.0 - NormalizeDegrees(options.Elevation);
  return std::clamp(std::cos(Radians(std::min(tilt, 89.0))), 0.1, 1.0);
}

QPointF TPieGeometry::EdgePoint(const TPieSlice& slice, double degrees, double factor) const {
  const double a = Radians(degrees);
  return Center + slice.Offset +
         QPointF(std::cos(a) * RadiusX * factor, -std::sin(a) * RadiusY * factor);
}

int TPieGeometry::HitTest(const QPointF& p) const {
  if (RadiusX <= 0 || RadiusY <= 0) return -1;
  for (const TPieSlice& slice : Slices) {
    const QPointF q = p - Center - slice.Offset;
    const double u = q.x() / RadiusX;
    const double v = -q.y() / RadiusY;
    if (u * u + v * v <= 1.0) {
      if (InSlice(slice, std::atan2(v, u) * 180.0 / std::numbers::pi)) return slice.Index;
      continue;
    }
    // The rim: below the front half of the edge, Depth pixels down.
    if (Depth > 0 && std::fabs(u) <= 1.0) {
      const double edgeY = RadiusY * std::sqrt(1.0 - u * u);
      if (q.y() >= edgeY && q.y() <= edgeY + Depth) {
        const double angle = std::atan2(-std::sqrt(1.0 - u * u), u) * 180.0 / std::numbers::pi;
        if (InSlice(slice, angle)) return slice.Index;
      }
    }
  }
  return -1;
}

TPieGeometry LayoutPie(const TChartModel& model, const QRectF& area, const ITextMetrics& metrics) {
  TPieGeometry geometry;
  geometry.Frame = LayoutFrame(model, area, metrics);
  const QRectF panel = geometry.Frame.Panel;
  std::vector<TMarkText> markTexts = MeasureMarks(model, metrics);
  // Long labels may reach past the edge rather than squeeze the pie to nothing.
  const QSizeF room =
      MarkRoom(model, metrics, markTexts)
          .boundedTo(QSizeF(panel.width() * kMaxMarkRoomShare, panel.height() * kMaxMarkRoomShare));
  const double explode = std::max(0, model.Pie.ExplodeBiggest) / 100.0;
  const double zoom = std::max(1, model.Pie.Zoom) / 100.0;
  // Half the room left for the pie, less what an exploded slice moves out.
  const double halfWidth = std::max(kMinRadius, (panel.width() / 2 - room.width()) / (1 + explode));
  const double halfHeight =
      std::max(kMinRadius, (panel.height() / 2 - room.height()) / (1 + explode));
  const double tilt = model.View3D ? TiltFactor(model.Pie) : 1.0;
  const double rim = model.View3D ? kRimShare : 0.0;
  // A 3D pie of radius r is r * tilt high above the centre and r * tilt + rim * r below it.
  const double byHeight = halfHeight / (tilt + rim / 2);
  if (model.Pie.Circled) {
    const double radius = std::min(halfWidth, byHeight) * zoom;
    geometry.RadiusX = radius;
    geometry.RadiusY = radius * tilt;
    geometry.Depth = radius * rim;
  } else {
    geometry.RadiusX = halfWidth * zoom;
    geometry.RadiusY = byHeight * tilt * zoom;
    geometry.Depth = byHeight * rim * zoom;
  }
  geometry.Center = panel.center() - QPointF(0, geometry.Depth / 2);
  geometry.Slices = SliceAngles(model);
  const int biggest = model.Series.BiggestIndex();
  if (explode > 0 && biggest >= 0) {
    TPieSlice& slice = geometry.Slices[static_cast<std::size_t>(biggest)];
    const double middle = Radians(slice.Middle());
    slice.Offset = QPointF(std::cos(middle) * geometry.RadiusX * explode,
                           -std::sin(middle) * geometry.RadiusY * explode);
  }
  if (!markTexts.empty()) PlaceMarks(model, metrics, markTexts, geometry);
  return geometry;
}

}  // namespace nubrix::charts

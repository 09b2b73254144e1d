// What a chart shows: its points and the options that decide how they are drawn. The window fills
// the bar chart and the pie chart with the same points; the painter and the hit tests read only
// this and the geometry computed from it.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

namespace nubrix::charts {

using TRgb = std::uint32_t;  // 0xRRGGBB

struct TChartPoint {
  double Value = 0;   // megabytes
  std::string Label;  // raw bytes: the window maps a clicked label back to a folder
  QString Caption;    // the label as shown (invalid UTF-8 replaced)
  TRgb Color = 0;
  QString Change;  // since an earlier scan, as shown after the value; empty for none
};

class TChartSeries {
 public:
  void Clear() { Points_.clear(); }
  void Reserve(std::size_t count) { Points_.reserve(count); }
  void Add(double value, std::string label, TRgb color, QString change = {});
  int Count() const { return static_cast<int>(Points_.size()); }
  const TChartPoint& Point(int index) const { return Points_[static_cast<std::size_t>(index)]; }
  void SetChange(int index, QString change) {
    Points_[static_cast<std::size_t>(index)].Change = std::move(change);
  }
  const std::vector<TChartPoint>& Points() const { return Points_; }
  // The sum of the values that count for a pie: negative values count as nothing.
  double PieTotal() const;
  // The index of the largest value, or -1 for an empty series.
  int BiggestIndex() const;
  // The value range a value axis must show; it always includes 0.
  double MaxValue() const;
  double MinValue() const;

 private:
  std::vector<TChartPoint> Points_;
};

struct TChartColors {
  TRgb Background = 0xFFFFFF;
  TRgb Title = 0x000080;
  TRgb AxisLabels = 0x000000;
  TRgb Footer = 0xFF0000;
  TRgb MarkFill = 0xFFDB9D;
  TRgb MarkFrame = 0xFF9933;
  TRgb LegendFill = 0xFFDB9D;
  TRgb LegendFrame = 0xFF9933;
  TRgb PointOutline = 0x333366;
};

// A shown range of one axis, in its own units (megabytes, or point positions).
struct TAxisRange {
  double Min = 0;
  double Max = 0;
  double Span() const { return Max - Min; }
};

struct TBarOptions {
  int PointsPerPage = 0;  // 0: paging off
  int Page = 1;           // as requested; the shown page is clamped
  // A category range kept by shifting (and by zoom and panning); unset while automatic.
  bool CategoryAutomatic = true;
  TAxisRange Category;
  bool ValueAutomatic = true;
  TAxisRange Value;
  bool ZoomEnabled = true;
  int ConnectorLength = 20;
};

struct TPieOptions {
  bool Circled = true;
  int RotationAngle = 5;   // degrees, where the first slice starts
  int ExplodeBiggest = 0;  // percent of the radius the biggest slice is moved out
  int Elevation = 315;     // 3D: 360 - tilt in degrees
  int Zoom = 95;           // percent of the largest radius that fits
  int ConnectorLength = 8;
};

struct TChartModel {
  TChartSeries Series;
  QStringList Title{QStringLiteral("Select drive or directory and click scan !")};
  QString Footer = QStringLiteral("Size in MB");
  bool LegendVisible = false;
  bool MarksVisible = true;
  bool View3D = false;
  TChartColors Colors;
  TBarOptions Bars;
  TPieOptions Pie;
};

}  // namespace nubrix::charts

// Where everything of the bar chart goes, computed once per layout and used both to paint and
// to hit-test. Positions run up the chart: point 0 is the bottom bar.
#pragma once

#include <QPolygonF>
#include <QRectF>
#include <QStringList>
#include <vector>

#include "charts/ChartModel.h"
#include "charts/ChartText.h"
#include "charts/FrameLayout.h"

namespace nubrix::charts {

struct TBarShape {
  int Index = 0;
  QRectF Front;
  QPolygonF Top;   // 3D only
  QPolygonF Side;  // 3D only
};

struct TCategoryLabel {
  int Index = 0;
  QRectF Box;
  QStringList Lines;
};

struct TBarMark {
  int Index = 0;
  QPointF From;
  QPointF To;
  QRectF Box;
  QString Text;
};

struct TValueTick {
  double Value = 0;
  double X = 0;
  QString Text;
};

struct TBarGeometry {
  TFrameLayout Frame;
  QRectF Plot;       // the front plane; the back plane lies Depth to the right and up
  double Depth = 0;  // 0 in 2D
  TAxisRange Category;
  TAxisRange Value;
  double Spacing = 0;  // pixels per position
  std::vector<TBarShape> Bars;
  std::vector<TCategoryLabel> Labels;
  std::vector<TBarMark> Marks;
  std::vector<TValueTick> Ticks;

  double MapValue(double value) const;
  double MapPosition(double position) const;  // the y of a position's centre
  double ValueAt(double x) const;
  double PositionAt(double y) const;
  // The index of the bar under p, or -1. The 3D faces count as part of their bar.
  int HitTest(const QPointF& p) const;
};

inline constexpr double kBarThicknessShare = 0.7;

TBarGeometry LayoutBars(const TChartModel& model, const QRectF& area, const ITextMetrics& metrics);

// A tick step of 1, 2 or 5 times a power of ten giving about `wanted` steps over span.
double NiceStep(double span, double wanted);

}  // namespace nubrix::charts

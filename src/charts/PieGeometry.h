// Where the slices of the pie go. Angles are degrees counter-clockwise from three o'clock; the
// first slice starts at the rotation angle. In 3D the pie is tilted, so its top is an ellipse
// even when circled, and a rim of Depth pixels shows below its front half.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <vector>

#include "charts/ChartModel.h"
#include "charts/ChartText.h"
#include "charts/FrameLayout.h"

namespace nubrix::charts {

struct TPieSlice {
  int Index = 0;
  double Start = 0;  // degrees
  double Sweep = 0;  // degrees, >= 0
  QPointF Offset;    // the exploded slice's shift, else (0, 0)
  double Middle() const { return Start + Sweep / 2; }
};

struct TPieMark {
  int Index = 0;
  QPointF Anchor;  // on the slice's edge
  QPointF Elbow;   // the connector's outer end
  QRectF Box;
  QString Text;
};

struct TPieGeometry {
  TFrameLayout Frame;
  QPointF Center;  // of the top face
  double RadiusX = 0;
  double RadiusY = 0;
  double Depth = 0;  // 0 in 2D
  std::vector<TPieSlice> Slices;
  std::vector<TPieMark> Marks;

  // The point at angle degrees on the top face's edge, scaled by factor, for a slice.
  QPointF EdgePoint(const TPieSlice& slice, double degrees, double factor = 1) const;
  // The index of the slice under p (top face or, in 3D, the rim), or -1.
  int HitTest(const QPointF& p) const;
};

// cos of the tilt: how much a 3D pie's top is squeezed vertically.
double TiltFactor(const TPieOptions& options);

TPieGeometry LayoutPie(const TChartModel& model, const QRectF& area, const ITextMetrics& metrics);

// degrees brought into [0, 360).
double NormalizeDegrees(double degrees);

}  // namespace nubrix::charts

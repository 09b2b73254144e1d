#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "charts/FakeMetrics.h"
#include "charts/PieGeometry.h"

namespace nubrix::charts {
namespace {

using test::ModelWith;
using test::TFakeMetrics;

const QRectF kArea(0, 0, 800, 600);

// A point inside slice i at `factor` of the radius, on its middle angle.
QPointF Inside(const TPieGeometry& geometry, int index, double factor = 0.5) {
  const TPieSlice& slice = geometry.Slices[static_cast<std::size_t>(index)];
  return geometry.EdgePoint(slice, slice.Middle(), factor);
}

TEST(PieGeometryTest, SlicesStartAtTheRotationAndShareTheCircle) {
  TChartModel model = ModelWith(3, {1, 2, 1});
  TPieGeometry geometry = LayoutPie(model, kArea, TFakeMetrics());
  ASSERT_EQ(geometry.Slices.size(), 3u);
  EXPECT_DOUBLE_EQ(geometry.Slices[0].Start, 5);
  EXPECT_DOUBLE_EQ(geometry.Slices[0].Sweep, 90);
  EXPECT_DOUBLE_EQ(geometry.Slices[1].Start, 95);
  EXPECT_DOUBLE_EQ(geometry.Slices[1].Sweep, 180);
  EXPECT_DOUBLE_EQ(geometry.RadiusX, geometry.RadiusY) << "circled";
  for (int i = 0; i < 3; ++i) EXPECT_EQ(geometry.HitTest(Inside(geometry, i)), i);
  EXPECT_EQ(geometry.HitTest(Inside(geometry, 0, 1.05)), -1) << "just outside the edge";
  EXPECT_EQ(geometry.HitTest(QPointF(1, 1)), -1);
}

TEST(PieGeometryTest, RotationMovesTheHitsWithTheSlices) {
  TChartModel model = ModelWith(2, {1, 3});
  const TPieGeometry before = LayoutPie(model, kArea, TFakeMetrics());
  const QPointF probe = Inside(before, 0);
  EXPECT_EQ(before.HitTest(probe), 0);
  model.Pie.RotationAngle = (5 + 180) % 360;
  const TPieGeometry after = LayoutPie(model, kArea, TFakeMetrics());
  EXPECT_EQ(after.HitTest(probe), 1) << "half a turn later slice 1 lies there";
  model.Pie.RotationAngle = 359;
  EXPECT_DOUBLE_EQ(LayoutPie(model, kArea, TFakeMetrics()).Slices[1].Start, 359 + 90);
}

TEST(PieGeometryTest, ExplodedBiggestSliceMovesOutByTheShare) {
  TChartModel model = ModelWith(3, {1, 5, 2});
  model.Pie.ExplodeBiggest = 10;
  const TPieGeometry geometry = LayoutPie(model, kArea, TFakeMetrics());
  const TPieSlice& biggest = geometry.Slices[1];
  EXPECT_NEAR(std::hypot(biggest.Offset.x(), biggest.Offset.y()), 0.1 * geometry.RadiusX, 1e-9);
  EXPECT_EQ(geometry.Slices[0].Offset, QPointF());
  // Beyond the unexploded edge on its middle angle lies the exploded slice.
  const double a = biggest.Middle() * std::numbers::pi / 180;
  const QPointF beyond =
      geometry.Center + QPointF(std::cos(a), -std::sin(a)) * geometry.RadiusX * 1.05;
  EXPECT_EQ(geometry.HitTest(beyond), 1);
  // Right at the centre is now the gap the slice left.
  EXPECT_EQ(geometry.HitTest(geometry.Center + biggest.Offset * 0.2), -1);
}

TEST(PieGeometryTest, EllipticPieFillsItsArea) {
  TChartModel model = ModelWith(4);
  model.MarksVisible = false;
  model.Pie.Circled = false;
  const TPieGeometry geometry = LayoutPie(model, kArea, TFakeMetrics());
  EXPECT_GT(geometry.RadiusX, geometry.RadiusY * 1.2);
  EXPECT_NEAR(geometry.RadiusX, geometry.Frame.Panel.width() / 2 * 0.95, 1e-9);
  EXPECT_NEAR(geometry.RadiusY, geometry.Frame.Panel.height() / 2 * 0.95, 1e-9);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(geometry.HitTest(Inside(geometry, i, 0.9)), i);
}

TEST(PieGeometryTest, ThreeDimensionalPieIsTiltedWithARimInFront) {
  TChartModel model = ModelWith(2, {1, 1});
  model.View3D = true;
  model.Pie.RotationAngle = 0;  // slice 0 on top, slice 1 in front
  const TPieGeometry geometry = LayoutPie(model, kArea, TFakeMetrics());
  EXPECT_NEAR(TiltFactor(model.Pie), std::cos(std::numbers::pi / 4), 1e-12) << "elevation 315";
  EXPECT_NEAR(geometry.RadiusY, geometry.RadiusX * TiltFactor(model.Pie), 1e-9);
  ASSERT_GT(geometry.Depth, 0);
  const QPointF frontEdge = geometry.Center + QPointF(0, geometry.RadiusY);
  EXPECT_EQ(geometry.HitTest(frontEdge + QPointF(0, geometry.Depth / 2)), 1) << "the rim";
  EXPECT_EQ(geometry.HitTest(frontEdge + QPointF(0, geometry.Depth + 2)), -1) << "below the rim";
  const QPointF backEdge = geometry.Center - QPointF(0, geometry.RadiusY);
  EXPECT_EQ(geometry.HitTest(backEdge - QPointF(0, geometry.Depth / 2)), -1)
      << "no rim at the back";
}

TEST(PieGeometryTest, EverySliceIsItsOwnAndEmptyValuesDrawNothing) {
  TChartModel model = ModelWith(1000);
  model.MarksVisible = false;
  const TPieGeometry geometry = LayoutPie(model, kArea, TFakeMetrics());
  ASSERT_EQ(geometry.Slices.size(), 1000u);
  EXPECT_EQ(geometry.HitTest(Inside(geometry, 999, 0.8)), 999);
  TChartModel zero = ModelWith(3, {0, 0, 0});
  const TPieGeometry nothing = LayoutPie(zero, kArea, TFakeMetrics());
  EXPECT_EQ(nothing.HitTest(nothing.Center), -1);
  TChartModel one = ModelWith(2, {0, 7});
  const TPieGeometry whole = LayoutPie(one, kArea, TFakeMetrics());
  EXPECT_DOUBLE_EQ(whole.Slices[1].Sweep, 360);
  EXPECT_EQ(whole.HitTest(whole.Center + QPointF(3, 3)), 1);
}

TEST(PieGeometryTest, MarksSitOutsideOnTheirSliceSide) {
  TChartModel model = ModelWith(2, {1, 1});
  model.Pie.RotationAngle = 90;  // slice 0 on the left, slice 1 on the right
  const TPieGeometry geometry = LayoutPie(model, kArea, TFakeMetrics());
  ASSERT_EQ(geometry.Marks.size(), 2u);
  EXPECT_LT(geometry.Marks[0].Box.right(), geometry.Center.x() - geometry.RadiusX);
  EXPECT_GT(geometry.Marks[1].Box.left(), geometry.Center.x() + geometry.RadiusX);
  EXPECT_NEAR(std::hypot(geometry.Marks[1].Elbow.x() - geometry.Marks[1].Anchor.x(),
                         geometry.Marks[1].Elbow.y() - geometry.Marks[1].Anchor.y()),
              8, 1e-9);
  EXPECT_EQ(geometry.Marks[0].Text, QStringLiteral("p0 1 MB"));
}

}  // namespace
}  // namespace nubrix::charts

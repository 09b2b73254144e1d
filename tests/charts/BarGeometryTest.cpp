#include <gtest/gtest.h>

#include "charts/BarGeometry.h"
#include "charts/BarPaging.h"
#include "charts/FakeMetrics.h"

namespace nubrix::charts {
namespace {

using test::ModelWith;
using test::TFakeMetrics;

const QRectF kArea(0, 0, 800, 600);

QPointF BarCentre(const TBarGeometry& geometry, int index) {
  for (const TBarShape& bar : geometry.Bars) {
    if (bar.Index == index) return bar.Front.center();
  }
  ADD_FAILURE() << "bar " << index << " not laid out";
  return {};
}

TEST(BarPagingTest, FortyFiveBarsSpreadShowTheLastPageAndShiftUnchecked) {
  TChartModel model = ModelWith(45);
  EXPECT_EQ(PageCount(45, 20), 3);
  EXPECT_EQ(ClampPage(110, 3), 3);
  EXPECT_EQ(ClampPage(0, 3), 1);
  EXPECT_EQ(PageCount(0, 20), 1);
  model.Bars.PointsPerPage = 20;
  model.Bars.Page = 110;
  TAxisRange shown = ShownCategoryRange(model.Series, model.Bars);
  EXPECT_DOUBLE_EQ(shown.Min, 39.5);  // bars 41 to 45
  EXPECT_DOUBLE_EQ(shown.Max, 44.5);
  ShiftCategoryRange(model.Bars, model.Series, 18);
  shown = ShownCategoryRange(model.Series, model.Bars);
  EXPECT_DOUBLE_EQ(shown.Min, 57.5);
  EXPECT_FALSE(model.Bars.CategoryAutomatic);
  EXPECT_TRUE(LayoutBars(model, kArea, TFakeMetrics()).Bars.empty()) << "scrolled into empty space";
  ShiftCategoryRange(model.Bars, model.Series, -36);
  shown = ShownCategoryRange(model.Series, model.Bars);
  EXPECT_DOUBLE_EQ(shown.Min, 21.5);
  model.Bars.PointsPerPage = 0;  // a kept range outlives paging until made automatic
  EXPECT_DOUBLE_EQ(ShownCategoryRange(model.Series, model.Bars).Min, 21.5);
  model.Bars.CategoryAutomatic = true;
  EXPECT_DOUBLE_EQ(ShownCategoryRange(model.Series, model.Bars).Max, 44.5);
}

TEST(BarGeometryTest, FirstPointAtTheBottomAndHitsFindEachBar) {
  TChartModel model = ModelWith(5);
  for (bool view3D : {false, true}) {
    model.View3D = view3D;
    const TBarGeometry geometry = LayoutBars(model, kArea, TFakeMetrics());
    ASSERT_EQ(geometry.Bars.size(), 5u);
    for (int i = 0; i + 1 < 5; ++i) {
      EXPECT_GT(BarCentre(geometry, i).y(), BarCentre(geometry, i + 1).y())
          << "bar " << i << " is below";
    }
    for (int i = 0; i < 5; ++i) EXPECT_EQ(geometry.HitTest(BarCentre(geometry, i)), i);
    // Between two bars, beyond the longest bar, and outside the plot nothing is hit.
    const QPointF gap = (BarCentre(geometry, 1) + BarCentre(geometry, 2)) / 2;
    EXPECT_EQ(geometry.HitTest(QPointF(geometry.Plot.left() + 2, gap.y())), -1);
    EXPECT_EQ(geometry.HitTest(
                  QPointF(geometry.MapValue(5) + geometry.Depth + 3, BarCentre(geometry, 4).y())),
              -1);
    EXPECT_EQ(geometry.HitTest(QPointF(1, 1)), -1);
    // Bars grow from zero to their values.
    const QRectF& longest = geometry.Bars[4].Front;
    EXPECT_NEAR(longest.left(), geometry.MapValue(0), 1e-9);
    EXPECT_NEAR(longest.right(), geometry.MapValue(5), 1e-9);
  }
}

TEST(BarGeometryTest, TopAndSideFacesOfA3DBarBelongToIt) {
  TChartModel model = ModelWith(3);
  model.View3D = true;
  const TBarGeometry geometry = LayoutBars(model, kArea, TFakeMetrics());
  ASSERT_GT(geometry.Depth, 0);
  const QRectF front = geometry.Bars[2].Front;
  const double d = geometry.Depth;
  EXPECT_EQ(geometry.HitTest(QPointF(front.center().x(), front.top() - d / 2)), 2) << "top face";
  EXPECT_EQ(geometry.HitTest(QPointF(front.right() + d / 2, front.center().y())), 2) << "side face";
  EXPECT_FALSE(geometry.Bars[2].Side.isEmpty());
}

TEST(BarGeometryTest, ValueAndPositionMappingsInvert) {
  const TBarGeometry geometry = LayoutBars(ModelWith(10), kArea, TFakeMetrics());
  for (double v : {0.0, 2.5, 10.0}) EXPECT_NEAR(geometry.ValueAt(geometry.MapValue(v)), v, 1e-9);
  for (double p : {-0.5, 3.0, 9.5})
    EXPECT_NEAR(geometry.PositionAt(geometry.MapPosition(p)), p, 1e-9);
  EXPECT_NEAR(geometry.MapPosition(-0.5), geometry.Plot.bottom(), 1e-9);
  EXPECT_NEAR(geometry.MapPosition(9.5), geometry.Plot.top(), 1e-9);
}

TEST(BarGeometryTest, TenThousandBarsKeepLabelsAndMarksApart) {
  const TChartModel model = ModelWith(10000);
  const TBarGeometry geometry = LayoutBars(model, kArea, TFakeMetrics());
  EXPECT_EQ(geometry.Bars.size(), 10000u);
  ASSERT_GE(geometry.Labels.size(), 2u);
  EXPECT_LE(static_cast<double>(geometry.Labels.size()) * TFakeMetrics::kLine,
            geometry.Plot.height() + TFakeMetrics::kLine);
  // Listed from the top bar down; no two overlap, and the top bar keeps its label.
  EXPECT_EQ(geometry.Labels.front().Index, 9999);
  for (std::size_t i = 1; i < geometry.Labels.size(); ++i) {
    EXPECT_GE(geometry.Labels[i].Box.top(), geometry.Labels[i - 1].Box.bottom() - 1e-6);
  }
  ASSERT_EQ(geometry.Marks.size(), geometry.Labels.size());
  for (std::size_t i = 1; i < geometry.Marks.size(); ++i) {
    EXPECT_EQ(geometry.Marks[i].Index, geometry.Labels[i].Index) << "a mark beside its label";
    EXPECT_FALSE(
        geometry.Marks[i - 1].Box.intersects(geometry.Marks[i].Box.adjusted(0, 0.01, 0, -0.01)));
  }
  EXPECT_EQ(geometry.HitTest(BarCentre(geometry, 9999)), 9999);
}

TEST(BarGeometryTest, LongLabelsWrapAndMarksSitAtTheBarEnds) {
  TChartModel model;
  model.Series.Add(4, "a rather long folder name that has to wrap", 0x0099FF);
  model.Series.Add(8, "short", 0x0099FF);
  const TBarGeometry geometry = LayoutBars(model, kArea, TFakeMetrics());
  ASSERT_EQ(geometry.Labels.size(), 2u);
  const TCategoryLabel& wrapped =
      geometry.Labels[0].Index == 0 ? geometry.Labels[0] : geometry.Labels[1];
  EXPECT_GT(wrapped.Lines.size(), 1u);
  EXPECT_LE(wrapped.Box.right(), geometry.Plot.left());
  ASSERT_EQ(geometry.Marks.size(), 2u);
  const TBarMark& mark = geometry.Marks[0].Index == 1 ? geometry.Marks[0] : geometry.Marks[1];
  EXPECT_EQ(mark.Text, QStringLiteral("short 8 MB"));
  EXPECT_NEAR(mark.From.x(), geometry.MapValue(8), 1e-9);
  EXPECT_NEAR(mark.To.x() - mark.From.x(), 20, 1e-9) << "connector length";
  EXPECT_LE(mark.Box.right(), kArea.right());
}

TEST(BarGeometryTest, ZoomedRangesShowOnlyWhatTheyCover) {
  TChartModel model = ModelWith(10);
  model.Bars.CategoryAutomatic = false;
  model.Bars.Category = {1.5, 3.5};
  model.Bars.ValueAutomatic = false;
  model.Bars.Value = {2, 4};
  const TBarGeometry geometry = LayoutBars(model, kArea, TFakeMetrics());
  ASSERT_EQ(geometry.Bars.size(), 2u);
  EXPECT_EQ(geometry.Bars[0].Index, 2);
  EXPECT_EQ(geometry.Bars[1].Index, 3);
  EXPECT_NEAR(geometry.Ticks.front().Value, 2, 1e-9);
  EXPECT_NEAR(geometry.Ticks.back().Value, 4, 1e-9);
  // A bar beginning left of the shown values is cut at the plot's edge, not hit outside it.
  EXPECT_EQ(geometry.HitTest(QPointF(geometry.Plot.left() - 1, BarCentre(geometry, 2).y())), -1);
}

TEST(BarGeometryTest, NiceSteps) {
  EXPECT_DOUBLE_EQ(NiceStep(10, 5), 2);
  EXPECT_DOUBLE_EQ(NiceStep(12000, 5), 5000);
  EXPECT_DOUBLE_EQ(NiceStep(1, 10), 0.1);
  EXPECT_DOUBLE_EQ(NiceStep(0, 10), 0);
}

}  // namespace
}  // namespace nubrix::charts

// The widget: mouse input becomes clicks, hovering, zoom and panning.
#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>

#include "charts/ChartView.h"
#include "charts/FakeMetrics.h"

namespace nubrix::charts {
namespace {

class ChartViewTest : public testing::Test {
 protected:
  void SetUp() override {
    view_.resize(800, 600);
    view_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view_));
    view_.Model() = test::ModelWith(5);
    view_.Changed();
  }
  QPoint BarCentre(int index) {
    for (const TBarShape& bar : view_.BarLayout().Bars) {
      if (bar.Index == index) return bar.Front.center().toPoint();
    }
    return {};
  }
  TChartView view_{TChartKind::Bars};
};

TEST_F(ChartViewTest, ClickOnABarNamesItAndTheButton) {
  QSignalSpy clicks(&view_, &TChartView::PointClicked);
  QTest::mouseClick(&view_, Qt::LeftButton, {}, BarCentre(3));
  QTest::mouseClick(&view_, Qt::RightButton, {}, BarCentre(1));
  QTest::mouseClick(&view_, Qt::MiddleButton, {}, BarCentre(0));
  QTest::mouseClick(&view_, Qt::LeftButton, {}, QPoint(2, 2));  // off every bar: no click
  ASSERT_EQ(clicks.count(), 3);
  EXPECT_EQ(clicks[0][0].toInt(), 3);
  EXPECT_EQ(clicks[0][1].value<Qt::MouseButton>(), Qt::LeftButton);
  EXPECT_EQ(clicks[1][0].toInt(), 1);
  EXPECT_EQ(clicks[1][1].value<Qt::MouseButton>(), Qt::RightButton);
  EXPECT_EQ(clicks[2][1].value<Qt::MouseButton>(), Qt::MiddleButton);
}

TEST_F(ChartViewTest, HoveringNamesThePointUnderTheMouse) {
  QSignalSpy hovers(&view_, &TChartView::PointHovered);
  QTest::mouseMove(&view_, BarCentre(2));
  QTest::mouseMove(&view_, QPoint(2, 2));
  ASSERT_GE(hovers.count(), 2);
  EXPECT_EQ(hovers[hovers.count() - 2][0].toInt(), 2);
  EXPECT_EQ(hovers.last()[0].toInt(), -1);
}

TEST_F(ChartViewTest, DraggingDownRightZoomsAndUpLeftUndoes) {
  // Bar 3 lies above bar 1 and reaches further right.
  const QPoint from(BarCentre(1).x() - 5, BarCentre(3).y() - 5);
  const QPoint to(BarCentre(3).x() + 5, BarCentre(1).y() + 5);
  QTest::mousePress(&view_, Qt::LeftButton, {}, from);
  QTest::mouseMove(&view_, (from + to) / 2);
  QTest::mouseMove(&view_, to);
  QTest::mouseRelease(&view_, Qt::LeftButton, {}, to);
  EXPECT_FALSE(view_.Model().Bars.CategoryAutomatic);
  EXPECT_EQ(view_.BarLayout().Bars.size(), 3u) << "bars 1 to 3 are left";

  QTest::mousePress(&view_, Qt::LeftButton, {}, to);
  QTest::mouseMove(&view_, (from + to) / 2);
  QTest::mouseMove(&view_, from);
  QTest::mouseRelease(&view_, Qt::LeftButton, {}, from);
  EXPECT_TRUE(view_.Model().Bars.CategoryAutomatic);
  EXPECT_EQ(view_.BarLayout().Bars.size(), 5u);
}

TEST_F(ChartViewTest, ZoomCanBeSwitchedOffAndRightDragPans) {
  view_.Model().Bars.ZoomEnabled = false;
  const QPoint from = BarCentre(1);
  QTest::mousePress(&view_, Qt::LeftButton, {}, from);
  QTest::mouseMove(&view_, from + QPoint(60, 60));
  QTest::mouseRelease(&view_, Qt::LeftButton, {}, from + QPoint(60, 60));
  EXPECT_TRUE(view_.Model().Bars.CategoryAutomatic);

  const double spacing = view_.BarLayout().Spacing;
  QTest::mousePress(&view_, Qt::RightButton, {}, from);
  QTest::mouseMove(&view_, from + QPoint(0, 10));
  QTest::mouseMove(&view_, from + QPoint(0, static_cast<int>(spacing) + 10));
  QTest::mouseRelease(&view_, Qt::RightButton, {},
                      from + QPoint(0, static_cast<int>(spacing) + 10));
  EXPECT_FALSE(view_.Model().Bars.CategoryAutomatic);
  // The content follows the mouse down by spacing + 10 pixels: the range moves up as much.
  EXPECT_NEAR(view_.Model().Bars.Category.Min, -0.5 + (static_cast<int>(spacing) + 10) / spacing,
              1e-9);
  view_.UndoZoom();
  EXPECT_TRUE(view_.Model().Bars.CategoryAutomatic);
}

TEST(ChartViewPieTest, SliceClicksAndTheImageOfTheWidgetSize) {
  TChartView pie(TChartKind::Pie);
  pie.resize(400, 300);
  pie.Model() = test::ModelWith(2, {1, 1});
  pie.Changed();
  QSignalSpy clicks(&pie, &TChartView::PointClicked);
  const TPieGeometry& geometry = pie.PieLayout();
  QTest::mouseClick(
      &pie, Qt::LeftButton, {},
      geometry.EdgePoint(geometry.Slices[1], geometry.Slices[1].Middle(), 0.5).toPoint());
  ASSERT_EQ(clicks.count(), 1);
  EXPECT_EQ(clicks[0][0].toInt(), 1);
  EXPECT_EQ(pie.ToImage().size(), QSize(400, 300));
}

}  // namespace
}  // namespace nubrix::charts

// What a user sees on rendered images: colours where the layout puts things.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cmath>

#include "charts/ChartPainter.h"
#include "charts/FakeMetrics.h"

namespace nubrix::charts {
namespace {

QImage Render(TChartKind kind, const TChartModel& model) {
  QImage image(800, 600, QImage::Format_RGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  RenderChart(painter, kind, model, QRectF(0, 0, 800, 600));
  return image;
}

TRgb At(const QImage& image, const QPointF& p) {
  return image.pixel(static_cast<int>(std::lround(p.x())), static_cast<int>(std::lround(p.y()))) &
         0xFFFFFF;
}

TChartModel Coloured() {
  TChartModel model;
  model.Series.Add(3, "red", 0xFF0000);
  model.Series.Add(1, "green", 0x00FF00);
  model.Series.Add(2, "blue", 0x0000FF);
  model.Colors.Background = 0x3E9ADE;
  return model;
}

TEST(RenderTest, BackgroundAndSliceColoursAtTheirAngles) {
  TChartModel model = Coloured();
  model.MarksVisible = false;
  const QImage image = Render(TChartKind::Pie, model);
  EXPECT_EQ(At(image, {3, 3}), 0x3E9ADEu);
  const TPieGeometry geometry = LayoutPie(model, QRectF(0, 0, 800, 600), TFontMetrics());
  for (const TPieSlice& slice : geometry.Slices) {
    EXPECT_EQ(At(image, geometry.EdgePoint(slice, slice.Middle(), 0.6)),
              model.Series.Point(slice.Index).Color)
        << "slice " << slice.Index;
  }
}

TEST(RenderTest, ExplodedSliceLeavesAGapAtTheCentre) {
  TChartModel model = Coloured();
  model.MarksVisible = false;
  model.Pie.ExplodeBiggest = 10;
  const QImage image = Render(TChartKind::Pie, model);
  const TPieGeometry geometry = LayoutPie(model, QRectF(0, 0, 800, 600), TFontMetrics());
  const TPieSlice& red = geometry.Slices[0];
  EXPECT_EQ(At(image, geometry.Center + red.Offset * 0.5), 0x3E9ADEu)
      << "the background shows through";
  EXPECT_EQ(At(image, geometry.EdgePoint(red, red.Middle(), 0.5)), 0xFF0000u);
  const double a = red.Middle() * 3.14159265358979323846 / 180;
  const QPointF pastOldEdge =
      geometry.Center + QPointF(std::cos(a), -std::sin(a)) * geometry.RadiusX * 1.05;
  EXPECT_EQ(At(image, pastOldEdge), 0xFF0000u) << "the slice reaches past where its edge was";
}

TEST(RenderTest, MarkBoxesAreFilledAndFramedAndBarsCarryTheirColour) {
  const TChartModel model = Coloured();
  const QImage image = Render(TChartKind::Bars, model);
  const TBarGeometry geometry = LayoutBars(model, QRectF(0, 0, 800, 600), TFontMetrics());
  ASSERT_EQ(geometry.Marks.size(), 3u);
  const QRectF box = geometry.Marks.back().Box;
  EXPECT_EQ(At(image, QPointF(box.left() + 1, box.top() + 1)), 0xFFDB9Du);
  EXPECT_EQ(At(image, QPointF(box.left(), box.center().y() + 3)), 0xFF9933u)
      << "the frame, below the connector";
  const QRectF bar = geometry.Bars[0].Front;
  const TRgb middle = At(image, bar.center() + QPointF(0, 2));
  EXPECT_GT((middle >> 16) & 0xFF, 0xC0u) << "the red bar is red";
  EXPECT_EQ(At(image, {3, 3}), 0x3E9ADEu);
}

}  // namespace
}  // namespace nubrix::charts

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// The chart control's costs: filling points, laying out and painting, hit testing.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <string>

#include "charts/ChartPainter.h"

using namespace nubrix::charts;

namespace {

const QRectF kArea(0, 0, 800, 600);

void Fill(TChartModel& model, int count) {
  const TRgb palette[] = {0xB4E2FF, 0x99CCFF, 0x0099FF, 0x0082E6, 0x0066CC, 0x003399};
  model.Series.Clear();
  model.Series.Reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    model.Series.Add(1 + (i * 7919) % 1000 / 10.0, "folder " + std::to_string(i), palette[i % 6]);
  }
}

TChartModel Model(int count, bool view3D) {
  TChartModel model;
  Fill(model, count);
  model.View3D = view3D;
  model.Colors.Background = 0x3E9ADE;
  return model;
}

void BM_Fill10000(benchmark::State& state) {
  TChartModel model;
  for (auto _ : state) {
    Fill(model, 10000);
    benchmark::DoNotOptimize(model.Series.Count());
  }
}
BENCHMARK(BM_Fill10000)->Unit(benchmark::kMillisecond);

void PaintOnce(benchmark::State& state, TChartKind kind, const TChartModel& model) {
  QImage image(800, 600, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter painter(&image);
    RenderChart(painter, kind, model, kArea);
  }
}

void BM_Bars10000(benchmark::State& state) {
  PaintOnce(state, TChartKind::Bars, Model(10000, state.range(0) != 0));
}
BENCHMARK(BM_Bars10000)->Arg(0)->Arg(1)->ArgNames({"3d"})->Unit(benchmark::kMillisecond);

void BM_Bars10000Spread(benchmark::State& state) {
  TChartModel model = Model(10000, false);
  model.Bars.PointsPerPage = 20;
  model.Bars.Page = 110;
  PaintOnce(state, TChartKind::Bars, model);
}
BENCHMARK(BM_Bars10000Spread)->Unit(benchmark::kMillisecond);

void BM_Pie(benchmark::State& state) {
  PaintOnce(state, TChartKind::Pie, Model(static_cast<int>(state.range(0)), state.range(1) != 0));
}
BENCHMARK(BM_Pie)
    ->Args({200, 1})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->ArgNames({"slices", "3d"})
    ->Unit(benchmark::kMillisecond);

void BM_RotatingPieFrame(benchmark::State& state) {
  // One tick of the turning pie: the angle changes, the layout is made anew and painted.
  TChartModel model = Model(200, true);
  QImage image(800, 600, QImage::Format_RGB32);
  for (auto _ : state) {
    model.Pie.RotationAngle = (model.Pie.RotationAngle + 1) % 360;
    QPainter painter(&image);
    RenderChart(painter, TChartKind::Pie, model, kArea);
  }
}
BENCHMARK(BM_RotatingPieFrame)->Unit(benchmark::kMillisecond);

void BM_HitTestBars10000(benchmark::State& state) {
  const TBarGeometry geometry = LayoutBars(Model(10000, true), kArea, TFontMetrics());
  double y = geometry.Plot.top();
  for (auto _ : state) {
    y = y + 1 > geometry.Plot.bottom() ? geometry.Plot.top() : y + 1;
    benchmark::DoNotOptimize(geometry.HitTest(QPointF(geometry.Plot.left() + 3, y)));
  }
}
BENCHMARK(BM_HitTestBars10000)->Unit(benchmark::kMicrosecond);

void BM_HitTestPie1000(benchmark::State& state) {
  const TPieGeometry geometry = LayoutPie(Model(1000, true), kArea, TFontMetrics());
  double angle = 0;
  for (auto _ : state) {
    angle += 0.37;
    const TPieSlice& slice = geometry.Slices.front();
    benchmark::DoNotOptimize(geometry.HitTest(geometry.EdgePoint(slice, angle, 0.7)));
  }
}
BENCHMARK(BM_HitTestPie1000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}

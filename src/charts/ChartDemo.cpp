// Renders the bar and pie chart with sample folders in 2D and 3D, and with the pie options,
// to PNG files, so that their look can be checked by eye.  usage: nubrix-chart-demo OUTDIR
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <string>

#include "charts/ChartOutput.h"
#include "charts/ChartPainter.h"

using namespace nubrix::charts;

namespace {

TChartModel SampleModel() {
  TChartModel model;
  const TRgb palette[] = {0xB4E2FF, 0x99CCFF, 0x0099FF, 0x0082E6, 0x0066CC, 0x003399};
  const std::pair<const char*, double> folders[] = {{"Documents", 5120.25},
                                                    {"Music", 2048.5},
                                                    {"Pictures from the last holiday", 3300.1},
                                                    {"Videos", 12000},
                                                    {"Downloads", 740.75},
                                                    {"Projects", 1500},
                                                    {"caf\xc3\xa9 notes", 12.5},
                                                    {"tmp", 0.02}};
  int position = -1;
  bool up = true;
  for (const auto& [name, size] : folders) {
    if (position >= 5)
      up = false;
    else if (position <= 0)
      up = true;
    position += up ? 1 : -1;
    model.Series.Add(size, name, palette[position]);
  }
  model.Series.Add(321.1234, "<All files in folder>", 0x000080);
  model.Title = {QStringLiteral("Folder Sizes in: /home/user/")};
  model.Colors.Background = 0x3E9ADE;
  model.Colors.Title = model.Colors.AxisLabels = model.Colors.Footer = 0xFFDB9D;
  return model;
}

bool Save(const QString& dir, const QString& name, TChartKind kind, const TChartModel& model) {
  QImage image(800, 600, QImage::Format_RGB32);
  QPainter painter(&image);
  RenderChart(painter, kind, model, QRectF(0, 0, 800, 600));
  painter.end();
  const QString path = dir + u'/' + name + QStringLiteral(".png");
  const bool ok = image.save(path);
  std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
  QDir().mkpath(dir);
  TChartModel model = SampleModel();
  bool ok = true;
  // Every picture type of the pie and the bars, as the program saves them.
  const std::pair<TPictureType, const char*> types[] = {{TPictureType::Bitmap, "bmp"},
                                                        {TPictureType::Metafile, "wmf"},
                                                        {TPictureType::EnhancedMetafile, "emf"},
                                                        {TPictureType::Svg, "svg"}};
  for (const auto& [type, suffix] : types) {
    for (TChartKind kind : {TChartKind::Bars, TChartKind::Pie}) {
      const QString path = dir + (kind == TChartKind::Bars ? "/bars." : "/pie.") + suffix;
      QString error;
      ok &= SaveChartPicture(kind, model, QSize(800, 600), type, path, &error);
      std::printf("wrote %s %s\n", qPrintable(path), qPrintable(error));
    }
  }
  ok &= Save(dir, "bars-2d", TChartKind::Bars, model);
  ok &= Save(dir, "pie-2d", TChartKind::Pie, model);
  model.View3D = true;
  ok &= Save(dir, "bars-3d", TChartKind::Bars, model);
  ok &= Save(dir, "pie-3d", TChartKind::Pie, model);
  model.LegendVisible = true;
  model.Pie.ExplodeBiggest = 10;
  model.Pie.Circled = false;
  model.Pie.RotationAngle = 95;
  ok &= Save(dir, "pie-3d-elliptic-exploded-legend", TChartKind::Pie, model);
  model.View3D = false;
  model.Bars.PointsPerPage = 4;
  model.Bars.Page = 110;
  ok &= Save(dir, "bars-2d-last-page-legend", TChartKind::Bars, model);
  TChartModel many = SampleModel();
  many.Series.Clear();
  const TRgb palette[] = {0xB4E2FF, 0x99CCFF, 0x0099FF, 0x0082E6, 0x0066CC, 0x003399};
  for (int i = 0; i < 200; ++i) {
    many.Series.Add(1 + (i * 7919) % 1000 / 10.0, "folder " + std::to_string(i), palette[i % 6]);
  }
  many.View3D = true;
  many.Pie.ExplodeBiggest = 10;
  ok &= Save(dir, "pie-3d-200-slices", TChartKind::Pie, many);
  ok &= Save(dir, "bars-3d-200", TChartKind::Bars, many);
  return ok ? 0 : 1;
}

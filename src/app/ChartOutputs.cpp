#include "app/ChartOutputs.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QWidget>
#include <stdexcept>

#include "charts/ChartOutput.h"
#include "charts/ChartView.h"
#include "charts/TreemapView.h"
#include "ui/UserDialogs.h"

namespace nubrix {

namespace {

// The picture alone on one page, as large as fits with its proportions kept.
void PrintPicture(const charts::TPicturePainter& paint, const QSizeF& size, QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) throw std::runtime_error("The printer could not be started.");
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  const double scale = std::min(page.width() / size.width(), page.height() / size.height());
  painter.translate((page.width() - size.width() * scale) / 2, 0);
  painter.scale(scale, scale);
  paint(painter, QRectF(QPointF(0, 0), size), true);
  painter.end();
}

}  // namespace

TChartOutputs::TChartOutputs(IUserDialogs& dialogs, QWidget* window,
                             std::function<charts::TChartView*()> shown,
                             std::function<charts::TTreemapView*()> shownTreemap)
    : QObject(window),
      Dialogs_(dialogs),
      Window_(window),
      Shown_(std::move(shown)),
      ShownTreemap_(std::move(shownTreemap)) {}

void TChartOutputs::actPrintExecute() {
  QPrinter printer(QPrinter::HighResolution);
  if (!Dialogs_.ChoosePrinter(Window_, printer)) return;
  if (charts::TChartView* chart = Shown_()) {
    PrintChart(*chart, printer);
  } else if (charts::TTreemapView* treemap = ShownTreemap_ ? ShownTreemap_() : nullptr) {
    PrintTreemap(*treemap, printer);
  }
}

void TChartOutputs::PrintChart(const charts::TChartView& chart, QPrinter& printer) {
  PrintPicture(
      [&chart](QPainter& painter, const QRectF& area, bool) { chart.Render(painter, area); },
      chart.size(), printer);
}

void TChartOutputs::PrintTreemap(const charts::TTreemapView& treemap, QPrinter& printer) {
  PrintPicture(treemap.Painter(), treemap.size(), printer);
}

void TChartOutputs::CopyTreemap(const charts::TTreemapView& treemap) {
  QGuiApplication::clipboard()->setMimeData(
      charts::PictureMimeData(treemap.Painter(), treemap.size()).release());
}

void TChartOutputs::actSaveAsPictureExecute() {
  QString fileName;
  QString filter;
  if (!Dialogs_.ChooseSaveFile(Window_, charts::PictureFilters(), QStringLiteral("bmp"), fileName,
                               filter))
    return;
  const charts::TPictureType type = charts::PictureTypeOfFilter(filter);
  QString error;
  bool saved = true;
  if (charts::TChartView* chart = Shown_()) {
    saved = charts::SaveChartPicture(chart->Kind(), chart->Model(), chart->size(), type, fileName,
                                     &error);
  } else if (charts::TTreemapView* treemap = ShownTreemap_ ? ShownTreemap_() : nullptr) {
    saved = charts::SavePicture(treemap->Painter(), treemap->size(), type, fileName, &error);
  }
  if (!saved) {
    throw std::runtime_error(
        QStringLiteral("Could not write %1: %2").arg(fileName, error).toStdString());
  }
}

void TChartOutputs::CopyChart(const charts::TChartView& chart) {
  QGuiApplication::clipboard()->setMimeData(
      charts::ChartMimeData(chart.Kind(), chart.Model(), chart.size()).release());
}

}  // namespace nubrix

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
#include "ui/JobRunner.h"
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
      Writer_(new TJobRunner(this)),
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

// The picture is drawn here, from the chart as it is shown; its bytes are written on the worker,
// so a slow disk never holds the window.
void TChartOutputs::actSaveAsPictureExecute() {
  QString fileName;
  QString filter;
  if (!Dialogs_.ChooseSaveFile(Window_, charts::PictureFilters(), QStringLiteral("bmp"), fileName,
                               filter))
    return;
  const charts::TPictureType type = charts::PictureTypeOfFilter(filter);
  QByteArray bytes;
  if (charts::TChartView* chart = Shown_()) {
    bytes = charts::ChartPicture(chart->Kind(), chart->Model(), chart->size(), type);
  } else if (charts::TTreemapView* treemap = ShownTreemap_ ? ShownTreemap_() : nullptr) {
    bytes = charts::PictureOf(treemap->Painter(), treemap->size(), type);
  } else {
    return;
  }
  Writer_->Start(
      [bytes = std::move(bytes), fileName](TJob&) {
        QString error;
        charts::WritePictureFile(bytes, fileName, &error);
        return error;
      },
      [this, fileName](const QString& error) {
        if (error.isEmpty()) return;
        Dialogs_.ShowError(Window_, QStringLiteral("Could not write %1: %2").arg(fileName, error));
      });
}

void TChartOutputs::CopyChart(const charts::TChartView& chart) {
  QGuiApplication::clipboard()->setMimeData(
      charts::ChartMimeData(chart.Kind(), chart.Model(), chart.size()).release());
}

}  // namespace nubrix

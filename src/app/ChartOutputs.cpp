#include "app/ChartOutputs.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QWidget>
#include <stdexcept>

#include "charts/ChartOutput.h"
#include "charts/ChartView.h"
#include "ui/UserDialogs.h"

namespace nubrix {

TChartOutputs::TChartOutputs(IUserDialogs& dialogs, QWidget* window,
                             std::function<charts::TChartView*()> shown)
    : QObject(window), Dialogs_(dialogs), Window_(window), Shown_(std::move(shown)) {}

void TChartOutputs::actPrintExecute() {
  QPrinter printer(QPrinter::HighResolution);
  if (!Dialogs_.ChoosePrinter(Window_, printer)) return;
  charts::TChartView* chart = Shown_();
  if (chart == nullptr) return;
  PrintChart(*chart, printer);
}

void TChartOutputs::PrintChart(const charts::TChartView& chart, QPrinter& printer) {
  QPainter painter;
  if (!painter.begin(&printer)) throw std::runtime_error("The printer could not be started.");
  const QRectF page = printer.pageRect(QPrinter::DevicePixel);
  const QSizeF size = chart.size();
  const double scale = std::min(page.width() / size.width(), page.height() / size.height());
  painter.translate((page.width() - size.width() * scale) / 2, 0);
  painter.scale(scale, scale);
  chart.Render(painter, QRectF(QPointF(0, 0), size));
  painter.end();
}

void TChartOutputs::actSaveAsPictureExecute() {
  QString fileName;
  QString filter;
  if (!Dialogs_.ChooseSaveFile(Window_, charts::PictureFilters(), QStringLiteral("bmp"), fileName,
                               filter))
    return;
  charts::TChartView* chart = Shown_();
  if (chart == nullptr) return;
  const charts::TPictureType type = charts::PictureTypeOfFilter(filter);
  QString error;
  if (!charts::SaveChartPicture(chart->Kind(), chart->Model(), chart->size(), type, fileName,
                                &error)) {
    throw std::runtime_error(
        QStringLiteral("Could not write %1: %2").arg(fileName, error).toStdString());
  }
}

void TChartOutputs::CopyChart(const charts::TChartView& chart) {
  QGuiApplication::clipboard()->setMimeData(
      charts::ChartMimeData(chart.Kind(), chart.Model(), chart.size()).release());
}

}  // namespace nubrix

// The chart of the page shown on paper, in a picture file, on the clipboard.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <QPrinter>
#include <QStackedWidget>
#include <stdexcept>

#include "app/TForm1.h"
#include "charts/ChartOutput.h"
#include "charts/ChartView.h"

namespace nubrix {

charts::TChartView* TForm1::ChartOfPageShown() const {
  switch (FlatPageControl1_->currentIndex()) {
    case 0:
      return Bars_;
    case 1:
      return Pies_;
    default:
      return nullptr;
  }
}

void TForm1::actPrintExecute() {
  QPrinter printer(QPrinter::HighResolution);
  if (!Dialogs_->ChoosePrinter(this, printer)) return;
  charts::TChartView* chart = ChartOfPageShown();
  if (chart == nullptr) return;
  PrintChart(*chart, printer);
}

// The chart alone on one page, as large as fits with its proportions kept.
void TForm1::PrintChart(const charts::TChartView& chart, QPrinter& printer) {
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

void TForm1::actSaveAsPictureExecute() {
  QString fileName;
  QString filter;
  if (!Dialogs_->ChooseSaveFile(this, charts::PictureFilters(), QStringLiteral("bmp"), fileName,
                                filter))
    return;
  charts::TChartView* chart = ChartOfPageShown();
  if (chart == nullptr) return;
  const charts::TPictureType type = charts::PictureTypeOfFilter(filter);
  QString error;
  if (!charts::SaveChartPicture(chart->Kind(), chart->Model(), chart->size(), type, fileName,
                                &error)) {
    throw std::runtime_error(
        QStringLiteral("Could not write %1: %2").arg(fileName, error).toStdString());
  }
}

void TForm1::CopyChart(const charts::TChartView& chart) {
  QGuiApplication::clipboard()->setMimeData(
      charts::ChartMimeData(chart.Kind(), chart.Model(), chart.size()).release());
}

}  // namespace nubrix

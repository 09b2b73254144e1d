#include "charts/ChartOutput.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "charts/MetafileWriters.h"

namespace nubrix::charts {

namespace {

QImage Raster(TChartKind kind, const TChartModel& model, const QSize& size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  RenderChart(painter, kind, model, QRectF(QPointF(0, 0), QSizeF(size)));
  return image;
}

QByteArray Encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

QByteArray Metafile(TChartKind kind, const TChartModel& model, const QSize& size,
                    std::unique_ptr<IMetafileWriter> writer) {
  TMetafileDevice device(size, std::move(writer));
  {
    QPainter painter(&device);
    RenderChart(painter, kind, model, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  return device.Finish();
}

QByteArray Svg(TChartKind kind, const TChartModel& model, const QSize& size) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(size);
  generator.setViewBox(QRect(QPoint(0, 0), size));
  generator.setTitle(QStringLiteral("Nubrix lite chart"));
  {
    QPainter painter(&generator);
    RenderChart(painter, kind, model, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  return bytes;
}

}  // namespace

QStringList PictureFilters() {
  return {QStringLiteral("Bitmap file (*.bmp)"), QStringLiteral("Metafile (*.wmf)"),
          QStringLiteral("Enhanced metafile (*.emf)"), QStringLiteral("PNG picture (*.png)"),
          QStringLiteral("SVG picture (*.svg)")};
}

TPictureType PictureTypeOfFilter(const QString& filter) {
  const qsizetype index = PictureFilters().indexOf(filter);
  return index < 0 ? TPictureType::Bitmap : static_cast<TPictureType>(index);
}

QByteArray ChartPicture(TChartKind kind, const TChartModel& model, const QSize& size,
                        TPictureType type) {
  switch (type) {
    case TPictureType::Bitmap:
      return Encoded(Raster(kind, model, size), "BMP");
    case TPictureType::Png:
      return Encoded(Raster(kind, model, size), "PNG");
    case TPictureType::Metafile:
      return Metafile(kind, model, size, MakeWmfWriter());
    case TPictureType::EnhancedMetafile:
      return Metafile(kind, model, size, MakeEmfWriter());
    case TPictureType::Svg:
      return Svg(kind, model, size);
  }
  return {};
}

bool SaveChartPicture(TChartKind kind, const TChartModel& model, const QSize& size,
                      TPictureType type, const QString& fileName, QString* error) {
  const QByteArray bytes = ChartPicture(kind, model, size, type);
  QSaveFile file(fileName);
  const bool ok = !bytes.isEmpty() && file.open(QIODevice::WriteOnly) &&
                  file.write(bytes) == bytes.size() && file.commit();
  if (!ok && error != nullptr)
    *error =
        file.errorString().isEmpty() ? QStringLiteral("the picture is empty") : file.errorString();
  return ok;
}

std::unique_ptr<QMimeData> ChartMimeData(TChartKind kind, const TChartModel& model,
                                         const QSize& size) {
  auto data = std::make_unique<QMimeData>();
  const QImage image = Raster(kind, model, size);
  data->setImageData(image);
  data->setData(QStringLiteral("image/png"), Encoded(image, "PNG"));
  data->setData(QStringLiteral("image/svg+xml"), Svg(kind, model, size));
  const QByteArray emf = Metafile(kind, model, size, MakeEmfWriter());
  data->setData(kEmfMime, emf);
  data->setData(kOfficeEmfMime, emf);
  return data;
}

}  // namespace nubrix::charts

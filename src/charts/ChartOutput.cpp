#include "charts/ChartOutput.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "charts/MetafileWriters.h"

namespace nubrix::charts {

namespace {

QImage Raster(const TPicturePainter& paint, const QSize& size) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  paint(painter, QRectF(QPointF(0, 0), QSizeF(size)), true);
  return image;
}

QByteArray Encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, format);
  return bytes;
}

QByteArray Metafile(const TPicturePainter& paint, const QSize& size,
                    std::unique_ptr<IMetafileWriter> writer) {
  TMetafileDevice device(size, std::move(writer));
  {
    QPainter painter(&device);
    paint(painter, QRectF(QPointF(0, 0), QSizeF(size)), false);
  }
  return device.Finish();
}

QByteArray Svg(const TPicturePainter& paint, const QSize& size) {
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
    paint(painter, QRectF(QPointF(0, 0), QSizeF(size)), true);
  }
  return bytes;
}

TPicturePainter ChartPainterOf(TChartKind kind, const TChartModel& model) {
  return [kind, &model](QPainter& painter, const QRectF& area, bool) {
    RenderChart(painter, kind, model, area);
  };
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

QByteArray PictureOf(const TPicturePainter& paint, const QSize& size, TPictureType type) {
  switch (type) {
    case TPictureType::Bitmap:
      return Encoded(Raster(paint, size), "BMP");
    case TPictureType::Png:
      return Encoded(Raster(paint, size), "PNG");
    case TPictureType::Metafile:
      return Metafile(paint, size, MakeWmfWriter());
    case TPictureType::EnhancedMetafile:
      return Metafile(paint, size, MakeEmfWriter());
    case TPictureType::Svg:
      return Svg(paint, size);
  }
  return {};
}

bool SavePicture(const TPicturePainter& paint, const QSize& size, TPictureType type,
                 const QString& fileName, QString* error) {
  return WritePictureFile(PictureOf(paint, size, type), fileName, error);
}

bool WritePictureFile(const QByteArray& bytes, const QString& fileName, QString* error) {
  QSaveFile file(fileName);
  const bool ok = !bytes.isEmpty() && file.open(QIODevice::WriteOnly) &&
                  file.write(bytes) == bytes.size() && file.commit();
  if (!ok && error != nullptr)
    *error =
        file.errorString().isEmpty() ? QStringLiteral("the picture is empty") : file.errorString();
  return ok;
}

std::unique_ptr<QMimeData> PictureMimeData(const TPicturePainter& paint, const QSize& size) {
  auto data = std::make_unique<QMimeData>();
  const QImage image = Raster(paint, size);
  data->setImageData(image);
  data->setData(QStringLiteral("image/png"), Encoded(image, "PNG"));
  data->setData(QStringLiteral("image/svg+xml"), Svg(paint, size));
  const QByteArray emf = Metafile(paint, size, MakeEmfWriter());
  data->setData(kEmfMime, emf);
  data->setData(kOfficeEmfMime, emf);
  return data;
}

QByteArray ChartPicture(TChartKind kind, const TChartModel& model, const QSize& size,
                        TPictureType type) {
  return PictureOf(ChartPainterOf(kind, model), size, type);
}

bool SaveChartPicture(TChartKind kind, const TChartModel& model, const QSize& size,
                      TPictureType type, const QString& fileName, QString* error) {
  return SavePicture(ChartPainterOf(kind, model), size, type, fileName, error);
}

std::unique_ptr<QMimeData> ChartMimeData(TChartKind kind, const TChartModel& model,
                                         const QSize& size) {
  return PictureMimeData(ChartPainterOf(kind, model), size);
}

}  // namespace nubrix::charts

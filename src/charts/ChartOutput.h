// A chart as a picture file or clipboard data, drawn by the same painting code as the screen.
#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QSize>
#include <QString>
#include <functional>
#include <memory>

#include "charts/ChartModel.h"
#include "charts/ChartPainter.h"

namespace nubrix::charts {

enum class TPictureType { Bitmap, Metafile, EnhancedMetafile, Png, Svg };

// The file-dialog filters, in the order the save dialog offers them.
QStringList PictureFilters();
TPictureType PictureTypeOfFilter(const QString& filter);

// Paints a picture into area; raster is false for a metafile, which holds no images.
using TPicturePainter = std::function<void(QPainter& painter, const QRectF& area, bool raster)>;

// Any picture's bytes in the type's file format, its file, and its clipboard data.
QByteArray PictureOf(const TPicturePainter& paint, const QSize& size, TPictureType type);
bool SavePicture(const TPicturePainter& paint, const QSize& size, TPictureType type,
                 const QString& fileName, QString* error);
std::unique_ptr<QMimeData> PictureMimeData(const TPicturePainter& paint, const QSize& size);
// Writes a picture's bytes under fileName, replacing the file only once it is complete; false and
// a reason when it cannot be written. Touches no widget: callable from a worker.
bool WritePictureFile(const QByteArray& bytes, const QString& fileName, QString* error);

// The picture's bytes in the type's file format.
QByteArray ChartPicture(TChartKind kind, const TChartModel& model, const QSize& size,
                        TPictureType type);

// Writes the picture under fileName, replacing the file only once it is complete. false and a
// reason when it cannot be written.
bool SaveChartPicture(TChartKind kind, const TChartModel& model, const QSize& size,
                      TPictureType type, const QString& fileName, QString* error);

inline const QString kEmfMime = QStringLiteral("image/x-emf");
inline const QString kOfficeEmfMime =
    QStringLiteral("application/x-openoffice-emf;windows_formatname=\"Image EMF\"");

// PNG (as an image too), SVG and EMF of the chart, for the clipboard.
std::unique_ptr<QMimeData> ChartMimeData(TChartKind kind, const TChartModel& model,
                                         const QSize& size);

}  // namespace nubrix::charts

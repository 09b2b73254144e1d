// A chart as a picture file or clipboard data, drawn by the same painting code as the screen.
#pragma once

#include <QByteArray>
#include <QMimeData>
#include <QSize>
#include <QString>
#include <memory>

#include "charts/ChartModel.h"
#include "charts/ChartPainter.h"

namespace nubrix::charts {

enum class TPictureType { Bitmap, Metafile, EnhancedMetafile, Png, Svg };

// The file-dialog filters, in the order the save dialog offers them.
QStringList PictureFilters();
TPictureType PictureTypeOfFilter(const QString& filter);

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

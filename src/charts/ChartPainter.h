// Draws a laid-out chart onto any QPainter: the screen, an image, a printer page, a picture.
#pragma once

#include <QPainter>
#include <QRectF>

#include "charts/BarGeometry.h"
#include "charts/ChartModel.h"
#include "charts/PieGeometry.h"

namespace nubrix::charts {

enum class TChartKind { Bars, Pie };

void PaintBars(QPainter& painter, const TChartModel& model, const TBarGeometry& geometry);
void PaintPie(QPainter& painter, const TChartModel& model, const TPieGeometry& geometry);

// Lays the chart out for area with the program's fonts and paints it.
void RenderChart(QPainter& painter, TChartKind kind, const TChartModel& model, const QRectF& area);

inline QColor ToColor(TRgb rgb) { return QColor::fromRgb(static_cast<QRgb>(0xFF000000u | rgb)); }

}  // namespace nubrix::charts

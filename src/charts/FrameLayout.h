// The frame every chart shares: title lines at the top, the footer at the bottom, the legend at
// the right, and the panel left for the plot.
#pragma once

#include <QRectF>
#include <QString>
#include <vector>

#include "charts/ChartModel.h"
#include "charts/ChartText.h"

namespace nubrix::charts {

struct TLegendRow {
  int Index = 0;
  QRectF Swatch;
  QRectF Text;
  QString Caption;  // percentage, a blank, the label
};

struct TFrameLayout {
  QRectF Area;
  std::vector<QRectF> TitleLines;
  QRectF Footer;
  QRectF Legend;  // empty when hidden
  std::vector<TLegendRow> LegendRows;
  QRectF Panel;
};

inline constexpr double kFrameMargin = 6;
// Space between a mark's text and its box.
inline constexpr double kMarkPadding = 2;

TFrameLayout LayoutFrame(const TChartModel& model, const QRectF& area, const ITextMetrics& metrics);

}  // namespace nubrix::charts

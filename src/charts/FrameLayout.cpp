#include "charts/FrameLayout.h"

#include <algorithm>

#include "charts/NumberFormat.h"

namespace nubrix::charts {

namespace {

constexpr double kSwatch = 10;
constexpr double kLegendPadding = 4;
constexpr double kMaxLegendShare = 0.4;

void LayoutLegend(const TChartModel& model, const ITextMetrics& metrics, TFrameLayout& frame) {
  const TChartSeries& series = model.Series;
  const double rowHeight = std::max(metrics.LineHeight(TTextRole::Legend), kSwatch + 2);
  const double top = frame.Panel.top();
  const int fitting =
      std::max(0, static_cast<int>((frame.Panel.height() - 2 * kLegendPadding) / rowHeight));
  const int rows = std::min(series.Count(), fitting);
  const double total = series.PieTotal();
  double textWidth = 0;
  for (int i = 0; i < rows; ++i) {
    const TChartPoint& point = series.Point(i);
    TLegendRow row;
    row.Index = i;
    row.Caption = FormatPercent(point.Value, total) + u' ' + point.Caption;
    textWidth = std::max(textWidth, metrics.Width(TTextRole::Legend, row.Caption));
    frame.LegendRows.push_back(std::move(row));
  }
  const double width =
      std::min(kSwatch + 3 * kLegendPadding + textWidth, frame.Panel.width() * kMaxLegendShare);
  const double height = rows * rowHeight + 2 * kLegendPadding;
  frame.Legend = QRectF(frame.Panel.right() - width, top, width, height);
  for (auto& row : frame.LegendRows) {
    const double y = top + kLegendPadding + row.Index * rowHeight;
    row.Swatch = QRectF(frame.Legend.left() + kLegendPadding, y + (rowHeight - kSwatch) / 2,
                        kSwatch, kSwatch);
    row.Text = QRectF(row.Swatch.right() + kLegendPadding, y,
                      frame.Legend.right() - kLegendPadding - row.Swatch.right() - kLegendPadding,
                      rowHeight);
  }
  frame.Panel.setRight(frame.Legend.left() - kFrameMargin);
}

}  // namespace

TFrameLayout LayoutFrame(const TChartModel& model, const QRectF& area,
                         const ITextMetrics& metrics) {
  TFrameLayout frame;
  frame.Area = area;
  QRectF panel = area.adjusted(kFrameMargin, kFrameMargin, -kFrameMargin, -kFrameMargin);
  const double titleLine = metrics.LineHeight(TTextRole::Title);
  for (int i = 0; i < model.Title.size(); ++i) {
    frame.TitleLines.emplace_back(panel.left(), panel.top() + i * titleLine, panel.width(),
                                  titleLine);
  }
  panel.setTop(panel.top() + titleLine * static_cast<double>(model.Title.size()) + kFrameMargin);
  if (!model.Footer.isEmpty()) {
    const double footerLine = metrics.LineHeight(TTextRole::Footer);
    frame.Footer = QRectF(panel.left(), panel.bottom() - footerLine, panel.width(), footerLine);
    panel.setBottom(frame.Footer.top() - kFrameMargin);
  }
  frame.Panel = panel;
  if (model.LegendVisible && model.Series.Count() > 0) LayoutLegend(model, metrics, frame);
  return frame;
}

}  // namespace nubrix::charts

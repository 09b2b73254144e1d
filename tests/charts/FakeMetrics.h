// Exact, made-up text metrics: every character 6 pixels wide, every line 10 high.
#pragma once

#include <QSizeF>
#include <QStringList>

#include "charts/ChartModel.h"
#include "charts/ChartText.h"

namespace nubrix::charts::test {

class TFakeMetrics : public ITextMetrics {
 public:
  static constexpr double kChar = 6;
  static constexpr double kLine = 10;
  double Width(TTextRole, const QString& text) const override {
    return kChar * static_cast<double>(text.size());
  }
  double LineHeight(TTextRole) const override { return kLine; }
  QSizeF WrappedSize(TTextRole role, const QString& text, double maxWidth) const override {
    const QStringList lines = WrapWords(*this, role, text, maxWidth);
    double width = 0;
    for (const QString& line : lines) width = std::max(width, Width(role, line));
    return {width, kLine * static_cast<double>(lines.size())};
  }
};

// n points named p0, p1, ... with the values given, or i + 1 when none are given.
inline TChartModel ModelWith(int n, std::vector<double> values = {}) {
  TChartModel model;
  for (int i = 0; i < n; ++i) {
    const double value =
        i < static_cast<int>(values.size()) ? values[static_cast<std::size_t>(i)] : i + 1;
    model.Series.Add(value, "p" + std::to_string(i), 0x0099FF);
  }
  return model;
}

}  // namespace nubrix::charts::test

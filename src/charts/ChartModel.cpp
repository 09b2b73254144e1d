#include "charts/ChartModel.h"

#include <algorithm>

namespace nubrix::charts {

void TChartSeries::Add(double value, std::string label, TRgb color, QString change) {
  QString caption = QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
  Points_.push_back({value, std::move(label), std::move(caption), color, std::move(change)});
}

double TChartSeries::PieTotal() const {
  double total = 0;
  for (const auto& point : Points_) total += std::max(0.0, point.Value);
  return total;
}

int TChartSeries::BiggestIndex() const {
  if (Points_.empty()) return -1;
  const auto biggest =
      std::max_element(Points_.begin(), Points_.end(),
                       [](const auto& a, const auto& b) { return a.Value < b.Value; });
  return static_cast<int>(biggest - Points_.begin());
}

double TChartSeries::MaxValue() const {
  double most = 0;
  for (const auto& point : Points_) most = std::max(most, point.Value);
  return most;
}

double TChartSeries::MinValue() const {
  double least = 0;
  for (const auto& point : Points_) least = std::min(least, point.Value);
  return least;
}

}  // namespace nubrix::charts

#include "charts/BarPaging.h"

#include <algorithm>

namespace nubrix::charts {

int PageCount(int pointCount, int perPage) {
  if (perPage <= 0 || pointCount <= 0) return 1;
  return (pointCount + perPage - 1) / perPage;
}

int ClampPage(int page, int pageCount) { return std::clamp(page, 1, std::max(1, pageCount)); }

TAxisRange ShownCategoryRange(const TChartSeries& series, const TBarOptions& options) {
  if (!options.CategoryAutomatic) return options.Category;
  const int count = series.Count();
  if (count == 0) return {-0.5, 0.5};
  if (options.PointsPerPage <= 0) return {-0.5, count - 0.5};
  const int page = ClampPage(options.Page, PageCount(count, options.PointsPerPage));
  const int first = options.PointsPerPage * (page - 1);
  const int last = std::min(first + options.PointsPerPage, count) - 1;
  return {first - 0.5, last + 0.5};
}

void ShiftCategoryRange(TBarOptions& options, const TChartSeries& series, double positions) {
  TAxisRange range = ShownCategoryRange(series, options);
  range.Min += positions;
  range.Max += positions;
  options.Category = range;
  options.CategoryAutomatic = false;
}

TAxisRange ShownValueRange(const TChartSeries& series, const TBarOptions& options) {
  if (!options.ValueAutomatic) return options.Value;
  TAxisRange range{series.MinValue(), series.MaxValue()};
  if (range.Span() <= 0) range.Max = range.Min + 1;
  return range;
}

}  // namespace nubrix::charts

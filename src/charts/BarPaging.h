// Paging and scrolling of the bar chart's category axis. Positions are point indices: the first
// point sits at position 0, at the bottom.
#pragma once

#include "charts/ChartModel.h"

namespace nubrix::charts {

// At least 1; with paging off everything is one page.
int PageCount(int pointCount, int perPage);
// A page above the count is the last one, one below 1 the first.
int ClampPage(int page, int pageCount);

// The positions the category axis shows: the kept range when one is kept, else the shown page
// (the last page scaled to its own points), else every point. Ends lie half a position beyond
// the first and last bar shown.
TAxisRange ShownCategoryRange(const TChartSeries& series, const TBarOptions& options);

// Moves the shown range by `positions` (positive: up the chart) and keeps it, unchecked: it
// may leave every bar behind.
void ShiftCategoryRange(TBarOptions& options, const TChartSeries& series, double positions);

// The value axis: the kept range, else 0 .. the largest value (negative values widen it down).
TAxisRange ShownValueRange(const TChartSeries& series, const TBarOptions& options);

}  // namespace nubrix::charts

// The number texts of the charts: mark values ("#,##0.### MB") and legend percentages.
#pragma once

#include <QString>

namespace nubrix::charts {

struct TNumberSeparators {
  QChar Thousands = u',';
  QChar Decimal = u'.';
};

// value with thousands separators and at most `decimals` decimals, trailing zeros dropped,
// rounded half away from zero on the value's shortest decimal form (so 1.2345 gives 1.235).
QString FormatGrouped(double value, int decimals, const TNumberSeparators& separators = {});

// "#,##0.### MB"
QString FormatMarkValue(double megabytes, const TNumberSeparators& separators = {});

// The mark of a point: its label, a blank, its value.
QString MarkText(const QString& caption, double megabytes,
                 const TNumberSeparators& separators = {});

// A change of size: "+1,234.5 MB", "-12 MB"; empty when it shows as no change at all.
QString FormatChange(double megabytes, const TNumberSeparators& separators = {});

// The mark of a point with its change since an earlier scan: "name 12 MB (+3 MB)".
QString PointMarkText(const QString& caption, double megabytes, const QString& change,
                      const TNumberSeparators& separators = {});

// "##0.## %" of part in total; "0 %" when the total is not positive.
QString FormatPercent(double part, double total, const TNumberSeparators& separators = {});

}  // namespace nubrix::charts

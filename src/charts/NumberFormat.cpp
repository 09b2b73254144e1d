#include "charts/NumberFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace nubrix::charts {

namespace {

// Decimal digits of |value| rounded at `decimals` places: the integer part and the fraction.
std::pair<std::string, std::string> RoundedDigits(double value, int decimals) {
  // 15 significant digits give back the decimal a value was typed or computed as.
  char text[64];
  std::snprintf(text, sizeof text, "%.14e", std::fabs(value));
  const std::string printed = text;
  const std::size_t e = printed.find('e');
  const std::string digits = printed.substr(0, 1) + printed.substr(2, e - 2);
  const int exponent = std::stoi(printed.substr(e + 1));
  std::string whole;
  std::string fraction;
  if (exponent < 0) {
    whole = "0";
    fraction = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
  } else {
    const auto point = static_cast<std::size_t>(exponent) + 1;
    whole = digits.substr(0, std::min(point, digits.size()));
    whole.resize(point, '0');
    fraction = point < digits.size() ? digits.substr(point) : "";
  }
  fraction.resize(std::max(fraction.size(), static_cast<std::size_t>(decimals) + 1), '0');
  const bool roundUp = fraction[static_cast<std::size_t>(decimals)] >= '5';
  fraction.resize(static_cast<std::size_t>(decimals));
  if (roundUp) {
    std::string all = whole + fraction;
    int i = static_cast<int>(all.size()) - 1;
    while (i >= 0 && all[static_cast<std::size_t>(i)] == '9')
      all[static_cast<std::size_t>(i--)] = '0';
    if (i < 0) {
      all.insert(all.begin(), '1');
    } else {
      ++all[static_cast<std::size_t>(i)];
    }
    whole = all.substr(0, all.size() - fraction.size());
    fraction = all.substr(all.size() - fraction.size());
  }
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  return {whole, fraction};
}

}  // namespace

QString FormatGrouped(double value, int decimals, const TNumberSeparators& separators) {
  if (!std::isfinite(value)) return QStringLiteral("0");
  const auto [whole, fraction] = RoundedDigits(value, decimals);
  QString out;
  const bool negative = value < 0 && (whole != "0" || !fraction.empty());
  if (negative) out += u'-';
  for (std::size_t i = 0; i < whole.size(); ++i) {
    if (i > 0 && (whole.size() - i) % 3 == 0) out += separators.Thousands;
    out += QChar(whole[i]);
  }
  if (!fraction.empty()) {
    out += separators.Decimal;
    out += QString::fromLatin1(fraction.data(), static_cast<qsizetype>(fraction.size()));
  }
  return out;
}

QString FormatMarkValue(double megabytes, const TNumberSeparators& separators) {
  return FormatGrouped(megabytes, 3, separators) + QStringLiteral(" MB");
}

QString MarkText(const QString& caption, double megabytes, const TNumberSeparators& separators) {
  return caption + u' ' + FormatMarkValue(megabytes, separators);
}

QString FormatChange(double megabytes, const TNumberSeparators& separators) {
  const QString magnitude = FormatGrouped(std::abs(megabytes), 3, separators);
  if (magnitude == QStringLiteral("0")) return {};
  return (megabytes < 0 ? QStringLiteral("-") : QStringLiteral("+")) + magnitude +
         QStringLiteral(" MB");
}

QString PointMarkText(const QString& caption, double megabytes, const QString& change,
                      const TNumberSeparators& separators) {
  QString text = MarkText(caption, megabytes, separators);
  if (!change.isEmpty()) text += QStringLiteral(" (") + change + u')';
  return text;
}

QString FormatPercent(double part, double total, const TNumberSeparators& separators) {
  const double percent = total > 0 ? 100.0 * std::max(0.0, part) / total : 0.0;
  return FormatGrouped(percent, 2, separators) + QStringLiteral(" %");
}

}  // namespace nubrix::charts

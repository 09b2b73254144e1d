#include "charts/ChartText.h"

#include <QFontMetricsF>
#include <QStringList>
#include <array>

namespace nubrix::charts {

namespace {

const QFontMetricsF& MetricsFor(TTextRole role) {
  // One metrics object per role for the life of the program: measuring is the hot part of a
  // layout with thousands of points.
  static const std::array<QFontMetricsF, 5> metrics{
      QFontMetricsF(FontFor(TTextRole::Title)), QFontMetricsF(FontFor(TTextRole::Footer)),
      QFontMetricsF(FontFor(TTextRole::AxisLabel)), QFontMetricsF(FontFor(TTextRole::Mark)),
      QFontMetricsF(FontFor(TTextRole::Legend))};
  return metrics[static_cast<std::size_t>(role)];
}

}  // namespace

QFont FontFor(TTextRole role) {
  QFont font(QStringLiteral("Arial"));
  // 8 pt at 96 dpi, in pixels: the same layout then holds on screens, printers and pictures,
  // which the caller scales as a whole.
  font.setPixelSize(11);
  font.setBold(role == TTextRole::Title);
  return font;
}

double TFontMetrics::Width(TTextRole role, const QString& text) const {
  return MetricsFor(role).horizontalAdvance(text);
}

double TFontMetrics::LineHeight(TTextRole role) const { return MetricsFor(role).height(); }

QSizeF TFontMetrics::WrappedSize(TTextRole role, const QString& text, double maxWidth) const {
  const QStringList lines = WrapWords(*this, role, text, maxWidth);
  double width = 0;
  for (const QString& line : lines) width = std::max(width, Width(role, line));
  return {width, LineHeight(role) * static_cast<double>(lines.size())};
}

QStringList WrapWords(const ITextMetrics& metrics, TTextRole role, const QString& text,
                      double maxWidth) {
  if (metrics.Width(role, text) <= maxWidth) return {text};
  QStringList lines;
  QString line;
  for (const QString& word : text.split(u' ')) {
    const QString candidate = line.isEmpty() ? word : line + u' ' + word;
    if (line.isEmpty() || metrics.Width(role, candidate) <= maxWidth) {
      line = candidate;
    } else {
      lines << line;
      line = word;
    }
  }
  lines << line;
  return lines;
}

}  // namespace nubrix::charts

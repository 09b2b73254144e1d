// Text measurement for the chart layout. The layout asks only this interface, so its geometry
// can be checked with exact, made-up metrics; the painter uses fonts.
#pragma once

#include <QFont>
#include <QSizeF>
#include <QString>

namespace nubrix::charts {

enum class TTextRole { Title, Footer, AxisLabel, Mark, Legend };

class ITextMetrics {
 public:
  virtual ~ITextMetrics() = default;
  virtual double Width(TTextRole role, const QString& text) const = 0;
  virtual double LineHeight(TTextRole role) const = 0;
  // The size of text broken at blanks into lines no wider than maxWidth (a word wider than that
  // stays whole).
  virtual QSizeF WrappedSize(TTextRole role, const QString& text, double maxWidth) const = 0;
};

// Arial bold 8 pt for titles, Arial 8 pt for everything else.
QFont FontFor(TTextRole role);

class TFontMetrics : public ITextMetrics {
 public:
  double Width(TTextRole role, const QString& text) const override;
  double LineHeight(TTextRole role) const override;
  QSizeF WrappedSize(TTextRole role, const QString& text, double maxWidth) const override;
};

// Breaks text at blanks into lines no wider than maxWidth by the given metrics.
QStringList WrapWords(const ITextMetrics& metrics, TTextRole role, const QString& text,
                      double maxWidth);

}  // namespace nubrix::charts

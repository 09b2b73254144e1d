#include "app/Icons.h"

#include <QFont>
#include <QPainter>
#include <QPixmap>

namespace nubrix {

namespace {

QPixmap Drawn(const QString& glyph, QColor colour, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QRectF box(1.5, 1.5, size - 3, size - 3);
  QLinearGradient gradient(box.topLeft(), box.bottomLeft());
  gradient.setColorAt(0, colour.lighter(160));
  gradient.setColorAt(1, colour);
  painter.setPen(QPen(colour.darker(150), 1));
  painter.setBrush(gradient);
  painter.drawRoundedRect(box, size / 6.0, size / 6.0);
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setBold(true);
  font.setPixelSize(glyph.size() > 1 ? size * 2 / 5 : size / 2);
  painter.setFont(font);
  painter.setPen(Qt::white);
  painter.drawText(box, Qt::AlignCenter, glyph);
  return pixmap;
}

}  // namespace

QIcon CommandIcon(const QString& themeName, const QString& glyph, QRgb colour) {
  if (!themeName.isEmpty() && QIcon::hasThemeIcon(themeName)) return QIcon::fromTheme(themeName);
  QIcon icon;
  for (int size : {16, 32}) {
    icon.addPixmap(Drawn(glyph, QColor(colour), size), QIcon::Normal);
    icon.addPixmap(Drawn(glyph, QColor(colour).lighter(125), size), QIcon::Active);
    icon.addPixmap(Drawn(glyph, QColor(0x9A9A9A), size), QIcon::Disabled);
  }
  return icon;
}

}  // namespace nubrix

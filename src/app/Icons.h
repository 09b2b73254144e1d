// Pictures of the commands: the desktop's icon theme where it has them, else our own drawn
// ones, so the program looks complete on a machine without a theme.
#pragma once

#include <QIcon>
#include <QString>

namespace nubrix {

// themeName: a freedesktop icon name; glyph: one or two letters or symbols for the drawn picture.
QIcon CommandIcon(const QString& themeName, const QString& glyph, QRgb colour = 0x0066CC);

}  // namespace nubrix

// Pictures of the commands: the desktop's icon theme where it has them, else our own set of
// pictures (light-blue tiles), so the program looks complete on a machine without a theme.
#pragma once

#include <QIcon>
#include <QString>
#include <QStringList>

namespace nubrix {

// name: a freedesktop icon name or one of our own "nubrix-..." names.
QIcon CommandIcon(const QString& name);

// Whether our own set has a picture of that name.
bool HasOwnPicture(const QString& name);

// The names asked of CommandIcon that neither the theme nor our set had (they got a plain dot).
QStringList MissingPictures();

}  // namespace nubrix

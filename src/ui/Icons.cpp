#include "ui/Icons.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <mutex>

static void InitCommandPicturesOnce() { Q_INIT_RESOURCE(icons); }

namespace nubrix {

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48};
const QString kFallback = QStringLiteral("nubrix-command");

QString OwnPicturePath(const QString& name) { return QStringLiteral(":/icons/") + name + ".svg"; }

QStringList& Missing() {
  static QStringList missing;
  return missing;
}

void EnsureResources() {
  static std::once_flag once;
  std::call_once(once, [] { InitCommandPicturesOnce(); });
}

// Rendered once per size here rather than by an icon engine plugin, which a machine may lack.
QIcon OwnIcon(const QString& name) {
  QSvgRenderer renderer(OwnPicturePath(name));
  QIcon icon;
  for (const int size : kSizes) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace

bool HasOwnPicture(const QString& name) {
  EnsureResources();
  return !name.isEmpty() && QFile::exists(OwnPicturePath(name));
}

QIcon CommandIcon(const QString& name) {
  if (!name.isEmpty() && !name.startsWith(QStringLiteral("nubrix-")) && QIcon::hasThemeIcon(name)) {
    return QIcon::fromTheme(name);
  }
  if (HasOwnPicture(name)) return OwnIcon(name);
  if (!Missing().contains(name)) Missing() << name;
  return OwnIcon(kFallback);
}

QStringList MissingPictures() { return Missing(); }

}  // namespace nubrix

#include "about/SplashU.h"

#include <QEvent>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "about/AboutCore.h"
#include "about/Jpeg.h"
#include "about/Resources.h"

namespace nubrix::about {

QRegion BuildMaskRegion(const QImage& mask) {
  const QImage pixels = mask.convertToFormat(QImage::Format_RGB32);
  TPixelGrid grid{pixels.width(), pixels.height(), {}};
  grid.Pixels.reserve(static_cast<std::size_t>(grid.Width) * grid.Height);
  for (int y = 0; y < grid.Height; ++y) {
    for (int x = 0; x < grid.Width; ++x) grid.Pixels.push_back(pixels.pixel(x, y) & 0xFFFFFF);
  }
  QRegion region(0, 0, grid.Width, grid.Height);
  for (const TMaskRun& run : KeyRuns(grid)) {
    region -= QRegion(run.Start, run.Y, run.End - run.Start, 1);
  }
  return region;
}

QImage LoadJpegResource(const QString& name) {
  QFile file(name);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  const auto decoded =
      DecodeJpeg(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  if (!decoded) return {};
  QImage image(decoded->Width, decoded->Height, QImage::Format_RGB888);
  for (int y = 0; y < decoded->Height; ++y) {
    std::copy_n(decoded->Rgb.data() + static_cast<std::size_t>(y) * decoded->Width * 3,
                decoded->Width * 3, image.scanLine(y));
  }
  return image;
}

namespace {

// Waits on the main window for its first activation.
class TSplashCloser : public QObject {
 public:
  TSplashCloser(QWidget& window, TSplashForm* splash) : QObject(&window), Splash_(splash) {
    window.installEventFilter(this);
  }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::WindowActivate && Splash_ != nullptr) {
      Splash_->hide();
      Splash_->deleteLater();
      Splash_ = nullptr;
      deleteLater();
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  TSplashForm* Splash_;
};

}  // namespace

void CloseOnFirstActivation(QWidget& window, TSplashForm* splash) {
  new TSplashCloser(window, splash);
}

TSplashForm::TSplashForm(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  InitAboutResources();
  setObjectName(QStringLiteral("SplashForm"));
  setFixedSize(330, 331);
  setAttribute(Qt::WA_OpaquePaintEvent);
  Image1_ = LoadJpegResource(QStringLiteral(":/about/splash.jpg"));
  Image2_ = LoadJpegResource(QStringLiteral(":/about/splashmark.jpg"));
  FormCreate();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void TSplashForm::FormCreate() {
  const QImage mask(QStringLiteral(":/about/MASK.bmp"));
  if (!mask.isNull()) setMask(BuildMaskRegion(mask));
}

void TSplashForm::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (!Image1_.isNull()) painter.drawImage(QRect(0, 0, 330, 331), Image1_);
  if (!Image2_.isNull()) painter.drawImage(QRect(248, 16, 25, 25), Image2_);
}

}  // namespace nubrix::about

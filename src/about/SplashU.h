// The folder-shaped splash window of the start: a picture with a mark, cut to the outline of the
// mask bitmap.
#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>

namespace nubrix::about {

// The mask's rectangle less every run of pixels of its top-left colour.
QRegion BuildMaskRegion(const QImage& mask);

// A JPEG picture of the resources decoded by libjpeg-turbo; a null image when it cannot be read.
QImage LoadJpegResource(const QString& name);

class TSplashForm;

// Hides and frees splash when window is first activated.
void CloseOnFirstActivation(QWidget& window, TSplashForm* splash);

class TSplashForm : public QWidget {
  Q_OBJECT

 public:
  explicit TSplashForm(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void FormCreate();

  QImage Image1_;
  QImage Image2_;
};

}  // namespace nubrix::about

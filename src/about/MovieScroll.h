// The credits scroller: lines with inline markup rise through the control one pixel a tick, each
// frame composed off screen; at the end they start again from the bottom or stop on a closing
// text.
#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QStringList>
#include <QTimer>
#include <QWidget>

namespace nubrix::about {

class TMovieScroll : public QWidget {
  Q_OBJECT

 public:
  explicit TMovieScroll(QWidget* parent = nullptr);

  void SetScrollText(const QStringList& lines) { ScrollText_ = lines; }
  const QStringList& ScrollText() const { return ScrollText_; }
  void SetBackColor(const QColor& color) { BackColor_ = color; }
  void SetDefaultFont(const QFont& font) { DefaultFont_ = font; }
  void SetDefaultColor(const QColor& color) { DefaultColor_ = color; }
  void SetLoop(bool loop) { Loop_ = loop; }
  void SetCompleteText(const QString& text) { CompleteText_ = text; }
  void SetTimerInterval(int milliseconds);
  int TimerInterval() const { return Timer_.interval(); }
  void SetShadow(bool shadow) { Shadow_ = shadow; }
  void SetShadowColor(const QColor& color) { ShadowColor_ = color; }
  void SetShadowOffset(int offset) { ShadowOffset_ = offset; }
  void SetCenterText(bool center) { CenterText_ = center; }

  int ScrollPosition() const { return Position_; }
  bool Running() const { return Timer_.isActive(); }
  // One step up and a new frame, as the timer does it.
  void TimerTick();
  // The frame as it would be shown now.
  const QPixmap& Frame();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Compose();
  void Restart();

  QStringList ScrollText_;
  QColor BackColor_ = Qt::black;
  QFont DefaultFont_{QStringLiteral("Courier New"), 9};
  QColor DefaultColor_ = Qt::white;
  bool Loop_ = false;
  QString CompleteText_ = QStringLiteral("The End");
  bool Shadow_ = true;
  QColor ShadowColor_{128, 128, 128};
  int ShadowOffset_ = 2;
  bool CenterText_ = true;
  int Position_ = 0;
  QTimer Timer_;
  QPixmap Frame_;
};

}  // namespace nubrix::about

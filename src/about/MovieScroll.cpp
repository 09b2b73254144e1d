#include "about/MovieScroll.h"

#include <QFontMetrics>
#include <QPainter>
#include <string>
#include <vector>

#include "about/AboutCore.h"

namespace nubrix::about {

namespace {

QColor FromTagColor(std::uint32_t color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

}  // namespace

TMovieScroll::TMovieScroll(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(200, 100);
  Timer_.setInterval(40);
  connect(&Timer_, &QTimer::timeout, this, &TMovieScroll::TimerTick);
  Restart();
  Timer_.start();
}

void TMovieScroll::SetTimerInterval(int milliseconds) { Timer_.setInterval(milliseconds); }

void TMovieScroll::Restart() {
  Position_ = height() + 1;
  Frame_ = QPixmap(size());
}

void TMovieScroll::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Restart();
}

void TMovieScroll::TimerTick() {
  --Position_;
  Compose();
  update();
}

const QPixmap& TMovieScroll::Frame() {
  Compose();
  return Frame_;
}

void TMovieScroll::paintEvent(QPaintEvent* /*event*/) {
  if (Frame_.size() != size()) Compose();
  QPainter painter(this);
  painter.drawPixmap(0, 0, Frame_);
}

void TMovieScroll::Compose() {
  if (Frame_.size() != size()) Restart();
  if (Frame_.isNull()) return;
  Frame_.fill(BackColor_);
  QPainter painter(&Frame_);
  std::vector<std::string> lines;
  lines.reserve(static_cast<std::size_t>(ScrollText_.size()));
  for (const QString& line : ScrollText_) lines.push_back(line.toStdString());
  int offset = 0;
  int lastHeight = 0;
  for (const TScrollLine& line : ParseScrollText(lines)) {
    QFont font = DefaultFont_;
    if (line.Font) font.setFamily(QString::fromStdString(*line.Font));
    if (line.Size) font.setPointSize(*line.Size);
    font.setBold(line.Bold);
    font.setItalic(line.Italic);
    font.setUnderline(line.Underline);
    const QColor color = line.Color ? FromTagColor(*line.Color) : DefaultColor_;
    const QFontMetrics metrics(font);
    const QString text = QString::fromStdString(line.Text);
    const int y = Position_ + offset;
    const int x = CenterText_ ? (width() - metrics.horizontalAdvance(text)) / 2 : 1;
    painter.setFont(font);
    if (Shadow_) {
      painter.setPen(ShadowColor_);
      painter.drawText(x + ShadowOffset_, y + ShadowOffset_ + metrics.ascent(), text);
    }
    painter.setPen(color);
    painter.drawText(x, y + metrics.ascent(), text);
    lastHeight = metrics.height();
    offset += lastHeight;
  }
  if (!ScrollText_.isEmpty() && Position_ + offset + lastHeight < 0) {
    if (Loop_) {
      Position_ = height() + 1;
    } else {
      Timer_.stop();
      QFont font = DefaultFont_;
      font.setPointSize(20);
      font.setBold(true);
      const QFontMetrics metrics(font);
      painter.setFont(font);
      painter.setPen(DefaultColor_);
      painter.drawText((width() - metrics.horizontalAdvance(CompleteText_)) / 2,
                       (height() - metrics.height()) / 2 + metrics.ascent(), CompleteText_);
    }
  }
  painter.setPen(ShadowColor_);
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(0, 1, width() - 1, height() - 2);
}

}  // namespace nubrix::about

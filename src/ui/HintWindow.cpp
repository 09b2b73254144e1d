#include "ui/HintWindow.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

namespace nubrix {

TMyHintWindow::TMyHintWindow(QWidget* parent)
    : QLabel(parent, Qt::ToolTip | Qt::FramelessWindowHint) {
  setAutoFillBackground(true);
  setMargin(4);
  setTextFormat(Qt::PlainText);
  SetHintColour(QColor(0xFFFF99));
}

void TMyHintWindow::SetHintColour(const QColor& colour) {
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, colour);
  palette.setColor(QPalette::WindowText, Qt::black);
  setPalette(palette);
}

void TMyHintWindow::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  // A 2-pixel frame along all four edges.
  QPainter painter(this);
  const QColor frame(kHintFrameColour);
  const int w = width();
  const int h = height();
  painter.fillRect(0, 0, w, 2, frame);
  painter.fillRect(0, h - 2, w, 2, frame);
  painter.fillRect(0, 0, 2, h, frame);
  painter.fillRect(w - 2, 0, 2, h, frame);
}

THintManager::THintManager(QObject* parent) : QObject(parent), Window_(new TMyHintWindow) {
  HideTimer_.setSingleShot(true);
  HideTimer_.setInterval(kHintHidePause);
  connect(&HideTimer_, &QTimer::timeout, this, &THintManager::HideHint);
}

THintManager::~THintManager() { delete Window_; }

void THintManager::SetEnabled(bool enabled) {
  Enabled_ = enabled;
  if (!enabled) HideHint();
}

void THintManager::SetHintColour(const QColor& colour) { Window_->SetHintColour(colour); }

void THintManager::ShowHint(QWidget* owner, const QString& text, const QPoint& globalPosition) {
  if (!Enabled_ || text.isEmpty()) {
    HideHint();
    return;
  }
  Owner_ = owner;
  // Hints break their lines with CR LF or LF CR pairs; one break each on the screen.
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
      .replace(QStringLiteral("\n\r"), QStringLiteral("\n"));
  Window_->setText(shown);
  Window_->adjustSize();
  QPoint position = globalPosition + QPoint(2, 18);
  if (const QScreen* screen = QGuiApplication::screenAt(globalPosition)) {
    const QRect room = screen->availableGeometry();
    position.setX(std::min(position.x(), room.right() - Window_->width()));
    position.setY(std::min(position.y(), room.bottom() - Window_->height()));
  }
  Window_->move(position);
  Window_->show();
  Window_->update();
  HideTimer_.start();
}

void THintManager::HideHint() {
  HideTimer_.stop();
  Window_->hide();
  Owner_ = nullptr;
}

namespace {

// A command's own hint, where it has one: Qt's tool tip of an action without a hint is its
// caption, which is no hint.
std::optional<QString> CommandHint(const QObject* object) {
  const QVariant hint = object != nullptr ? object->property(kCommandHint) : QVariant();
  if (!hint.isValid()) return std::nullopt;
  return hint.toString();
}

}  // namespace

// The hint for a tool-tip event on widget: a menu's hint is its item's; a command's button shows
// the command's hint; otherwise the widget's own, or, as Qt itself does, that of the first parent
// in the same window that has one (a tree's viewport, a combo box's line edit). Empty: no hint.
std::optional<QString> THintManager::HintFor(QWidget* widget, const QPoint& position,
                                             QWidget*& owner) {
  owner = widget;
  if (auto* menu = qobject_cast<QMenu*>(widget)) {
    const QAction* action = menu->actionAt(position);
    if (action == nullptr || !menu->toolTipsVisible()) return QString();
    return CommandHint(action).value_or(action->toolTip());
  }
  if (auto* button = qobject_cast<QToolButton*>(widget)) {
    if (std::optional<QString> own = CommandHint(button)) return own;
    if (std::optional<QString> command = CommandHint(button->defaultAction())) return command;
  }
  for (QWidget* w = widget; w != nullptr; w = w->isWindow() ? nullptr : w->parentWidget()) {
    if (!w->toolTip().isEmpty()) {
      owner = w;
      return w->toolTip();
    }
  }
  return std::nullopt;
}

bool THintManager::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ToolTip: {
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget == nullptr) break;
      auto* help = static_cast<QHelpEvent*>(event);
      QWidget* owner = nullptr;
      const std::optional<QString> hint = HintFor(widget, help->pos(), owner);
      if (!hint) break;                           // Qt goes on: an item view's own tips, or nothing
      ShowHint(owner, *hint, help->globalPos());  // an empty one hides the hint
      return true;                                // no default tool tip
    }
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::Wheel:
      if (watched == Owner_ || (Owner_ != nullptr && watched->isWidgetType() &&
                                Owner_->isAncestorOf(static_cast<QWidget*>(watched)))) {
        HideHint();
      }
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace nubrix

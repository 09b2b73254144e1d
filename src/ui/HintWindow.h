// Every hint of the program is drawn by TMyHintWindow: the hint colour with a 2-pixel #FFCC00
// frame, gone after ten seconds. THintManager, installed on the application, turns the tool-tip
// events of all widgets into this window.
#pragma once

#include <QLabel>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <optional>

#include "ui/Commands.h"

namespace nubrix {

inline constexpr int kHintHidePause = 10000;  // ms

inline constexpr QRgb kHintFrameColour = 0xFFCC00;

class TMyHintWindow : public QLabel {
  Q_OBJECT

 public:
  explicit TMyHintWindow(QWidget* parent = nullptr);
  void SetHintColour(const QColor& colour);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

class THintManager : public QObject {
  Q_OBJECT

 public:
  explicit THintManager(QObject* parent = nullptr);
  ~THintManager() override;

  void SetEnabled(bool enabled);
  bool Enabled() const { return Enabled_; }
  void SetHintColour(const QColor& colour);
  TMyHintWindow* Window() const { return Window_; }

  void ShowHint(QWidget* owner, const QString& text, const QPoint& globalPosition);
  void HideHint();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // The hint for a tool-tip event on widget; nullopt when Qt is to show its own.
  static std::optional<QString> HintFor(QWidget* widget, const QPoint& position, QWidget*& owner);

  TMyHintWindow* Window_;
  QPointer<QWidget> Owner_;
  QTimer HideTimer_;
  bool Enabled_ = true;
};

}  // namespace nubrix

// The slowly turning pie: "Rotate left" and "Rotate right" turn it a degree every 20 ms while
// checked; checking one stops the other. The window owns it.
#pragma once

#include <QObject>
#include <QTimer>

class QAction;

namespace nubrix {

namespace charts {
class TChartView;
}

class TPieRotation : public QObject {
  Q_OBJECT

 public:
  TPieRotation(QAction* left, QAction* right, charts::TChartView* pie, QObject* parent);

  void RotateLeftExecute();
  void RotateRightExecute();
  void Timer1Tick();

  bool RotatingLeft() const { return LeftOn_; }
  bool RotatingRight() const { return RightOn_; }
  const QTimer& RotationTimer() const { return Timer1_; }

 private:
  void FollowRotation();

  QAction* Left_;
  QAction* Right_;
  charts::TChartView* Pie_;
  bool LeftOn_ = false;
  bool RightOn_ = false;
  QTimer Timer1_;  // runs only while a rotation is on
};

}  // namespace nubrix

#include "app/PieRotation.h"

#include <QAction>

#include "charts/ChartView.h"

namespace nubrix {

TPieRotation::TPieRotation(QAction* left, QAction* right, charts::TChartView* pie, QObject* parent)
    : QObject(parent), Left_(left), Right_(right), Pie_(pie) {
  Timer1_.setInterval(20);
  connect(&Timer1_, &QTimer::timeout, this, &TPieRotation::Timer1Tick);
}

void TPieRotation::RotateLeftExecute() {
  LeftOn_ = Left_->isChecked();
  RightOn_ = false;
  FollowRotation();
}

void TPieRotation::RotateRightExecute() {
  RightOn_ = Right_->isChecked();
  LeftOn_ = false;
  FollowRotation();
}

void TPieRotation::FollowRotation() {
  if (LeftOn_ || RightOn_) {
    if (!Timer1_.isActive()) Timer1_.start();
  } else {
    Timer1_.stop();
  }
}

void TPieRotation::Timer1Tick() {
  charts::TPieOptions& pie = Pie_->Model().Pie;
  if (RightOn_) {
    pie.RotationAngle = (pie.RotationAngle + 359) % 360;
  } else if (LeftOn_) {
    pie.RotationAngle = (pie.RotationAngle + 1) % 360;
  } else {
    return;
  }
  Pie_->Changed();
}

}  // namespace nubrix

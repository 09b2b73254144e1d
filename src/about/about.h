// The about box: name, version, rights and free text, a binary clock and a clock in the caption,
// a summary of the machine, and a second page with the products page of our resources.
#pragma once

#include <QDialog>
#include <QImage>
#include <QTimer>
#include <QVector>

#include "about/SystemFacts.h"

class QFrame;
class QLabel;
class QStackedWidget;
class QTextBrowser;
class QToolButton;

namespace nubrix {

class IUserDialogs;

namespace about {

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  TAboutBox(IUserDialogs& dialogs, QWidget* parent = nullptr);

  // Filled by the component before the box is shown.
  bool UseBackBMP = false;
  QImage BackBMP;
  QColor BackCol = Qt::white;
  TSystemTexts System;

  // major.minor of the program's version.
  static QString VersionText();

  void FormActivate();
  void Timer1Timer(const QTime& now);
  void setobj(int newTop);
  void SpeedButton2Click();
  void LblHomepageClick();
  void LblMailClick();
  void ToolButton12Click();
  void ToolButton13Click();
  void ToolButton2Click();

  QLabel* Image1 = nullptr;  // the header picture
  QLabel* ProductName = nullptr;
  QLabel* VersNo = nullptr;
  QLabel* Release = nullptr;
  QLabel* Build = nullptr;
  QLabel* Copyright = nullptr;
  QLabel* Comments = nullptr;
  QFrame* Panel1 = nullptr;
  QFrame* Panel2 = nullptr;
  QFrame* Panel3 = nullptr;
  QLabel* Lblexplaindrag = nullptr;
  QStackedWidget* FlatPageControl1 = nullptr;
  QTextBrowser* WebBrowser1 = nullptr;
  QToolButton* BTN_1_BACK = nullptr;
  QToolButton* BTN_1_FORWARD = nullptr;
  QVector<QVector<QLabel*>> ClockLabels;  // hours, minutes, seconds; largest worth first

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  QWidget* BuildToolBar();
  QWidget* BuildFirstPage();
  QWidget* BuildSecondPage();
  QWidget* BuildClock();
  QWidget* BuildTextPanel();
  QWidget* BuildBottomRow();

  IUserDialogs& Dialogs_;
  QTimer Timer1_;
  bool Activated_ = false;
  int DragStartY_ = 0;
};

}  // namespace about
}  // namespace nubrix

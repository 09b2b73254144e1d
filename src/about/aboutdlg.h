// The about box's settings, kept by the main window: each Execute builds, fills and shows a new
// box and destroys it afterwards.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QStringList>
#include <memory>

namespace nubrix {

class IUserDialogs;

namespace about {

class TAboutBox;
class TMovieScroll;

class TAboutBoxDlg : public QObject {
  Q_OBJECT

 public:
  TAboutBoxDlg(IUserDialogs& dialogs, QObject* parent = nullptr);

  // Reading gives the executable's base name; a written name goes to the box.
  QString ProductName() const;
  void SetProductName(const QString& name) { ProductName_ = name; }
  QString Copyright;
  QStringList AboutText;
  bool UseBackBMP = false;
  QImage BackBMP;
  bool UseMovie = true;
  int MovieSpeed() const { return MovieSpeed_; }
  void SetMovieSpeed(int speed);
  QColor BackCol = Qt::white;
  QFont AFont{QStringLiteral("Arial"), 8};
  QColor AFontColor = Qt::black;
  bool aShadow = true;
  QFont FormFont{QStringLiteral("Arial"), 8};
  QColor FormColor = Qt::white;
  bool CenterMovieText = true;

  // The box as Execute shows it, filled; the scroller, if any, is its child.
  std::unique_ptr<TAboutBox> Build(QWidget* parent = nullptr) const;
  // Shows a new box modally over parent; true only for an OK result (it has no OK button).
  bool Execute(QWidget* parent = nullptr) const;

 private:
  IUserDialogs& Dialogs_;
  QString ProductName_;
  int MovieSpeed_ = 40;
};

}  // namespace about
}  // namespace nubrix

#include "about/aboutdlg.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QDate>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QPalette>

#include "about/AboutCore.h"
#include "about/MovieScroll.h"
#include "about/Resources.h"
#include "about/about.h"

namespace nubrix::about {

TAboutBoxDlg::TAboutBoxDlg(IUserDialogs& dialogs, QObject* parent)
    : QObject(parent), Dialogs_(dialogs) {
  const QString name = ProductName();
  Copyright = QStringLiteral("%1 Nubrix developers").arg(QDate::currentDate().year());
  AboutText = {
      QStringLiteral("      About ") + name, QStringLiteral("             Credits         "),
      QStringLiteral("Programming: the Nubrix developers"),
      QStringLiteral("Tools: nubrix.example.org"), QStringLiteral("          Themes and more.")};
}

QString TAboutBoxDlg::ProductName() const {
  return QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

void TAboutBoxDlg::SetMovieSpeed(int speed) { MovieSpeed_ = StoredMovieSpeed(speed); }

std::unique_ptr<TAboutBox> TAboutBoxDlg::Build(QWidget* parent) const {
  InitAboutResources();
  auto box = std::make_unique<TAboutBox>(Dialogs_, parent);
  // Only the property switches the background on; its picture is the one given.
  box->UseBackBMP = UseBackBMP;
  box->BackBMP = BackBMP;
  box->BackCol = BackCol;
  box->setFont(FormFont);
  QPalette palette = box->palette();
  palette.setColor(QPalette::Window, FormColor);
  box->setPalette(palette);
  if (UseMovie) {
    auto* scroll = new TMovieScroll(box.get());
    scroll->setObjectName(QStringLiteral("MovieScroll"));
    scroll->SetScrollText(AboutText);
    scroll->SetLoop(true);
    scroll->SetTimerInterval(MovieSpeed_);
    scroll->SetShadow(aShadow);
    scroll->SetShadowOffset(3);
    scroll->SetDefaultFont(AFont);
    scroll->SetDefaultColor(AFontColor);
    scroll->SetBackColor(BackCol);
    scroll->SetCenterText(CenterMovieText);
    // It takes the place of the dragged text, 14 pixels taller.
    box->Panel1->hide();
    box->Lblexplaindrag->hide();
    static_cast<QBoxLayout*>(box->Panel2->layout())->insertWidget(0, scroll, 1);
    scroll->setMinimumHeight(box->Panel1->minimumHeight() + 14);
  }
  box->System = ReadSystemTexts();
  box->ProductName->setText(ProductName_.isEmpty() ? ProductName() : ProductName_);
  box->Copyright->setText(Copyright);
  box->Comments->setText(AboutText.join(QStringLiteral("\n")));
  box->setWindowIcon(QCoreApplication::instance() != nullptr ? box->windowIcon() : QIcon());
  box->setWindowTitle(QStringLiteral("About ") +
                      QFileInfo(QCoreApplication::applicationFilePath()).fileName());
  return box;
}

bool TAboutBoxDlg::Execute(QWidget* parent) const {
  const std::unique_ptr<TAboutBox> box = Build(parent);
  return box->exec() == QDialog::Accepted;
}

}  // namespace nubrix::about

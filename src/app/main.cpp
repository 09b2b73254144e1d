// Nubrix lite: the program start.
#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "about/SplashU.h"
#include "app/TForm1.h"
#include "ui/JobRunner.h"
#include "version/Version.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // The splash stands first and is drawn before anything else happens.
  auto* splash = new nubrix::about::TSplashForm;
  splash->show();
  splash->repaint();
  QApplication::processEvents();
  QApplication::setApplicationName(QStringLiteral("Nubrix lite"));
  QApplication::setApplicationVersion(QStringLiteral(NUBRIX_VERSION));
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.nubrix.Nubrix"));
  QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("io.github.nubrix.Nubrix"),
                                               QIcon(QStringLiteral(":/about/nubrix.png"))));
  splash->repaint();
  nubrix::TForm1 form;
  nubrix::about::CloseOnFirstActivation(form, splash);
  form.show();
  const int code = QApplication::exec();
  // A worker hung on a dead mount was left at closing: nothing it may still use is destroyed,
  // the process simply ends (the settings were saved as the window closed).
  if (nubrix::TJobRunner::WorkersLeft()) {
    std::fflush(nullptr);
    std::_Exit(code);
  }
  return code;
}

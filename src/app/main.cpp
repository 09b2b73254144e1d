// Nubrix lite: the program start.
#include <QApplication>
#include <QIcon>

#include "about/SplashU.h"
#include "app/TForm1.h"
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
  return QApplication::exec();
}

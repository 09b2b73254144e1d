// Nubrix lite: the program start.
#include <QApplication>

#include "app/TForm1.h"
#include "version/Version.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Nubrix lite"));
  QApplication::setApplicationVersion(QStringLiteral(NUBRIX_VERSION));
  nubrix::TForm1 form;
  form.show();
  return QApplication::exec();
}

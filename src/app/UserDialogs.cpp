#include "app/UserDialogs.h"

#include <QMessageBox>

namespace nubrix {

void TMessageBoxDialogs::ShowError(QWidget* parent, const QString& message) {
  QMessageBox::critical(parent, QStringLiteral("Nubrix lite"), message);
}

}  // namespace nubrix

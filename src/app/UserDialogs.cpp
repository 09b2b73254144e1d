#include "app/UserDialogs.h"

#include <QMessageBox>

namespace nubrix {

namespace {

const QString kTitle = QStringLiteral("Nubrix lite");

}  // namespace

void TMessageBoxDialogs::ShowError(QWidget* parent, const QString& message) {
  QMessageBox::critical(parent, kTitle, message);
}

void TMessageBoxDialogs::ShowMessage(QWidget* parent, const QString& message) {
  QMessageBox::information(parent, kTitle, message);
}

bool TMessageBoxDialogs::Ask(QWidget* parent, TQuestionKind kind, const QString& question, TAnswerButtons buttons) {
  const QMessageBox::Icon icon = kind == TQuestionKind::Warning ? QMessageBox::Warning
                                 : kind == TQuestionKind::Error ? QMessageBox::Critical
                                                                : QMessageBox::Question;
  const QMessageBox::StandardButton no = buttons == TAnswerButtons::YesNo ? QMessageBox::No : QMessageBox::Cancel;
  QMessageBox box(icon, kTitle, question, QMessageBox::Yes | no, parent);
  box.setDefaultButton(no);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace nubrix

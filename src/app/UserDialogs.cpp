#include "app/UserDialogs.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

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

namespace nubrix {

TMessageBoxDialogs::TMessageBoxDialogs() = default;
TMessageBoxDialogs::~TMessageBoxDialogs() = default;

bool TMessageBoxDialogs::ChoosePrinter(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool TMessageBoxDialogs::ChooseSaveFile(QWidget* parent, const QStringList& filters, const QString& defaultSuffix,
                                        QString& fileName, QString& filter) {
  if (!SaveDialog_) {
    SaveDialog_ = std::make_unique<QFileDialog>(parent);
    SaveDialog_->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog_->setNameFilters(filters);
    SaveDialog_->setDefaultSuffix(defaultSuffix);
    SaveDialog_->setFileMode(QFileDialog::AnyFile);
  }
  if (SaveDialog_->exec() != QDialog::Accepted || SaveDialog_->selectedFiles().isEmpty()) return false;
  fileName = SaveDialog_->selectedFiles().front();
  filter = SaveDialog_->selectedNameFilter();
  return true;
}

}  // namespace nubrix

#include "ui/UserDialogs.h"

#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>

namespace nubrix {

namespace {

const QString kTitle = QStringLiteral("Nubrix lite");

// "PNG picture (*.png)" gives "png"; empty when the filter names no extension.
QString SuffixOfFilter(const QString& filter) {
  const qsizetype star = filter.indexOf(QStringLiteral("(*."));
  const qsizetype close = filter.indexOf(u')', star);
  return star >= 0 && close > star ? filter.mid(star + 3, close - star - 3) : QString();
}

}  // namespace

// A name typed without an extension gets the extension of the type chosen, however the type was
// chosen, not the first type's.
void TSaveFileDialog::accept() {
  const QString suffix = SuffixOfFilter(selectedNameFilter());
  if (!suffix.isEmpty()) setDefaultSuffix(suffix);
  QFileDialog::accept();
}

bool IUserDialogs::AskUser(TQuestionKind kind, const std::string& question,
                           TAnswerButtons buttons) {
  return Ask(ParentWindow_, kind, QString::fromStdString(question), buttons);
}

void IUserDialogs::TellUser(const std::string& message) {
  ShowMessage(ParentWindow_, QString::fromStdString(message));
}

void TMessageBoxDialogs::ShowError(QWidget* parent, const QString& message) {
  QMessageBox::critical(parent, kTitle, message);
}

void TMessageBoxDialogs::ShowMessage(QWidget* parent, const QString& message) {
  QMessageBox::information(parent, kTitle, message);
}

void TMessageBoxDialogs::ShowWarning(QWidget* parent, const QString& message) {
  QMessageBox::warning(parent, kTitle, message);
}

bool TMessageBoxDialogs::Ask(QWidget* parent, TQuestionKind kind, const QString& question,
                             TAnswerButtons buttons) {
  const QMessageBox::Icon icon = kind == TQuestionKind::Warning ? QMessageBox::Warning
                                 : kind == TQuestionKind::Error ? QMessageBox::Critical
                                                                : QMessageBox::Question;
  const bool ok = buttons == TAnswerButtons::OkCancel || buttons == TAnswerButtons::NoOk;
  const QMessageBox::StandardButton yes = ok ? QMessageBox::Ok : QMessageBox::Yes;
  const bool withNo = buttons == TAnswerButtons::YesNo || buttons == TAnswerButtons::NoOk;
  const QMessageBox::StandardButton no = withNo ? QMessageBox::No : QMessageBox::Cancel;
  QMessageBox box(icon, kTitle, question, yes | no, parent);
  box.setDefaultButton(no);
  return box.exec() == yes;
}

}  // namespace nubrix

namespace nubrix {

TMessageBoxDialogs::TMessageBoxDialogs() = default;
// The dialog's parent window may have deleted it already; the pointer then reads null.
TMessageBoxDialogs::~TMessageBoxDialogs() { delete SaveDialog_.data(); }

bool TMessageBoxDialogs::ChoosePrinter(QWidget* parent, QPrinter& printer) {
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

bool TMessageBoxDialogs::ChooseSaveFile(QWidget* parent, const QStringList& filters,
                                        const QString& defaultSuffix, QString& fileName,
                                        QString& filter) {
  if (!SaveDialog_) {
    SaveDialog_ = new TSaveFileDialog(parent);
    SaveDialog_->setAcceptMode(QFileDialog::AcceptSave);
    SaveDialog_->setNameFilters(filters);
    SaveDialog_->setDefaultSuffix(defaultSuffix);
    SaveDialog_->setFileMode(QFileDialog::AnyFile);
  }
  if (SaveDialog_->exec() != QDialog::Accepted || SaveDialog_->selectedFiles().isEmpty())
    return false;
  fileName = SaveDialog_->selectedFiles().front();
  filter = SaveDialog_->selectedNameFilter();
  return true;
}

// Folders only, opening at preselect, centred on the work area of the screen it appears on.
std::string TMessageBoxDialogs::ChooseFolder(QWidget* parent, const QString& title,
                                             const std::string& preselect) {
  QFileDialog dialog(parent, title);
  dialog.setFileMode(QFileDialog::Directory);
  dialog.setOption(QFileDialog::ShowDirsOnly);
  dialog.setDirectory(QFile::decodeName(QByteArray::fromStdString(preselect)));
  dialog.adjustSize();
  const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) dialog.move(screen->availableGeometry().center() - dialog.rect().center());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return QFile::encodeName(dialog.selectedFiles().front()).toStdString();
}

std::string TMessageBoxDialogs::ChooseOpenFile(QWidget* parent, const QString& filter,
                                               const std::string& folder) {
  const QString chosen = QFileDialog::getOpenFileName(
      parent, QString(), QFile::decodeName(QByteArray::fromStdString(folder)),
      filter + QStringLiteral(" (") + filter + u')');
  return chosen.isEmpty() ? std::string() : QFile::encodeName(chosen).toStdString();
}

}  // namespace nubrix

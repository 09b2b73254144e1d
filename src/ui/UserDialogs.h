// How the window tells and asks the user things: message boxes in the program, scripted
// answers in tests.
#pragma once

#include <QFileDialog>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <string>

#include "platform/AskUser.h"

class QPrinter;

namespace nubrix {

// The one asking interface of the program: the operations' questions (IAskUser, byte strings)
// and the window's (texts, dialogs) go to the same place.
class IUserDialogs : public IAskUser {
 public:
  // The window the operations' questions and notes are shown over.
  void SetParentWindow(QWidget* parent) { ParentWindow_ = parent; }
  bool AskUser(TQuestionKind kind, const std::string& question, TAnswerButtons buttons) final;
  void TellUser(const std::string& message) final;

  // The application's default error display: the message, and the program goes on.
  virtual void ShowError(QWidget* parent, const QString& message) = 0;
  // A plain note.
  virtual void ShowMessage(QWidget* parent, const QString& message) = 0;
  // A warning with an OK button.
  virtual void ShowWarning(QWidget* parent, const QString& message) = 0;
  // True only for the affirmative button (Yes).
  virtual bool Ask(QWidget* parent, TQuestionKind kind, const QString& question,
                   TAnswerButtons buttons) = 0;
  // The print dialog: false when cancelled; otherwise printer is set up as chosen.
  virtual bool ChoosePrinter(QWidget* parent, QPrinter& printer) = 0;
  // The save dialog, one for the window's life so that it remembers the last type and name:
  // false when cancelled; otherwise the file name and the filter chosen.
  virtual bool ChooseSaveFile(QWidget* parent, const QStringList& filters,
                              const QString& defaultSuffix, QString& fileName, QString& filter) = 0;
  // The desktop's folder dialog with title, opening at preselect: the folder chosen as bytes, or
  // empty when cancelled.
  virtual std::string ChooseFolder(QWidget* parent, const QString& title,
                                   const std::string& preselect) = 0;
  // The open dialog for one existing file matching filter ("*.reg"), opening in folder: the file
  // chosen as bytes, or empty when cancelled.
  virtual std::string ChooseOpenFile(QWidget* parent, const QString& filter,
                                     const std::string& folder) = 0;

 private:
  QWidget* ParentWindow_ = nullptr;
};

class TSaveFileDialog : public QFileDialog {
  Q_OBJECT

 public:
  using QFileDialog::QFileDialog;

 public slots:
  void accept() override;
};

class TMessageBoxDialogs : public IUserDialogs {
 public:
  void ShowError(QWidget* parent, const QString& message) override;
  void ShowMessage(QWidget* parent, const QString& message) override;
  void ShowWarning(QWidget* parent, const QString& message) override;
  bool Ask(QWidget* parent, TQuestionKind kind, const QString& question,
           TAnswerButtons buttons) override;
  bool ChoosePrinter(QWidget* parent, QPrinter& printer) override;
  bool ChooseSaveFile(QWidget* parent, const QStringList& filters, const QString& defaultSuffix,
                      QString& fileName, QString& filter) override;
  std::string ChooseFolder(QWidget* parent, const QString& title,
                           const std::string& preselect) override;
  std::string ChooseOpenFile(QWidget* parent, const QString& filter,
                             const std::string& folder) override;
  TMessageBoxDialogs();
  ~TMessageBoxDialogs() override;

 private:
  // Shared with the parent window given first: whichever goes first deletes it.
  QPointer<TSaveFileDialog> SaveDialog_;
};

}  // namespace nubrix

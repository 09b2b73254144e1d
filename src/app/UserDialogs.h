// How the window tells and asks the user things: message boxes in the program, scripted
// answers in tests.
#pragma once

#include <QString>
#include <QWidget>

namespace nubrix {

enum class TQuestionKind { Confirmation, Warning, Error };
enum class TAnswerButtons { YesNo, YesCancel };

class IUserDialogs {
 public:
  virtual ~IUserDialogs() = default;
  // The application's default error display: the message, and the program goes on.
  virtual void ShowError(QWidget* parent, const QString& message) = 0;
  // A plain note.
  virtual void ShowMessage(QWidget* parent, const QString& message) = 0;
  // True only for the affirmative button (Yes).
  virtual bool Ask(QWidget* parent, TQuestionKind kind, const QString& question, TAnswerButtons buttons) = 0;
};

class TMessageBoxDialogs : public IUserDialogs {
 public:
  void ShowError(QWidget* parent, const QString& message) override;
  void ShowMessage(QWidget* parent, const QString& message) override;
  bool Ask(QWidget* parent, TQuestionKind kind, const QString& question, TAnswerButtons buttons) override;
};

}  // namespace nubrix

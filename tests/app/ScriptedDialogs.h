// Answers the window's questions from a script and keeps everything it was told.
#pragma once

#include <QStringList>

#include <deque>

#include "app/UserDialogs.h"

namespace nubrix::test {

class TScriptedDialogs : public IUserDialogs {
 public:
  void ShowError(QWidget*, const QString& message) override { Errors << message; }
  void ShowMessage(QWidget*, const QString& message) override { Messages << message; }
  bool Ask(QWidget*, TQuestionKind, const QString& question, TAnswerButtons) override {
    Questions << question;
    if (Answers.empty()) return false;
    const bool answer = Answers.front();
    Answers.pop_front();
    return answer;
  }

  QStringList Errors;
  QStringList Messages;
  QStringList Questions;
  std::deque<bool> Answers;  // true: Yes; runs out as "No"/"Cancel"
};

}  // namespace nubrix::test

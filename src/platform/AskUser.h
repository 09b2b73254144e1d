// How an operation asks the user a question or tells them something, without knowing about
// windows: the window answers with message boxes, tests from a script.
#pragma once

#include <string>

namespace nubrix {

enum class TQuestionKind { Confirmation, Warning, Error };
enum class TAnswerButtons { YesNo, YesCancel, OkCancel, NoOk };

class IAskUser {
 public:
  virtual ~IAskUser() = default;
  // True only for the affirmative button (Yes, or OK).
  virtual bool AskUser(TQuestionKind kind, const std::string& question, TAnswerButtons buttons) = 0;
  // A plain note.
  virtual void TellUser(const std::string& message) = 0;
};

}  // namespace nubrix

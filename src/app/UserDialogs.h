// How the window tells the user things. The program shows message boxes; tests answer instead.
#pragma once

#include <QString>
#include <QWidget>

namespace nubrix {

class IUserDialogs {
 public:
  virtual ~IUserDialogs() = default;
  // The application's default error display: the message, and the program goes on.
  virtual void ShowError(QWidget* parent, const QString& message) = 0;
};

class TMessageBoxDialogs : public IUserDialogs {
 public:
  void ShowError(QWidget* parent, const QString& message) override;
};

}  // namespace nubrix

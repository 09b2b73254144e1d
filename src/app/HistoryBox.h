// The folder history under the pages: the box of recently scanned folders, its pop-up menu and
// the list behind it. Choosing an entry selects that folder; the window writes the list to the
// settings when it changes.
#pragma once

#include <QWidget>
#include <random>
#include <string>
#include <vector>

#include "settings/History.h"

class QComboBox;

namespace nubrix {

class IUserDialogs;

class THistoryBox : public QWidget {
  Q_OBJECT

 public:
  THistoryBox(IUserDialogs& dialogs, QWidget* parent = nullptr);

  QComboBox* Combo() const { return Combo_; }
  const THistoryList& History() const { return History_; }
  int HistorySize() const { return HistorySize_; }
  // From the settings.
  void Assign(const std::vector<std::string>& entries, int size);

  // The selected folder enters the list (first, or where it is), before it is scanned.
  void AddToHistory(const std::string& folder);
  void HistoryComboClick(int index);
  void ClearAll1Click();
  void DeleteHistoryItemClick();
  void ShowText(const QString& text);

 signals:
  void FolderChosen(const std::string& folder);
  // The list changed: the window keeps it at once.
  void Changed();

 private:
  void Refresh();

  IUserDialogs& Dialogs_;
  QComboBox* Combo_;
  THistoryList History_;
  int HistorySize_ = 20;
  std::mt19937 Random_{std::random_device{}()};
};

}  // namespace nubrix

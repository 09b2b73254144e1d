// Answers the window's questions from a script and keeps everything it was told.
#pragma once

#include <QPrinter>
#include <QStringList>
#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "ui/UserDialogs.h"

namespace nubrix::test {

// One question as the window asked it: its kind (the picture), its buttons and its text.
struct TQuestion {
  TQuestionKind Kind = TQuestionKind::Confirmation;
  TAnswerButtons Buttons = TAnswerButtons::YesNo;
  QString Text;
  bool operator==(const TQuestion&) const = default;
};

inline void PrintTo(const TQuestion& question, std::ostream* out) {
  static const char* const kKinds[] = {"Confirmation", "Warning", "Error"};
  static const char* const kButtons[] = {"YesNo", "YesCancel", "OkCancel", "NoOk"};
  *out << kKinds[static_cast<int>(question.Kind)] << ", "
       << kButtons[static_cast<int>(question.Buttons)] << ": \"" << question.Text.toStdString()
       << '"';
}

class TScriptedDialogs : public IUserDialogs {
 public:
  void ShowError(QWidget*, const QString& message) override { Errors << message; }
  void ShowMessage(QWidget*, const QString& message) override { Messages << message; }
  void ShowWarning(QWidget*, const QString& message) override { Warnings << message; }
  bool Ask(QWidget*, TQuestionKind kind, const QString& question, TAnswerButtons buttons) override {
    // A real question runs an event loop while it waits: what happens meanwhile happens here.
    if (WhileAsking) WhileAsking(question);
    Questions << question;
    Asked.push_back({kind, buttons, question});
    if (Answers.empty()) return false;
    const bool answer = Answers.front();
    Answers.pop_front();
    return answer;
  }

  // The print dialog: prints into PrintFile as PDF, or is cancelled when that is empty.
  bool ChoosePrinter(QWidget*, QPrinter& printer) override {
    ++PrintDialogs;
    if (PrintFile.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(PrintFile);
    return true;
  }
  // The save dialog: answers SaveName with SaveFilter, or is cancelled when the name is empty.
  bool ChooseSaveFile(QWidget*, const QStringList& filters, const QString& suffix, QString& name,
                      QString& filter) override {
    SaveFilters = filters;
    SaveSuffix = suffix;
    ++SaveDialogs;
    if (SaveName.isEmpty()) return false;
    name = SaveName;
    filter = SaveFilter;
    return true;
  }

  // The folder dialog: answers the next of FolderAnswers ("" is Cancel), and keeps what it was
  // asked.
  std::string ChooseFolder(QWidget*, const QString& title, const std::string& preselect) override {
    FolderTitles << title;
    FolderPreselections.push_back(preselect);
    if (FolderAnswers.empty()) return {};
    std::string answer = FolderAnswers.front();
    FolderAnswers.pop_front();
    return answer;
  }

  // The open dialog: answers OpenAnswer ("" is Cancel), and keeps what it was asked.
  std::string ChooseOpenFile(QWidget*, const QString& filter, const std::string& folder) override {
    OpenFilters << filter;
    OpenFolders.push_back(folder);
    return OpenAnswer;
  }

  QStringList OpenFilters;
  std::vector<std::string> OpenFolders;
  std::string OpenAnswer;
  QStringList Warnings;
  QStringList FolderTitles;
  std::vector<std::string> FolderPreselections;
  std::deque<std::string> FolderAnswers;
  QString PrintFile;
  QString SaveName;
  QString SaveFilter;
  QStringList SaveFilters;
  QString SaveSuffix;
  int PrintDialogs = 0;
  int SaveDialogs = 0;
  QStringList Errors;
  QStringList Messages;
  std::vector<TQuestion> Asked;  // beside Questions: with each one's kind and buttons
  QStringList Questions;
  std::deque<bool> Answers;  // true: Yes; runs out as "No"/"Cancel"
  std::function<void(const QString& question)> WhileAsking;
};

}  // namespace nubrix::test

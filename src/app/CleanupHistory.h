// "Cleanup history ...": the cleanups kept in the run log, newest first, with how many of their
// items are still in the trash; Restore puts the chosen one back through the window.
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "programdb/RunLog.h"

class QPushButton;
class QTreeWidget;

namespace nubrix {

class TJobRunner;

struct THistoryRows {
  std::vector<TRunSummary> Runs;  // newest first
  std::vector<int> InTrash;       // per run, its items still in the trash
  std::string Error;              // the log could not be read
};

class TCleanupHistoryDialog : public QDialog {
  Q_OBJECT

 public:
  // restore: puts back the run of that number (asking, reporting); Reload when it has ended.
  TCleanupHistoryDialog(std::string databaseFile, std::function<void(std::int64_t)> restore,
                        QWidget* parent = nullptr);

  // Reads the run log again off the window's thread; an error is shown in place of the list.
  void Reload();
  // The log is being read; the list shows it was asked for.
  bool Loading() const;
  QTreeWidget* List() const { return List_; }
  QPushButton* RestoreButton() const { return Restore_; }
  void RestoreSelected();

 private:
  void Show(const THistoryRows& rows);
  void UpdateButtons();

  std::string DatabaseFile_;
  std::function<void(std::int64_t)> RestoreRun_;
  QTreeWidget* List_;
  QPushButton* Restore_;
  TJobRunner* Loader_;
};

// "1.5 MB", "512 bytes": a byte count for the history list.
QString BytesText(std::int64_t bytes);

}  // namespace nubrix

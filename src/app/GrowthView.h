// Growth since the last scan, as the window shows it: the finished scan is kept in the program's
// database on a worker and compared with the last one kept of the same folder; the change goes
// into the marks and hints of the points and into a status panel while the option is on. The
// window owns it and tells it when its tree, its shown folder or the option changes.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/ScanGrowth.h"
#include "programdb/ScanRecord.h"

class QAction;
class QLabel;
class QStatusBar;

namespace nubrix {

namespace charts {
class TChartView;
}
class TJobRunner;
class TSizeFolder;
class TSizeTree;

class TGrowthView : public QObject {
  Q_OBJECT

 public:
  // option: the display command; the charts whose marks show the change; shown: the folder the
  // charts show now (null before a scan).
  TGrowthView(QAction* option, QStatusBar* statusBar, charts::TChartView* bars,
              charts::TChartView* pies, std::function<const TSizeFolder*()> shown, QObject* parent);

  // The status panel, to be placed in the status bar by the window.
  QLabel* Panel() const { return Panel_; }
  const TScanGrowth& Growth() const { return Growth_; }
  // The record is written after a scan; tests wait for it.
  TJobRunner* Recorder() const { return Recorder_; }

  // A new tree replaces the old: what was compared is dropped, a record under way is dropped too.
  void TreeReplaced();
  // Keeps tree's scan in databaseFile and compares it with the last one kept, on the worker.
  void RecordScan(const TSizeTree& tree, const std::string& databaseFile);
  // The option turned on or off.
  void SetShown(bool on);
  // The change of folder for a point's mark; empty while the option is off.
  QString ChangeText(const TSizeFolder& folder) const;
  // The marks of the points and the status panel, after the charts changed their folder.
  void RefreshMarks();
  void ShowStatus();

 signals:
  // The panel came or went: the status bar's other panels make room.
  void PanelChanged();

 private:
  void OnRecorded(const TRecordOutcome& outcome, const std::vector<const TSizeFolder*>& folders,
                  std::uint64_t generation);

  QAction* Option_;
  QStatusBar* StatusBar_;
  charts::TChartView* Bars_;
  charts::TChartView* Pies_;
  std::function<const TSizeFolder*()> Shown_;
  QLabel* Panel_;
  TJobRunner* Recorder_;
  TScanGrowth Growth_;
  std::uint64_t Generation_ = 0;  // of the tree: a record of an older tree is dropped
};

}  // namespace nubrix

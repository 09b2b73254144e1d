// The chart of the page shown on paper, in a picture file and on the clipboard: "Print",
// "Save as picture" and the two clipboard commands. The window owns it.
#pragma once

#include <QObject>
#include <functional>

class QPrinter;
class QWidget;

namespace nubrix {

namespace charts {
class TChartView;
class TTreemapView;
}  // namespace charts
class IUserDialogs;

class TJobRunner;

class TChartOutputs : public QObject {
  Q_OBJECT

 public:
  // shown: the chart of the page shown now; null when the page holds none. shownTreemap: the
  // treemap when its page is shown, else null.
  TChartOutputs(IUserDialogs& dialogs, QWidget* window, std::function<charts::TChartView*()> shown,
                std::function<charts::TTreemapView*()> shownTreemap = {});

  void actPrintExecute();
  void actSaveAsPictureExecute();
  // The chart alone on one page, as large as fits with its proportions kept.
  static void PrintChart(const charts::TChartView& chart, QPrinter& printer);
  static void CopyChart(const charts::TChartView& chart);
  static void PrintTreemap(const charts::TTreemapView& treemap, QPrinter& printer);
  static void CopyTreemap(const charts::TTreemapView& treemap);

 private:
  IUserDialogs& Dialogs_;
  QWidget* Window_;
  TJobRunner* Writer_;  // pictures reach the disk here, off the window's thread
  std::function<charts::TChartView*()> Shown_;
  std::function<charts::TTreemapView*()> ShownTreemap_;
};

}  // namespace nubrix

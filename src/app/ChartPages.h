// The two chart pages of the window: each owns its tool bar and its chart control and carries
// its help topic. What a click on a chart does is the window's: it owns the size tree.
#pragma once

#include <QToolBar>
#include <QToolButton>
#include <QWidget>

namespace nubrix {

namespace charts {
class TChartView;
}
class TCommands;

// The small "Show about box" button at the right end of a chart page's tool bar.
QToolButton* AddAboutButton(QToolBar* bar);

// The hints of the charts: before any point is under the mouse, and after a point's mark text.
extern const QString kBarsInitialHint;
extern const QString kPiesInitialHint;
extern const QString kPointHintTail;
extern const QString kIncompleteHint;

class TBarPage : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 14;
  explicit TBarPage(const TCommands& commands, QWidget* parent = nullptr);
  charts::TChartView* Chart() const { return Chart_; }

 signals:
  // The small button in the top right corner.
  void AboutRequested();

 private:
  charts::TChartView* Chart_;
};

class TPiePage : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kHelpContext = 15;
  explicit TPiePage(const TCommands& commands, QWidget* parent = nullptr);
  charts::TChartView* Chart() const { return Chart_; }

 signals:
  void AboutRequested();

 private:
  charts::TChartView* Chart_;
};

}  // namespace nubrix

// The controls of the main window's frame as its layout builds them: the cool bar with its tool
// bars, the folder panel and the splitter, the page panel with its page buttons, the gauge and
// the status panels. The window holds them; its features and tests reach them here.
#pragma once

class QButtonGroup;
class QLabel;
class QProgressBar;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QWidget;

namespace nubrix {

struct TWindowLayout {
  QWidget* CoolBar1 = nullptr;
  QToolBar* ToolBar7 = nullptr;
  QToolBar* ToolBar1 = nullptr;
  QToolBar* ToolBar9 = nullptr;
  QLabel* ToolBar9Label = nullptr;
  QSplitter* Splitter1 = nullptr;
  QWidget* Panel1 = nullptr;  // the folder panel
  QWidget* Label2 = nullptr;  // the spacer above the gauge
  QProgressBar* Gauge = nullptr;
  QWidget* Panel2 = nullptr;    // the page panel
  QWidget* ToolBar2 = nullptr;  // the page buttons, in as many rows as the width needs
  QStackedWidget* FlatPageControl1 = nullptr;
  QButtonGroup* PageButtons = nullptr;
  QLabel* StatusPanels[3] = {};
};

}  // namespace nubrix

// The main window: the folder panel, the chart pages and the cleaner pages, the menus and tool
// bars built from the command table, the status bar. It owns the size tree, the current folder,
// the navigation list and the selected path. Split by concern: layout and window events here,
// commands in TForm1Commands.cpp, the scan in TForm1Scan.cpp, the charts in TForm1Charts.cpp.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/ChartBuilding.h"
#include "app/ChartPages.h"
#include "app/ScanController.h"
#include "app/WindowLayout.h"
#include "programdb/RunLog.h"
#include "settings/Settings.h"
#include "sizetree/SizeTreeU.h"
#include "ui/CommandGuard.h"
#include "ui/Commands.h"
#include "ui/HintWindow.h"
#include "ui/PageHost.h"
#include "ui/UserDialogs.h"

class QAction;
class QPrinter;
class QButtonGroup;
class QComboBox;
class QProgressBar;
class QSplitter;
class QStackedWidget;
class QToolBar;
class QToolButton;
class QTreeView;

namespace nubrix {

namespace charts {
class TChartView;
}
class TCleanupUndo;
class TFolderOperations;
class TFolderTreeModel;
class TGrowthView;
class THistoryBox;
class TChartOutputs;
class TPieRotation;
class TSettingsKeeper;
class THelpLauncher;
class TShortcutPage;
class TTracesPage;
class TTempFilesPage;
class TLargestFilesPage;
class TTreemapPage;
class TScanFileView;
struct TScanFile;
class TDuplicatesPage;

// The design colours of the window.
struct TColourScheme {
  QColor ChartBackColour{0x3E9ADE};
  QColor FormColour{0x99CCFF};
  QColor HintColour{0xFFFF99};
  QColor LetteringColour{0xFFDB9D};
};

// The pages in the order of the page buttons; None is the empty page shown for a stored page
// number out of range.
enum class TPage : int {
  Bars = 0,
  Pies = 1,
  TempFiles = 2,
  Shortcuts = 3,
  Traces = 4,
  Largest = 5,
  Treemap = 6,
  Duplicates = 7,
  None = 8
};

// The captioned buttons that switch the stacked pages, in as many rows as the width needs; the
// one of the page shown stays pressed. group: where the buttons are kept, by page number.
QWidget* BuildPageButtons(QStackedWidget* pages, QButtonGroup*& group);

// The pages beside the charts, each a class of its own that the window stacks.
struct TPages {
  TTempFilesPage* TempFiles = nullptr;
  TShortcutPage* Shortcuts = nullptr;
  TTracesPage* Traces = nullptr;
  TLargestFilesPage* Largest = nullptr;
  TTreemapPage* Treemap = nullptr;
  TDuplicatesPage* Duplicates = nullptr;

  // The pages' jobs cancelled; the pages that follow the charts told of a new folder or tree.
  void CancelJobs() const;
  void FolderShown() const;
  void TreeReplaced() const;  // but the largest files', which take what the scan collected
};

namespace about {
class TAboutBoxDlg;
}

class TForm1 : public QMainWindow, public IPageHost {
  Q_OBJECT

 public:
  static constexpr int kFolderPanelWidth = 233;
  static constexpr int kCollapsedWidth = 1;
  static constexpr int kReopenedWidth = 150;

  // settingsFile: where the settings live; empty for SettingsFileName().
  explicit TForm1(IUserDialogs* dialogs = nullptr, std::string settingsFile = {},
                  QWidget* parent = nullptr);
  ~TForm1() override;

  // The action of a registered command; an unknown name throws TUnknownCommand.
  QAction* Action(std::string_view name) const;

  // Scanning and selecting.
  void actRunExecute();
  bool ShowSelectedPath(const std::string& path);
  void SyncDirTree(const std::string& path);
  void DirTreeClick();
  bool Scanning() const { return Scanner_->Running(); }
  TScanController* Scanner() const { return Scanner_; }

  // Navigation from the charts.
  void BarsClickSeries(int index, Qt::MouseButton button);
  void PiesClickSeries(int index, Qt::MouseButton button);
  void TreemapClick(const std::string& path, Qt::MouseButton button, QPoint global);
  void OpenChartPath(const std::string& path, Qt::MouseButton button);
  void GoToParentFolder();
  void GoBack();
  const std::vector<std::string>& BackList() const { return BackList_; }

  // Charts.
  void ShowFolderCharts(TSizeFolder* folder);
  void ShowSortMode(TSortMode mode);
  void ApplyColourScheme();

  void actToggleDirTree();

  // The about box's settings, and the two ways to show it.
  about::TAboutBoxDlg* ab = nullptr;
  void actAboutExecute();
  void ShowAboutBox();
  void CreateAboutBox();

  // The window's features, each a class of its own: the folder picker, the folder menu and
  // deleting; undo of cleanups.
  TFolderOperations* Folders() const { return Folders_; }
  TCleanupUndo* Undo() const { return Undo_; }
  const TPages& Pages() const { return Pages_; }

  // What the pages may ask of the window.
  IUserDialogs& Dialogs() override { return *Dialogs_; }
  std::string SelectedFolder() const override { return SelectedPath_; }
  void ShowStatus(const QString& text) override { SetStatus(1, text); }
  void ShowHistoryText(const QString& text) override;
  void RunCommand(const std::function<void()>& handler) override { Guarded(handler); }
  const TSizeFolder* ScanRoot() const override { return Tree_->ScanRoot(); }
  const TSizeFolder* ShownFolder() const override { return CurrentFolder_; }
  QString DiskUnavailable() const override;
  // Shows the tree read from a scan file as a scan's, until the next scan of the disk.
  void ShowScanFile(TScanFile& scan);
  TScanFileView* ScanFiles() const { return ScanFiles_; }
  int ScannedFolderCount() const override;
  void ShowGauge(int maximum) override;
  void SetGaugePosition(int position) override;
  void StartStatusReset() override { Timer3_.start(); }

  // The manual.
  THelpLauncher* Help() const { return Help_; }

  // Display options: each applies its state to the charts and sets its check mark, for the
  // command and the settings alike.
  void SetChart3D(bool on);
  void SetChartLabels(bool on);
  void SetChartLegend(bool on);
  void SetChartHints(bool on);
  void SetExplodeBiggest(bool on);
  void SetEllipticPie(bool on);

  // Settings and history.
  TSettingsKeeper* Settings() const { return Settings_; }
  void ShowHistory(bool visible);
  THistoryBox* HistoryBox() const { return HistoryBox_; }
  std::string AppDataFolder() const override;
  // A stored page number: 0 to 5 show their page, anything else no page.
  void ShowPage(int page);
  void ShowPage(TPage page);
  // The page shown as stored: 0 to 5, or -1 for none.
  int PageShown() const;
  // State, for the commands of later pages and for tests.
  const std::string& SelectedPath() const { return SelectedPath_; }
  TSizeFolder* CurrentFolder() const { return CurrentFolder_; }
  TSizeTree& SizeTree() { return *Tree_; }
  TSortMode SortMode() const { return SortMode_; }
  QString StatusText(int panel) const;
  // Growth since the last scan: its record job, its comparison and its status panel.
  TGrowthView* GrowthView() const { return GrowthView_; }
  charts::TChartView* Bars() const { return Bars_; }
  charts::TChartView* Pies() const { return Pies_; }

  QComboBox* HistoryCombo() const { return HistoryCombo_; }
  const TWindowLayout& Layout() const { return Layout_; }
  QTreeView* DirTree() const { return DirTree_; }
  TFolderTreeModel* DirModel() const { return DirModel_; }
  THintManager* Hints() const { return Hints_; }
  QTimer& StatusResetTimer() { return Timer3_; }
  int SpacerHeight() const;
  TPieRotation* Rotation() const { return Rotation_; }

 signals:
  void ScanFinished(bool sized);
  void StatusChanged(int panel, const QString& text);

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Layout (TForm1.cpp).
  void BuildLayout();
  QWidget* BuildCoolBar();
  QWidget* BuildFolderPanel();
  QWidget* BuildPagePanel();
  void BuildStatusBar();
  void FormActivate();
  void FormResize();
  void SetFolderPanelWidth(int width);
  TWindowSettings CollectSettings() const;
  void ApplySettings(const TWindowSettings& settings);
  void SaveSettings();
  // Commands (TForm1Commands.cpp).
  void CreateActions();
  void BuildMenus();
  void ConnectCommands();
  void ConnectToggles();
  void ConnectCharts();
  void UpdateActions();
  // Runs a command; what it does not catch is shown by the default error display.
  void Guarded(const std::function<void()>& command);

  // Scan (TForm1Scan.cpp).
  void ScanFolder(const std::string& path);
  void ResetSizeTree();
  void OnScanProgress(const TScanProgressView& progress);
  void OnScanFinished(bool sized);
  void Timer3Tick();
  void ShowUnreadableCount(int count);
  void SetStatus(int panel, const QString& text);

  // The chart of the page shown; null when the page holds none.
  charts::TChartView* ChartOfPageShown() const;

  // Navigation (TForm1Navigation.cpp).
  std::string ChartTarget(int index) const;
  bool PointIsIncomplete(int index) const;
  void ChartHover(charts::TChartView* chart, int index);
  void actBarsSpreadExecute();
  void actBarsNormalExecute();
  void ShiftBars(int direction);

  // Charts (TForm1Charts.cpp).
  void SetSortMode(TSortMode mode);
  void actSortNowExecute();
  TFolderChartInput ChartInput() const;

  IUserDialogs* Dialogs_;
  std::unique_ptr<IUserDialogs> OwnDialogs_;
  TCommands Commands_{this};
  THintManager* Hints_ = nullptr;

  std::unique_ptr<TSizeTree> Tree_;
  TSizeFolder* CurrentFolder_ = nullptr;
  bool SyncingTree_ = false;  // the window moves the tree's current item itself
  std::vector<std::string> BackList_;
  std::string SelectedPath_;
  TSortMode SortMode_ = TSortMode::ByName;
  TColourScheme Colours_;
  TChartPalette Palette_ = kChartPalette;
  int SavedPanelWidth_ = 0;
  bool Activated_ = false;
  TSettingsKeeper* Settings_ = nullptr;
  std::string StartFolder_;
  THistoryBox* HistoryBox_ = nullptr;
  THelpLauncher* Help_ = nullptr;
  bool PanelPlaced_ = false;

  TScanController* Scanner_ = nullptr;
  TGrowthView* GrowthView_ = nullptr;
  TCleanupUndo* Undo_ = nullptr;
  TFolderOperations* Folders_ = nullptr;
  TPieRotation* Rotation_ = nullptr;
  TChartOutputs* Outputs_ = nullptr;
  std::chrono::steady_clock::time_point ScanStarted_;
  std::optional<TBusyCursor> ScanCursor_;
  QTimer Timer3_;

  QTreeView* DirTree_ = nullptr;
  TFolderTreeModel* DirModel_ = nullptr;
  QComboBox* HistoryCombo_ = nullptr;
  TWindowLayout Layout_;
  TPages Pages_;
  TScanFileView* ScanFiles_ = nullptr;
  charts::TChartView* Bars_ = nullptr;
  charts::TChartView* Pies_ = nullptr;
};

}  // namespace nubrix

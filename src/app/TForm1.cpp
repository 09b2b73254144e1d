#include "app/TForm1.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include "about/aboutdlg.h"
#include "app/ChartOutputs.h"
#include "app/ChartPages.h"
#include "app/CleanupUndo.h"
#include "app/FolderOperations.h"
#include "app/FolderTreeModel.h"
#include "app/GrowthView.h"
#include "app/HistoryBox.h"
#include "app/PieRotation.h"
#include "app/ScanFileView.h"
#include "app/SettingsKeeper.h"
#include "app/TreemapPage.h"
#include "charts/ChartView.h"
#include "cleaners/models/TempFilesModels.h"
#include "cleaners/pages/CleanerPages.h"
#include "cleaners/pages/DuplicatesPage.h"
#include "cleaners/pages/LargestFilesPage.h"
#include "cleaners/pages/ShortcutPage.h"
#include "cleaners/pages/TempFilesPage.h"
#include "ui/HelpWindow.h"
#include "ui/JobRunner.h"
#include "ui/ToolBars.h"
#include "version/Version.h"

namespace nubrix {

namespace {

constexpr int kStatusPanelWidths[3] = {270, 550, 90};
constexpr std::chrono::milliseconds kCloseWait{2000};
constexpr int kSpacerIdle = 20;
constexpr int kSplitterWidth = 7;

}  // namespace

TForm1::TForm1(IUserDialogs* dialogs, std::string settingsFile, QWidget* parent)
    : QMainWindow(parent), Dialogs_(dialogs), Tree_(std::make_unique<TSizeTree>()) {
  if (Dialogs_ == nullptr) {
    OwnDialogs_ = std::make_unique<TMessageBoxDialogs>();
    Dialogs_ = OwnDialogs_.get();
  }
  Settings_ = new TSettingsKeeper(*Dialogs_, std::move(settingsFile), this);
  connect(Settings_, &TSettingsKeeper::KeepFailed, this,
          [this](const QString& message) { statusBar()->showMessage(message); });
  Dialogs_->SetParentWindow(this);
  setWindowTitle(QStringLiteral("Nubrix lite"));
  CreateAboutBox();
  // All hints of the program go through our hint window.
  Hints_ = new THintManager(this);
  qApp->installEventFilter(Hints_);
  Scanner_ = new TScanController(this);
  Undo_ = new TCleanupUndo(*this, this);
  Folders_ = new TFolderOperations(*this);
  ScanFiles_ = new TScanFileView(*this);
  connect(Scanner_, &TScanController::Progress, this, &TForm1::OnScanProgress);
  connect(Scanner_, &TScanController::Finished, this,
          [this](bool sized) { Guarded([&] { OnScanFinished(sized); }); });
  connect(ScanFiles_, &TScanFileView::BusyChanged, this, [this] { UpdateActions(); });
  CreateActions();
  BuildLayout();
  BuildMenus();
  ConnectCommands();
  Help_ = new THelpLauncher(*Dialogs_, this);
  Rotation_ = new TPieRotation(Action("actRotateLeft"), Action("actRotateRight"), Pies_, this);
  Outputs_ = new TChartOutputs(
      *Dialogs_, this, [this] { return ChartOfPageShown(); },
      [this] { return Pages_.Treemap->ShownView(); });
  // F1 opens the manual at the topic of the widget under the mouse, else at its contents.
  auto* helpKey = new QShortcut(QKeySequence(Qt::Key_F1), this);
  connect(helpKey, &QShortcut::activated, this, [this] {
    Guarded([this] {
      const int context = HelpContextAt(QApplication::widgetAt(QCursor::pos()));
      context != 0 ? Help_->ShowHelpTopic(context) : Help_->ShowHelp(0);
    });
  });
  // Escape cancels a running scan's walk.
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  escape->setContext(Qt::ApplicationShortcut);
  connect(escape, &QShortcut::activated, this, [this] {
    if (Scanner_->Running()) Scanner_->Cancel();
    Pages_.CancelJobs();
  });
  Timer3_.setInterval(2000);
  Timer3_.setTimerType(Qt::PreciseTimer);
  Timer3_.setSingleShot(true);
  connect(&Timer3_, &QTimer::timeout, this, [this] { Guarded([this] { Timer3Tick(); }); });
  resize(834, 689);
  setMinimumSize(500, 400);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TForm1::~TForm1() {
  // A scan still running works on our tree: stop it before anything goes.
  Scanner_->CancelAndWait();
  // Settings that were never loaded are not written back: that would put defaults over them.
  // Normally closing the window has saved them already, while a message could still be shown.
  if (Settings_->Pending()) Guarded([this] { SaveSettings(); });
  qApp->removeEventFilter(Hints_);
}

void TForm1::BuildLayout() {
  auto* central = new QWidget;
  QVBoxLayout* column = TightColumn(central);
  column->addWidget(BuildCoolBar());
  Layout_.Splitter1 = new QSplitter(Qt::Horizontal);
  Layout_.Splitter1->setObjectName(QStringLiteral("Splitter1"));
  Layout_.Splitter1->setHandleWidth(kSplitterWidth);
  Layout_.Splitter1->setChildrenCollapsible(true);
  Layout_.Splitter1->addWidget(BuildFolderPanel());
  Layout_.Splitter1->addWidget(BuildPagePanel());
  Layout_.Splitter1->setStretchFactor(1, 1);
  Layout_.Splitter1->handle(1)->setToolTip(QStringLiteral("Resize directory panel"));
  column->addWidget(Layout_.Splitter1, 1);
  setCentralWidget(central);
  BuildStatusBar();
  // The panel's width is set once the splitter has its real width; the page panel takes the
  // rest, then and on every resize.
  Layout_.Splitter1->setStretchFactor(0, 0);
  Layout_.Splitter1->installEventFilter(this);
  statusBar()->installEventFilter(this);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize) {
    if (watched == Layout_.Splitter1 && !PanelPlaced_ &&
        Layout_.Splitter1->width() > kFolderPanelWidth) {
      PanelPlaced_ = true;
      SetFolderPanelWidth(kFolderPanelWidth);
    }
    if (watched == statusBar()) FormResize();
  }
  return QMainWindow::eventFilter(watched, event);
}

QWidget* TForm1::BuildCoolBar() {
  Layout_.CoolBar1 = new QWidget;
  Layout_.CoolBar1->setObjectName(QStringLiteral("CoolBar1"));
  Layout_.CoolBar1->setAutoFillBackground(true);
  auto* row = new QHBoxLayout(Layout_.CoolBar1);
  row->setContentsMargins(2, 2, 2, 2);
  row->setSpacing(4);
  Layout_.ToolBar7 = FlatToolBar(QStringLiteral("ToolBar7"), 32);
  for (const char* name : {"actRun", "actToggleDirTree"})
    AddCommandButton(Layout_.ToolBar7, Action(name));
  Layout_.ToolBar1 = FlatToolBar(QStringLiteral("ToolBar1"), 32);
  for (const char* name : {"actLabels", "actshowLegend", "actSortNow"})
    AddCommandButton(Layout_.ToolBar1, Action(name));
  AddCommandButton(Layout_.ToolBar1, Action("actSortName"),
                   QStringLiteral("Set sort based on Name"));
  AddCommandButton(Layout_.ToolBar1, Action("actSortSize"),
                   QStringLiteral("Set sort based on size"));
  for (const char* name : {"actFreeSpace", "actshowHints", "actCleanIEHistory", "act3D"}) {
    AddCommandButton(Layout_.ToolBar1, Action(name));
  }
  Layout_.ToolBar9 = FlatToolBar(QStringLiteral("ToolBar9"), 16);
  Layout_.ToolBar9Label =
      new QLabel(QStringLiteral("Nubrix lite %1").arg(QStringLiteral(NUBRIX_VERSION)));
  Layout_.ToolBar9Label->setObjectName(QStringLiteral("ToolBar9Label"));
  Layout_.ToolBar9Label->setStyleSheet(QStringLiteral("color: #808080;"));
  Layout_.ToolBar9->addWidget(Layout_.ToolBar9Label);
  row->addWidget(Layout_.ToolBar7);
  row->addWidget(Layout_.ToolBar1);
  row->addStretch(1);
  row->addWidget(Layout_.ToolBar9);
  return Layout_.CoolBar1;
}

QWidget* TForm1::BuildFolderPanel() {
  Layout_.Panel1 = new QWidget;
  Layout_.Panel1->setObjectName(QStringLiteral("Panel1"));
  Layout_.Panel1->setMinimumWidth(kCollapsedWidth);  // so the splitter may shrink it to a line
  QVBoxLayout* column = TightColumn(Layout_.Panel1);
  column->addWidget(FlatToolBar(QStringLiteral("ToolBar3"), 16));
  DirModel_ = new TFolderTreeModel(this);
  DirModel_->SetIcons(
      QIcon::fromTheme(QStringLiteral("folder"), style()->standardIcon(QStyle::SP_DirIcon)),
      QIcon::fromTheme(QStringLiteral("drive-harddisk"),
                       style()->standardIcon(QStyle::SP_DriveHDIcon)));
  DirTree_ = new QTreeView;
  DirTree_->setObjectName(QStringLiteral("DirTree"));
  DirTree_->setModel(DirModel_);
  DirTree_->setHeaderHidden(true);
  DirTree_->setUniformRowHeights(true);
  DirTree_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(DirTree_, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { Folders_->ShowFolderMenu(at); });
  DirTree_->setToolTip(
      QStringLiteral("Chose directory to start size scan.\r\nThe chosen directory will be "
                     "shown\r\nas root path in the "
                     "SizeTree.\r\nA new scan only will be required\r\nfor a directory below the "
                     "current\r\nroot path. All "
                     "other elements of the\r\nsize tree can be accessed directly."));
  DirTree_->expand(DirModel_->index(0, 0));
  connect(DirTree_, &QTreeView::clicked, this, [this] { Guarded([this] { DirTreeClick(); }); });
  // The folder highlighted is the folder scanned and deleted, however it got highlighted: by the
  // keyboard, or by its neighbour going away. The window's own syncing is not a choice, nor the
  // first item the view makes current by itself when it first gets the focus.
  connect(DirTree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex&, const QModelIndex& previous) {
            if (!SyncingTree_ && previous.isValid()) Guarded([this] { DirTreeClick(); });
          });
  connect(DirTree_, &QTreeView::pressed, this, [this](const QModelIndex& index) {
    // A right click selects too.
    if (QGuiApplication::mouseButtons() & Qt::RightButton) DirTree_->setCurrentIndex(index);
  });
  auto* pages = new QStackedWidget;  // FPC2: one page, no tabs
  pages->setObjectName(QStringLiteral("FPC2"));
  pages->addWidget(DirTree_);
  column->addWidget(pages, 1);
  Layout_.Label2 = new QWidget;
  Layout_.Label2->setObjectName(QStringLiteral("Label2"));
  Layout_.Label2->setFixedHeight(kSpacerIdle);
  column->addWidget(Layout_.Label2);
  Layout_.Gauge = new QProgressBar;
  Layout_.Gauge->setObjectName(QStringLiteral("Gauge"));
  Layout_.Gauge->setTextVisible(false);
  Layout_.Gauge->setFixedHeight(14);
  Layout_.Gauge->hide();
  column->addWidget(Layout_.Gauge);
  return Layout_.Panel1;
}

// The main window's about box: the free text dragged, not scrolled.
void TForm1::CreateAboutBox() {
  ab = new about::TAboutBoxDlg(*Dialogs_, this);
  ab->UseMovie = false;
  ab->BackCol = QColor(166, 202, 240);
  ab->AFont = QFont(QStringLiteral("Arial"), 9);
  ab->AFontColor = QColor(0, 0, 128);
  ab->aShadow = false;
  ab->FormFont = QFont(QStringLiteral("Arial"), 9);
  ab->CenterMovieText = false;
  ab->AboutText = {QStringLiteral("Nubrix lite shows where the space on a disk goes"),
                   QStringLiteral("and helps clear away what is not needed."),
                   QString(),
                   QStringLiteral("Bars and pies of every folder, a click descends."),
                   QStringLiteral("Temp files, broken shortcuts, empty folders,"),
                   QStringLiteral("browser traces and the recent lists go to the trash"),
                   QStringLiteral("or are cleared, never a file you did not choose."),
                   QString(),
                   QStringLiteral("Written in C++ with Qt for the Linux desktop.")};
}

QWidget* TForm1::BuildPagePanel() {
  Layout_.Panel2 = new QWidget;
  Layout_.Panel2->setObjectName(QStringLiteral("Panel2"));
  QVBoxLayout* column = TightColumn(Layout_.Panel2);
  Layout_.FlatPageControl1 = new QStackedWidget;
  Layout_.FlatPageControl1->setObjectName(QStringLiteral("FlatPageControl1"));
  auto* bars = new TBarPage(Commands_);
  auto* pies = new TPiePage(Commands_);
  // The corner buttons show the box with whatever texts it holds.
  const auto showAbout = [this] { Guarded([this] { ShowAboutBox(); }); };
  connect(bars, &TBarPage::AboutRequested, this, showAbout);
  connect(pies, &TPiePage::AboutRequested, this, showAbout);
  Bars_ = bars->Chart();
  Pies_ = pies->Chart();
  for (QWidget* page : std::initializer_list<QWidget*>{
           bars, pies, (Pages_.TempFiles = new TTempFilesPage(*this)),
           (Pages_.Shortcuts = new TShortcutPage(Commands_, *this)),
           (Pages_.Traces = new TTracesPage(Commands_, *this)),
           (Pages_.Largest = new TLargestFilesPage(*this)),
           (Pages_.Treemap = new TTreemapPage(*this)),
           (Pages_.Duplicates = new TDuplicatesPage(*this)), new QWidget}) {
    Layout_.FlatPageControl1->addWidget(page);
  }
  Layout_.ToolBar2 = BuildPageButtons(Layout_.FlatPageControl1, Layout_.PageButtons);
  connect(Pages_.TempFiles, &TTempFilesPage::BusyChanged, this, &TForm1::UpdateActions);
  column->addWidget(Layout_.ToolBar2);
  column->addWidget(Layout_.FlatPageControl1, 1);
  HistoryBox_ = new THistoryBox(*Dialogs_);
  HistoryCombo_ = HistoryBox_->Combo();
  connect(HistoryCombo_, &QComboBox::activated, this,
          [this](int index) { Guarded([&] { HistoryBox_->HistoryComboClick(index); }); });
  connect(HistoryBox_, &THistoryBox::FolderChosen, this,
          [this](const std::string& folder) { ShowSelectedPath(folder); });
  connect(HistoryBox_, &THistoryBox::Changed, this,
          [this] { Settings_->KeepHistory(HistoryBox_->History().Entries()); });
  column->addWidget(HistoryBox_);
  return Layout_.Panel2;
}

void TForm1::BuildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setSizeGripEnabled(false);
  for (int i = 0; i < 3; ++i) {
    Layout_.StatusPanels[i] = new QLabel;
    Layout_.StatusPanels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    Layout_.StatusPanels[i]->setFrameShape(QFrame::StyledPanel);
    if (i == 1) {
      Layout_.StatusPanels[i]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
      bar->addWidget(Layout_.StatusPanels[i], 1);
    } else {
      Layout_.StatusPanels[i]->setFixedWidth(kStatusPanelWidths[i]);
      bar->addWidget(Layout_.StatusPanels[i]);
    }
  }
  GrowthView_ = new TGrowthView(
      Action("actShowGrowth"), bar, Bars_, Pies_, [this] { return CurrentFolder_; }, this);
  connect(GrowthView_, &TGrowthView::PanelChanged, this, &TForm1::FormResize);
  bar->addWidget(GrowthView_->Panel());
}

QString TForm1::StatusText(int panel) const { return Layout_.StatusPanels[panel]->text(); }

void TForm1::SetStatus(int panel, const QString& text) {
  Layout_.StatusPanels[panel]->setText(text);
  emit StatusChanged(panel, text);
}

int TForm1::SpacerHeight() const { return Layout_.Label2->minimumHeight(); }

bool TForm1::event(QEvent* event) {
  // Status tips of menus and buttons would hide the three panels of the status bar.
  if (event->type() == QEvent::StatusTip) return true;
  return QMainWindow::event(event);
}

void TForm1::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!Activated_) {
    Activated_ = true;
    FormActivate();
  }
}

// The start-up work, once: the colours, the settings, the start folder.
void TForm1::FormActivate() {
  ApplyColourScheme();
  Guarded([this] {
    ApplySettings(Settings_->Read());
    Settings_->ReadTypeList(Pages_.TempFiles->Types());
  });
  ShowSelectedPath(StartFolder_);
  CurrentFolder_ = nullptr;
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  FormResize();
}

// Panel 1 fills the status bar between panels 0 and 2. Its width is an upper bound, not a fixed
// size, so that the window can always be made smaller again.
void TForm1::FormResize() {
  const int growth =
      GrowthView_->Panel()->isVisibleTo(this) ? GrowthView_->Panel()->width() + 4 : 0;
  const int rest =
      statusBar()->width() - kStatusPanelWidths[0] - kStatusPanelWidths[2] - growth - 8;
  Layout_.StatusPanels[1]->setMaximumWidth(std::max(20, rest));
}

void TForm1::closeEvent(QCloseEvent* event) {
  // Closing stops every job first; one hung on a dead mount is waited for two seconds at most,
  // then left to the process's end, and the window goes as usual.
  TJobRunner::CancelAllWithin(kCloseWait);
  Hints_->HideHint();
  if (Settings_->Pending()) Guarded([this] { SaveSettings(); });
  event->accept();
}

void TForm1::SetFolderPanelWidth(int width) {
  const QList<int> sizes = Layout_.Splitter1->sizes();
  const int total = std::max(width + 1, sizes.value(0) + sizes.value(1));
  Layout_.Splitter1->setSizes({width, std::max(1, total - width)});
}

void TForm1::actToggleDirTree() {
  const int width = Layout_.Splitter1->sizes().value(0);
  if (width > 100) {
    SavedPanelWidth_ = width;
    SetFolderPanelWidth(kCollapsedWidth);
  } else {
    SetFolderPanelWidth(SavedPanelWidth_ > 0 && SavedPanelWidth_ < this->width() ? SavedPanelWidth_
                                                                                 : kReopenedWidth);
  }
}

void TForm1::ShowPage(int page) {
  ShowPage(page >= static_cast<int>(TPage::Bars) && page < static_cast<int>(TPage::None)
               ? static_cast<TPage>(page)
               : TPage::None);
}

void TForm1::ShowPage(TPage page) {
  Layout_.FlatPageControl1->setCurrentIndex(static_cast<int>(page));
}

int TForm1::PageShown() const {
  const int page = Layout_.FlatPageControl1->currentIndex();
  return page >= 0 && page < static_cast<int>(TPage::None) ? page : -1;
}

charts::TChartView* TForm1::ChartOfPageShown() const {
  switch (Layout_.FlatPageControl1->currentIndex()) {
    case 0:
      return Bars_;
    case 1:
      return Pies_;
    default:
      return nullptr;
  }
}

}  // namespace nubrix

#include "cleaners/pages/LargestFilesPage.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <unordered_set>

#include "cleaners/Clean_Shortcuts.h"
#include "cleaners/LargestFiles.h"
#include "cleaners/models/LargestFilesModels.h"
#include "cleaners/pages/PageReports.h"
#include "programdb/RunLog.h"
#include "sizetree/SizeTreeU.h"
#include "ui/DisplayText.h"
#include "ui/Icons.h"
#include "ui/JobRunner.h"
#include "ui/PageHost.h"
#include "ui/ToolBars.h"
#include "ui/UserDialogs.h"

namespace nubrix {

namespace {

constexpr const char* kMoveCommand = "Move checked to the trash";

QTreeView* ListView(const QString& name, QAbstractItemModel* model) {
  auto* view = new QTreeView;
  view->setObjectName(name);
  view->setModel(model);
  view->setRootIsDecorated(false);
  view->setUniformRowHeights(true);
  view->setAllColumnsShowFocus(true);
  view->setSelectionBehavior(QAbstractItemView::SelectRows);
  return view;
}

QToolBar* TextBar(const QString& name) {
  QToolBar* bar = FlatToolBar(name, 22);
  bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  return bar;
}

// A list with its bar above it.
QWidget* BarredList(QToolBar* bar, QTreeView* list) {
  auto* box = new QWidget;
  auto* column = new QVBoxLayout(box);
  column->setContentsMargins(0, 0, 0, 0);
  column->addWidget(bar);
  column->addWidget(list, 1);
  return box;
}

QString SummaryText(const TFileStats& stats, const TSizeFolder& folder) {
  const QLocale english(QLocale::English);
  if (stats.Files == 0) {
    return QStringLiteral("No files in ") + DisplayPath(folder.Path()) +
           QStringLiteral(" (its subfolders hold none either).");
  }
  return english.toString(static_cast<qulonglong>(stats.Files)) +
         QStringLiteral(" files, %1 in ").arg(MegabytesText(stats.Bytes)) +
         DisplayPath(folder.Path()) +
         QStringLiteral("; the largest %1 listed.")
             .arg(english.toString(static_cast<qulonglong>(stats.Largest.size())));
}

}  // namespace

TLargestFilesPage::TLargestFilesPage(IPageHost& host, QWidget* parent)
    : QWidget(parent),
      Host_(host),
      FilesModel_(new TLargeFilesModel(this)),
      TypesModel_(new TFileTypesModel(this)),
      Jobs_(new TJobRunner(this)) {
  auto* column = new QVBoxLayout(this);
  Summary_ = new QLabel(QStringLiteral("Scan a folder to see its largest files."));
  Summary_->setObjectName(QStringLiteral("LargestSummary"));
  column->addWidget(Summary_);
  auto* splitter = new QSplitter;
  splitter->addWidget(BuildFileGroup());
  splitter->addWidget(BuildTypeGroup());
  splitter->setStretchFactor(0, 3);
  splitter->setStretchFactor(1, 1);
  splitter->setChildrenCollapsible(false);
  splitter->setSizes({640, 250});  // scaled to the page's width
  column->addWidget(splitter, 1);
  connect(Jobs_, &TJobRunner::Progress, this, [this](const TJobProgress& progress) {
    Host_.SetGaugePosition(static_cast<int>(progress.Done));
  });
  connect(Jobs_, &TJobRunner::Idle, this, [this] {
    Busy_.reset();
    emit BusyChanged(false);
  });
  connect(Jobs_, &TJobRunner::Failed, this, [this](const QString& message) {
    Busy_.reset();
    Host_.StartStatusReset();
    Host_.Dialogs().ShowError(this, message);
  });
}

QAction* TLargestFilesPage::AddCommand(QToolBar* bar, const char* theme, const QString& text,
                                       std::function<void()> handler) {
  QAction* action = bar->addAction(CommandIcon(QString::fromUtf8(theme)), text);
  action->setObjectName(text);
  connect(action, &QAction::triggered, this,
          [this, handler = std::move(handler)] { Host_.RunCommand(handler); });
  return action;
}

QWidget* TLargestFilesPage::BuildFileGroup() {
  QToolBar* bar = TextBar(QStringLiteral("LargestBar"));
  const auto add = [&](const char* theme, const QString& text, std::function<void()> handler) {
    return AddCommand(bar, theme, text, std::move(handler));
  };
  MoveAction_ =
      add("user-trash", QString::fromUtf8(kMoveCommand), [this] { MoveCheckedToTrash(); });
  add("folder-open", QStringLiteral("Open folder"), [this] { OpenFolder(); });
  bar->addSeparator();
  // Pictures alone (their names on the hint), so the bar fits beside the types.
  for (QAction* action :
       {add("checkbox", QStringLiteral("Check all"), [this] { CheckAll(true); }),
        add("nubrix-checkbox-off", QStringLiteral("Uncheck all"), [this] { CheckAll(false); })}) {
    if (auto* button = qobject_cast<QToolButton*>(bar->widgetForAction(action)))
      button->setToolButtonStyle(Qt::ToolButtonIconOnly);
  }
  FileList_ = ListView(QStringLiteral("LargestFiles"), FilesModel_);
  FileList_->setSortingEnabled(true);
  FileList_->sortByColumn(kLargeSizeColumn, Qt::DescendingOrder);
  // Deep folders would push the size out of sight: the folder comes last and takes what is
  // left, its middle elided, as that matters least.
  FileList_->setTextElideMode(Qt::ElideMiddle);
  FileList_->header()->moveSection(kLargeFolderColumn, kLargeColumnCount - 1);
  const int widths[] = {170, 240, 95, 145, 45};
  for (int c = 0; c < kLargeColumnCount; ++c) FileList_->setColumnWidth(c, widths[c]);
  connect(FileList_, &QTreeView::doubleClicked, this,
          [this] { Host_.RunCommand([this] { OpenFolder(); }); });
  return BarredList(bar, FileList_);
}

QWidget* TLargestFilesPage::BuildTypeGroup() {
  QToolBar* bar = TextBar(QStringLiteral("TypesBar"));
  AddCommand(bar, "view-list-details", QStringLiteral("All types"), [this] { ShowType(-1); });
  TypeList_ = ListView(QStringLiteral("FileTypes"), TypesModel_);
  TypeList_->setToolTip(QStringLiteral("Click a type to list only its files"));
  TypeList_->setMinimumWidth(250);
  const int widths[] = {62, 48, 80, 55};
  for (int c = 0; c < TFileTypesModel::kColumnCount; ++c) TypeList_->setColumnWidth(c, widths[c]);
  connect(TypeList_, &QTreeView::clicked, this, [this](const QModelIndex& index) {
    Host_.RunCommand([this, row = index.row()] { ShowType(row); });
  });
  return BarredList(bar, TypeList_);
}

bool TLargestFilesPage::Busy() const { return Jobs_->Running(); }

void TLargestFilesPage::CancelJob() { Jobs_->Cancel(); }

void TLargestFilesPage::TreeReplaced(std::optional<TFileStats> rootStats) {
  ++Generation_;
  Jobs_->Cancel();
  RootStats_ = std::move(rootStats);
  Listed_ = nullptr;
  FilesModel_->Assign({});
  TypesModel_->Assign({}, 0);
  Summary_->setText(QStringLiteral("Scan a folder to see its largest files."));
  FolderShown();
}

// Files of a tree read from a scan file lie on the disk that was scanned, not on this one.
void TLargestFilesPage::UpdateMoveCommand() {
  const QString away = Host_.DiskUnavailable();
  MoveAction_->setEnabled(away.isEmpty());
  MoveAction_->setToolTip(away.isEmpty() ? QString::fromUtf8(kMoveCommand) : away);
}

void TLargestFilesPage::FolderShown() {
  if (isVisible()) Follow();
}

void TLargestFilesPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Follow();
}

// Lists the files of the folder the charts show, unless they are listed already.
void TLargestFilesPage::Follow() {
  UpdateMoveCommand();
  const TSizeFolder* folder = Host_.ShownFolder();
  if (folder == nullptr || folder == Listed_) return;
  Listed_ = folder;
  ++Generation_;
  Jobs_->Cancel();
  if (folder == Host_.ScanRoot() && RootStats_) {
    Show(*RootStats_);
    return;
  }
  if (const QString away = Host_.DiskUnavailable(); !away.isEmpty()) {
    FilesModel_->Assign({});
    TypesModel_->Assign({}, 0);
    Summary_->setText(
        QStringLiteral("Only the top folder's largest files come with a scan file. ") + away);
    return;
  }
  Summary_->setText(QStringLiteral("Listing the files of ") + DisplayPath(folder->Path()) +
                    QStringLiteral(" ..."));
  FilesModel_->Assign({});
  TypesModel_->Assign({}, 0);
  // The folders are taken from the tree here, so the job never touches the tree.
  TTreeFolders folders = FoldersBelow(*folder);
  Host_.ShowGauge(static_cast<int>(folders.size()));
  if (!Busy_) Busy_.emplace();
  emit BusyChanged(true);
  Jobs_->Start(
      [folders = std::move(folders), count = LargestCount_](TJob& job) {
        const auto total = static_cast<std::int64_t>(folders.size());
        return CollectFileStats(folders, count, &job.CancelFlag(),
                                [&](std::int64_t done) { job.Report(done, total); });
      },
      [this, generation = Generation_](TFileStats stats) {
        Host_.StartStatusReset();
        if (generation == Generation_ && !stats.Cancelled) Show(std::move(stats));
      });
}

void TLargestFilesPage::Show(TFileStats stats) {
  Summary_->setText(Listed_ != nullptr ? SummaryText(stats, *Listed_) : QString());
  TypesModel_->Assign(stats.Types, stats.Bytes);
  FilesModel_->Assign(stats.Largest);
  Shown_ = std::move(stats);
}

void TLargestFilesPage::ShowType(int row) {
  if (row < 0 || row >= TypesModel_->rowCount()) {
    FilesModel_->SetTypeFilter(std::nullopt);
    TypeList_->clearSelection();
    return;
  }
  FilesModel_->SetTypeFilter(TypesModel_->ExtensionAt(row));
}

void TLargestFilesPage::CheckAll(bool checked) { FilesModel_->SetAllChecked(checked); }

void TLargestFilesPage::OpenFolder() {
  const QModelIndex current = FileList_->currentIndex();
  if (!current.isValid()) {
    Host_.Dialogs().ShowMessage(this, QStringLiteral("No file selected"));
    return;
  }
  const std::string folder(FilesModel_->FileAt(current.row()).Folder());
  OpenFolderWithDesktop(Host_, this, folder);
}

void TLargestFilesPage::MoveCheckedToTrash() {
  if (Busy()) return;
  if (const QString away = Host_.DiskUnavailable(); !away.isEmpty()) {
    Host_.Dialogs().ShowMessage(this, away);
    return;
  }
  const std::vector<TLargeFile> checked = FilesModel_->CheckedFiles();
  if (checked.empty()) {
    Host_.Dialogs().ShowMessage(this, QStringLiteral("No file is checked."));
    return;
  }
  if (!Host_.Dialogs().Ask(
          this, TQuestionKind::Confirmation,
          QStringLiteral("Move the %1 checked file(s) to the trash?").arg(checked.size()),
          TAnswerButtons::YesNo)) {
    return;
  }
  std::vector<platform::TListedItem> items;
  items.reserve(checked.size());
  for (const TLargeFile& file : checked) items.push_back(ListedLargeFile(file));
  Busy_.emplace();
  emit BusyChanged(true);
  Jobs_->Start(
      [items = std::move(items), database = ProgramDatabaseFile(Host_.AppDataFolder())](TJob& job) {
        return TrashListedItems(items, database, kMoveCommand, &job.CancelFlag());
      },
      [this, checked, generation = Generation_](const TRemovalResult& result) {
        const std::unordered_set<std::string> removed(result.Removed.begin(), result.Removed.end());
        std::vector<TLargeFile> gone;
        for (const TLargeFile& file : checked) {
          if (removed.count(file.Path) != 0) gone.push_back(file);
        }
        if (RootStats_) RemoveFromStats(*RootStats_, gone);
        if (generation == Generation_) {
          RemoveFromStats(Shown_, gone);
          const std::optional<std::string> filter = FilesModel_->TypeFilter();
          Show(std::move(Shown_));
          FilesModel_->SetTypeFilter(filter);
        }
        ReportTrashMoves(Host_, this, result, gone.size());
      });
}

}  // namespace nubrix

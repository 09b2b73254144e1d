#include "cleaners/pages/DuplicatesPage.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>
#include <unordered_set>

#include "cleaners/Clean_Shortcuts.h"
#include "cleaners/Duplicates.h"
#include "cleaners/LargestFiles.h"
#include "cleaners/models/DuplicatesModel.h"
#include "cleaners/models/LargestFilesModels.h"
#include "cleaners/pages/PageReports.h"
#include "programdb/RunLog.h"
#include "sizetree/SizeTreeU.h"
#include "ui/DisplayText.h"
#include "ui/FlowLayout.h"
#include "ui/Icons.h"
#include "ui/JobRunner.h"
#include "ui/PageHost.h"
#include "ui/UserDialogs.h"

namespace nubrix {

namespace {

constexpr const char* kMoveCommand = "Move checked to the trash";
constexpr int kGaugeSteps = 1000;

QString Count(std::size_t count) {
  return QLocale(QLocale::English).toString(static_cast<qulonglong>(count));
}

QString FoundText(const TDuplicateSearch& search, const TSizeFolder& folder) {
  QString text;
  if (search.Groups.empty()) {
    text = QStringLiteral("No file below %1 is stored twice (%2 files compared).")
               .arg(DisplayPath(folder.Path()), Count(search.FilesConsidered));
  } else {
    std::uint64_t freeable = 0;
    for (const TDuplicateGroup& group : search.Groups) freeable += group.Freeable();
    text =
        QStringLiteral("%1 groups of duplicates below %2: %3 could be freed.")
            .arg(Count(search.Groups.size()), DisplayPath(folder.Path()), MegabytesText(freeable));
  }
  if (!search.Unreadable.empty()) {
    text += QStringLiteral(" %1 could not be read (%2 ...).")
                .arg(Count(search.Unreadable.size()), DisplayPath(search.Unreadable[0].Path));
  }
  return text;
}

// The checked copies of groups that keep a copy still as it was compared; the others stay.
std::vector<platform::TListedItem> CopiesToMove(const std::vector<TDuplicateGroup>& groups,
                                                const std::vector<TDuplicatesModel::TCopy>& checked,
                                                std::vector<TRemovalFailure>& refused) {
  std::vector<platform::TListedItem> items;
  std::vector<std::vector<bool>> marked(groups.size());
  for (std::size_t g = 0; g < groups.size(); ++g) marked[g].assign(groups[g].Files.size(), false);
  for (const auto& copy : checked) marked[copy.Group][copy.File] = true;
  std::vector<TCopyRefusal> refusals;
  for (std::size_t g = 0; g < groups.size(); ++g) {
    if (std::find(marked[g].begin(), marked[g].end(), true) == marked[g].end()) continue;
    for (platform::TListedItem& item : CopyMoves(groups[g], marked[g], refusals))
      items.push_back(std::move(item));
  }
  for (TCopyRefusal& refusal : refusals)
    refused.push_back({std::move(refusal.Path), std::move(refusal.Why)});
  return items;
}

}  // namespace

TDuplicatesPage::TDuplicatesPage(IPageHost& host, QWidget* parent)
    : QWidget(parent),
      Host_(host),
      Model_(new TDuplicatesModel(this)),
      Jobs_(new TJobRunner(this)) {
  auto* column = new QVBoxLayout(this);
  Summary_ = new QLabel(QStringLiteral("Scan a folder to find the files stored twice in it."));
  Summary_->setObjectName(QStringLiteral("DuplicatesSummary"));
  Summary_->setWordWrap(true);
  column->addWidget(Summary_);
  // The commands wrap onto a second row rather than hide behind an arrow.
  auto* bar = new QWidget;
  bar->setObjectName(QStringLiteral("DuplicatesBar"));
  auto* flow = new TFlowLayout(bar);
  const auto AddCommand = [&](const char* theme, const QString& text,
                              std::function<void()> handler) {
    flow->addWidget(CommandButton(theme, text, std::move(handler)));
  };
  AddCommand("user-trash", QString::fromUtf8(kMoveCommand), [this] { MoveCheckedToTrash(); });
  AddCommand("folder-open", QStringLiteral("Open folder"), [this] { OpenFolder(); });
  const std::pair<const char*, TKeepRule> rules[] = {
      {"Check all but the newest", TKeepRule::Newest},
      {"Check all but the oldest", TKeepRule::Oldest},
      {"Check all but the first by path", TKeepRule::FirstByPath}};
  for (const auto& [text, rule] : rules) {
    AddCommand("checkbox", QString::fromUtf8(text), [this, r = rule] { Model_->CheckAllBut(r); });
  }
  AddCommand("nubrix-checkbox-off", QStringLiteral("Uncheck all"),
             [this] { Model_->UncheckAll(); });
  column->addWidget(bar);
  List_ = new QTreeView;
  List_->setObjectName(QStringLiteral("Duplicates"));
  List_->setModel(Model_);
  List_->setUniformRowHeights(true);
  List_->setAllColumnsShowFocus(true);
  List_->setTextElideMode(Qt::ElideMiddle);
  const int widths[] = {230, 95, 145, 300};
  for (int c = 0; c < TDuplicatesModel::kColumnCount; ++c) List_->setColumnWidth(c, widths[c]);
  connect(List_, &QTreeView::doubleClicked, this,
          [this] { Host_.RunCommand([this] { OpenFolder(); }); });
  column->addWidget(List_, 1);
  connect(Model_, &TDuplicatesModel::CheckedChanged, this, [this] { ShowSummary(); });
  connect(Model_, &QAbstractItemModel::modelReset, List_, &QTreeView::expandAll);
  connect(Jobs_, &TJobRunner::Progress, this, [this](const TJobProgress& progress) {
    Host_.SetGaugePosition(static_cast<int>(progress.Done));
    if (!progress.Text.isEmpty()) Host_.ShowStatus(progress.Text);
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

QToolButton* TDuplicatesPage::CommandButton(const char* theme, const QString& text,
                                            std::function<void()> handler) {
  auto* action = new QAction(CommandIcon(QString::fromUtf8(theme)), text, this);
  action->setObjectName(text);
  connect(action, &QAction::triggered, this,
          [this, handler = std::move(handler)] { Host_.RunCommand(handler); });
  auto* button = new QToolButton;
  button->setDefaultAction(action);
  button->setAutoRaise(true);
  button->setIconSize(QSize(22, 22));
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  return button;
}

bool TDuplicatesPage::Busy() const { return Jobs_->Running(); }

void TDuplicatesPage::CancelJob() { Jobs_->Cancel(); }

void TDuplicatesPage::TreeReplaced() {
  ++Generation_;
  Jobs_->Cancel();
  Searched_ = nullptr;
  Found_.clear();
  Model_->Assign({});
  Summary_->setText(QStringLiteral("Scan a folder to find the files stored twice in it."));
  FolderShown();
}

void TDuplicatesPage::FolderShown() {
  if (isVisible()) Follow();
}

void TDuplicatesPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Follow();
}

// Searches the folder the charts show, unless it is searched already.
void TDuplicatesPage::Follow() {
  const TSizeFolder* folder = Host_.ShownFolder();
  if (folder == nullptr || folder == Searched_) return;
  Searched_ = folder;
  ++Generation_;
  Jobs_->Cancel();
  Found_.clear();
  Model_->Assign({});
  if (const QString away = Host_.DiskUnavailable(); !away.isEmpty()) {
    Summary_->setText(QStringLiteral("Duplicates are found by reading the files. ") + away);
    return;
  }
  Summary_->setText(QStringLiteral("Comparing the files of ") + DisplayPath(folder->Path()) +
                    QStringLiteral(" ..."));
  // The folders are taken from the tree here, so the job never touches the tree.
  TTreeFolders folders = FoldersBelow(*folder);
  Host_.ShowGauge(kGaugeSteps);
  if (!Busy_) Busy_.emplace();
  emit BusyChanged(true);
  Jobs_->Start(
      [folders = std::move(folders)](TJob& job) {
        TDuplicateOptions options;
        options.Cancel = &job.CancelFlag();
        options.Progress = [&job](const TDuplicateProgress& read) {
          const std::uint64_t total = std::max<std::uint64_t>(read.BytesTotal, 1);
          job.Report(
              static_cast<std::int64_t>(std::min(read.BytesRead, total) * kGaugeSteps / total),
              kGaugeSteps,
              QStringLiteral("Comparing files: %1 of %2 done")
                  .arg(Count(read.FilesDone), Count(read.FilesTotal)));
        };
        return FindDuplicates(folders, options);
      },
      [this, generation = Generation_, folder](const TDuplicateSearch& search) {
        Host_.StartStatusReset();
        if (generation != Generation_ || search.Cancelled) return;
        Found_ = FoundText(search, *folder);
        Model_->Assign(search.Groups);
      });
}

void TDuplicatesPage::ShowSummary() {
  if (Found_.isEmpty()) return;
  const std::size_t checked = Model_->CheckedCopies().size();
  Summary_->setText(checked == 0
                        ? Found_
                        : Found_ + QStringLiteral(" Checked: %1 copies, %2.")
                                       .arg(Count(checked), MegabytesText(Model_->CheckedBytes())));
}

void TDuplicatesPage::OpenFolder() {
  const TDuplicateFile* file = Model_->CopyAt(List_->currentIndex());
  if (file == nullptr) {
    Host_.Dialogs().ShowMessage(this, QStringLiteral("No file selected"));
    return;
  }
  const std::string folder(file->Folder());
  OpenFolderWithDesktop(Host_, this, folder);
}

void TDuplicatesPage::MoveCheckedToTrash() {
  if (Busy()) return;
  const std::vector<TDuplicatesModel::TCopy> checked = Model_->CheckedCopies();
  if (checked.empty()) {
    Host_.Dialogs().ShowMessage(this, QStringLiteral("No file is checked."));
    return;
  }
  if (const std::optional<std::size_t> group = Model_->EmptiedGroup()) {
    Host_.Dialogs().ShowMessage(
        this, QStringLiteral("Every copy of %1 is checked: leave one of them unchecked.")
                  .arg(DisplayPath(std::string(Model_->Groups()[*group].Files[0].Name()))));
    return;
  }
  if (!Host_.Dialogs().Ask(
          this, TQuestionKind::Confirmation,
          QStringLiteral("Move the %1 checked file(s) to the trash?").arg(checked.size()),
          TAnswerButtons::YesNo)) {
    return;
  }
  Busy_.emplace();
  emit BusyChanged(true);
  Jobs_->Start(
      [groups = Model_->Groups(), checked,
       database = ProgramDatabaseFile(Host_.AppDataFolder())](TJob& job) {
        std::vector<TRemovalFailure> refused;
        const std::vector<platform::TListedItem> items = CopiesToMove(groups, checked, refused);
        TRemovalResult result = TrashListedItems(items, database, kMoveCommand, &job.CancelFlag());
        result.Failed.insert(result.Failed.begin(), refused.begin(), refused.end());
        return result;
      },
      [this, generation = Generation_](const TRemovalResult& result) {
        const std::unordered_set<std::string> removed(result.Removed.begin(), result.Removed.end());
        if (generation == Generation_) Model_->RemoveCopies(removed);
        ReportTrashMoves(Host_, this, result, result.Removed.size());
      });
}

}  // namespace nubrix

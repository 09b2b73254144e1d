#include "cleaners/pages/ShortcutPage.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "cleaners/Clean_Shortcuts.h"
#include "cleaners/models/ShortcutRowsModel.h"
#include "cleaners/pages/BrowseForDirU.h"
#include "cleaners/pages/PageReports.h"
#include "platform/Paths.h"
#include "ui/Commands.h"
#include "ui/DisplayText.h"
#include "ui/JobRunner.h"
#include "ui/PageHost.h"
#include "ui/ToolBars.h"
#include "ui/UserDialogs.h"

namespace nubrix {

namespace {

constexpr TCommandSpec kShortcutCommands[] = {
    {"actListShortcuts", "List shortcuts", "", "", "", 0, false, true, "edit-find"},
    {"actListEmptyFolders", "List empty folders", "", "", "", 0, false, true, "folder"},
    {"actDelCheckedItems", "Delete checked items", "", "", "", 0, false, true, "edit-delete"},
    {"actDelEmptyFolders", "Delete empty folders", "", "", "", 0, false, true, "user-trash"},
};

const QString kBrowseTitle =
    QStringLiteral("Select Directory where Nubrix starts looking for shortcuts!");
constexpr const char* kPreselection = "/";

// Collects the rows of a listing on the worker, for the model on the window's thread.
class TRowCollector : public IShortcutRows {
 public:
  void Clear() override { Rows.clear(); }
  void Add(const TShortcutRow& row) override { Rows.push_back(row); }
  std::vector<TShortcutRow> Rows;
};

struct TListed {
  std::vector<TShortcutRow> Rows;
  bool Cancelled = false;
};

QString Shown(const std::string& path) { return DisplayPath(path); }

}  // namespace

void TLocationBox::showPopup() {
  if (OnDropDown) OnDropDown();
  QComboBox::showPopup();
}

std::span<const TCommandSpec> TShortcutPage::Commands() { return kShortcutCommands; }

TShortcutPage::TShortcutPage(TCommands& commands, IPageHost& host, QWidget* parent)
    : QWidget(parent),
      Commands_(commands),
      Host_(host),
      Rows_(new TShortcutRowsModel(this)),
      Jobs_(new TJobRunner(this)) {
  commands.Register(Commands());
  auto* row = new QHBoxLayout(this);
  auto* box = new QGroupBox(QStringLiteral("List shortcuts or empty folders   "));
  row->addWidget(box, 1);
  auto* column = new QVBoxLayout(box);
  BuildToolBar(box);
  BuildList();
  column->addWidget(box->findChild<QToolBar*>(QStringLiteral("ToolBar6")));
  column->addWidget(LV_Shortcut_, 1);
  const std::pair<const char*, void (TShortcutPage::*)()> handlers[] = {
      {"actListShortcuts", &TShortcutPage::actListShortcutsExecute},
      {"actListEmptyFolders", &TShortcutPage::actListEmptyFoldersExecute},
      {"actDelCheckedItems", &TShortcutPage::actDelCheckedItemsExecute},
      {"actDelEmptyFolders", &TShortcutPage::actDelEmptyFoldersExecute}};
  for (const auto& [name, handler] : handlers) {
    connect(commands.Find(name), &QAction::triggered, this, [this, handler = handler] {
      Host_.RunCommand([this, handler] { (this->*handler)(); });
    });
  }
  // The commands come back once the last job has handed over its result.
  connect(Jobs_, &TJobRunner::Idle, this, &TShortcutPage::UpdateActions);
  connect(Jobs_, &TJobRunner::Failed, this, [this](const QString& message) {
    Busy_.reset();
    Host_.Dialogs().ShowError(this, message);
  });
}

void TShortcutPage::BuildToolBar(QWidget* box) {
  QToolBar* bar = FlatToolBar(QStringLiteral("ToolBar6"), 22);
  bar->setParent(box);
  // The buttons show the commands' pictures; their hints say what they do.
  bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  bar->addSeparator();
  StartMenuCombo_ = new TLocationBox;
  StartMenuCombo_->setObjectName(QStringLiteral("StartMenuCombo"));
  StartMenuCombo_->setFixedWidth(164);
  StartMenuCombo_->setEditable(true);
  StartMenuCombo_->setInsertPolicy(QComboBox::NoInsert);
  StartMenuCombo_->setToolTip(QStringLiteral("Select location"));
  for (int entry = 0; entry < kLocationEntries; ++entry) {
    StartMenuCombo_->addItem(QString::fromUtf8(LocationEntryText(entry)));
  }
  StartMenuCombo_->setCurrentIndex(kUserStartMenu);
  StartMenuCombo_->OnDropDown = [this] { StartMenuComboDropDown(); };
  connect(StartMenuCombo_, &QComboBox::activated, this,
          [this](int index) { Host_.RunCommand([this, index] { StartMenuComboChange(index); }); });
  bar->addWidget(StartMenuCombo_);
  bar->addSeparator();
  AddCommandButton(bar, Commands_.Find("actListShortcuts"),
                   QStringLiteral("List shortcuts; Check broken\r\nshortcuts"));
  AddCommandButton(bar, Commands_.Find("actListEmptyFolders"),
                   QStringLiteral("List empty directories"));
  AddCommandButton(
      bar, Commands_.Find("actDelCheckedItems"),
      QStringLiteral("Delete checked items\r\n(empty directories and \r\nbroken shortcuts)"));
  bar->addSeparator();
  AddCommandButton(bar, Commands_.Find("actDelEmptyFolders"),
                   QStringLiteral("Delete all empty directories and subdirectories"));
}

void TShortcutPage::BuildList() {
  LV_Shortcut_ = new QTreeView;
  LV_Shortcut_->setObjectName(QStringLiteral("LV_Shortcut"));
  LV_Shortcut_->setModel(Rows_);
  LV_Shortcut_->setRootIsDecorated(false);
  LV_Shortcut_->setUniformRowHeights(true);
  LV_Shortcut_->setSortingEnabled(true);
  LV_Shortcut_->sortByColumn(-1, Qt::AscendingOrder);  // listing order until a header is clicked
  LV_Shortcut_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  LV_Shortcut_->setToolTip(QStringLiteral(
      "Check the rows to move to the trash.\r\nSeveral rows can be selected with Shift or Ctrl."));
  const int widths[] = {250, 300, 100, 300};
  for (int column = 0; column < 4; ++column) LV_Shortcut_->setColumnWidth(column, widths[column]);
  SetHelpContext(LV_Shortcut_, kHelpContext);
  LV_Shortcut_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(LV_Shortcut_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    const QModelIndex index = LV_Shortcut_->indexAt(at);
    if (!index.isValid()) return;
    QMenu menu(this);
    menu.addAction(QStringLiteral("Open in Explorer"), this, [this, row = index.row()] {
      Host_.RunCommand([this, row] { OpenInExplorer(row); });
    });
    menu.exec(LV_Shortcut_->viewport()->mapToGlobal(at));
  });
}

bool TShortcutPage::Busy() const { return Jobs_->Running(); }

void TShortcutPage::CancelJob() { Jobs_->Cancel(); }

void TShortcutPage::UpdateActions() {
  for (const TCommandSpec& spec : Commands()) Commands_.Find(spec.Name)->setEnabled(!Busy());
}

TShortcutLocation TShortcutPage::GetShortcutLocation() {
  int entry = StartMenuCombo_->currentIndex();
  // A text typed into the box selects no entry: the user's start menu then.
  if (entry < 0 || StartMenuCombo_->currentText() != StartMenuCombo_->itemText(entry))
    entry = kUserStartMenu;
  if (entry == kCurrentFolder && Host_.SelectedFolder().empty()) {
    Host_.Dialogs().ShowMessage(this, QStringLiteral("No folder selected"));
    return {};
  }
  // The folder browsed to is kept as bytes beside its shown text.
  const std::string text = entry == kBrowse
                               ? StartMenuCombo_->itemData(kBrowse).toByteArray().toStdString()
                               : StartMenuCombo_->currentText().toStdString();
  return ResolveShortcutLocation(entry, Host_.SelectedFolder(), text);
}

void TShortcutPage::actListShortcutsExecute() { StartListing(false); }

void TShortcutPage::actListEmptyFoldersExecute() { StartListing(true); }

void TShortcutPage::StartListing(bool emptyFolders) {
  if (Busy()) return;
  Busy_.emplace();
  Rows_->Clear();
  const TShortcutLocation location = GetShortcutLocation();
  Host_.ShowStatus(QStringLiteral("Scanning ") + Shown(location.Shown));
  Jobs_->Start(
      [location, emptyFolders](TJob& job) {
        TListed listed;
        TRowCollector rows;
        const TCleanShortcut cleaner;
        for (const std::string& folder : location.Folders) {
          TRowCollector one;
          if (emptyFolders) {
            cleaner.ListEmptyFolders(folder, one, &job.CancelFlag());
          } else {
            cleaner.ListShortcuts(folder, one, &job.CancelFlag());
          }
          rows.Rows.insert(rows.Rows.end(), one.Rows.begin(), one.Rows.end());
        }
        listed.Rows = std::move(rows.Rows);
        listed.Cancelled = job.Cancelled();
        return listed;
      },
      [this, location, emptyFolders](const TListed& listed) {
        for (const TShortcutRow& row : listed.Rows) Rows_->Add(row);
        ShowListed(emptyFolders, location, listed.Cancelled);
      });
}

void TShortcutPage::ShowListed(bool emptyFolders, const TShortcutLocation& location,
                               bool cancelled) {
  Busy_.reset();
  if (cancelled) {
    Host_.ShowStatus(QStringLiteral("Listing cancelled: ") + Shown(location.Shown));
    return;
  }
  if (Rows_->rowCount() == 0) {
    const QString what = emptyFolders ? QStringLiteral("No empty folders in ")
                                      : QStringLiteral("No broken shortcut in ");
    Host_.Dialogs().ShowMessage(this, what + Shown(location.Shown) + QStringLiteral(" found"));
  }
  Host_.ShowStatus(Shown(location.Shown));
}

void TShortcutPage::actDelCheckedItemsExecute() {
  if (Busy()) return;
  if (Rows_->rowCount() == 0) {
    Host_.Dialogs().ShowMessage(this, QStringLiteral("No items in list"));
    return;
  }
  std::vector<platform::TListedItem> checked;
  for (auto it = Rows_->Rows().rbegin(); it != Rows_->Rows().rend(); ++it) {
    if (it->Checked) checked.push_back(it->Listed());
  }
  if (checked.empty()) return;
  if (!Host_.Dialogs().Ask(
          this, TQuestionKind::Confirmation,
          QStringLiteral("Move the %1 checked item(s) to the trash?").arg(checked.size()),
          TAnswerButtons::YesNo)) {
    return;
  }
  Busy_.emplace();
  Jobs_->Start(
      [checked, database = ProgramDatabaseFile(Host_.AppDataFolder())](TJob& job) {
        return TrashListedItems(checked, database, "Delete checked items", &job.CancelFlag());
      },
      [this](const TRemovalResult& result) {
        Busy_.reset();
        Rows_->RemovePaths(result.Removed);
        ReportRemoval(result);
      });
}

void TShortcutPage::actDelEmptyFoldersExecute() {
  if (Busy()) return;
  Rows_->Clear();
  const TShortcutLocation location = GetShortcutLocation();
  if (location.Folders.empty()) return;
  for (const std::string& folder : location.Folders) {
    if (platform::WithoutSeparator(folder) != "/") continue;
    Host_.Dialogs().ShowMessage(this, QString::fromUtf8(kRootEmptyFoldersRefusal));
    return;
  }
  if (!Host_.Dialogs().Ask(this, TQuestionKind::Confirmation,
                           QString::fromUtf8(TCleanShortcut::kDeleteEmptyQuestion),
                           TAnswerButtons::YesNo)) {
    return;
  }
  Busy_.emplace();
  Jobs_->Start(
      [location, database = ProgramDatabaseFile(Host_.AppDataFolder())](TJob& job) {
        TRemovalResult all;
        TCleanupRun run(database, "Delete empty folders");
        for (const std::string& folder : location.Folders) {
          TRemovalResult one = TCleanShortcut().RemoveEmptyFolders(folder, &job.CancelFlag(), &run);
          all.Removed.insert(all.Removed.end(), one.Removed.begin(), one.Removed.end());
          all.Failed.insert(all.Failed.end(), one.Failed.begin(), one.Failed.end());
        }
        all.RunNote = run.Finish(job.Cancelled()).Error;
        return all;
      },
      [this](const TRemovalResult& result) {
        Busy_.reset();
        ReportRemoval(result);
      });
}

// What went is counted in the status bar; what stayed is named with its reason.
void TShortcutPage::ReportRemoval(const TRemovalResult& result) {
  QString status = QStringLiteral("%1 item(s) moved to the trash").arg(result.Removed.size());
  if (!result.RunNote.empty())
    status += QStringLiteral(" (no undo: ") + Shown(result.RunNote) + u')';
  Host_.ShowStatus(status);
  if (result.Failed.empty()) return;
  QString text = QStringLiteral("These items stayed where they were:");
  for (const TRemovalFailure& failure : result.Failed) {
    text +=
        QStringLiteral("\r\n") + Shown(failure.Path) + QStringLiteral(": ") + Shown(failure.Reason);
  }
  Host_.Dialogs().ShowMessage(this, text);
}

void TShortcutPage::StartMenuComboChange(int index) {
  if (index == kTypedLocation) {
    StartMenuCombo_->setCurrentIndex(kCommonStartMenu);
    return;
  }
  if (index != kBrowse) return;
  const std::string folder =
      TBrowseForFolders().BrowseForFolder(Host_.Dialogs(), this, kBrowseTitle, kPreselection);
  if (folder.empty() || folder == "/" || !platform::IsFolder(folder)) {
    StartMenuCombo_->setCurrentIndex(kCommonStartMenu);
    return;
  }
  StartMenuCombo_->setItemText(kBrowse, Shown(folder));
  StartMenuCombo_->setItemData(kBrowse, QByteArray::fromStdString(folder));
  StartMenuCombo_->setCurrentIndex(kBrowse);
  Host_.ShowHistoryText(Shown(folder));
}

void TShortcutPage::StartMenuComboDropDown() {
  StartMenuCombo_->setItemText(kTypedLocation, {});
  Host_.ShowHistoryText({});
}

void TShortcutPage::OpenInExplorer(int row) {
  if (row < 0 || row >= Rows_->rowCount()) return;
  const TShortcutRow& item = Rows_->Row(row);
  const std::string folder =
      item.State == kConditionEmpty ? item.ShortcutPath : platform::FolderOf(item.ShortcutPath);
  OpenFolderWithDesktop(Host_, this, folder);
}

}  // namespace nubrix

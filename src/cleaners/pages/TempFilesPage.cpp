#include "cleaners/pages/TempFilesPage.h"

#include <QAction>
#include <QColor>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLocale>
#include <QMenu>
#include <QStyle>
#include <QToolBar>
#include <QTreeView>
#include <QVBoxLayout>

#include "cleaners/Clean_Shortcuts.h"
#include "cleaners/models/TempFilesModels.h"
#include "cleaners/pages/Add_ElementU.h"
#include "cleaners/pages/PageReports.h"
#include "sizetree/SizeTreeU.h"
#include "ui/DisplayText.h"
#include "ui/Icons.h"
#include "ui/JobRunner.h"
#include "ui/PageHost.h"
#include "ui/ToolBars.h"
#include "ui/UserDialogs.h"

namespace nubrix {

namespace {

struct TButton {
  const char* Theme;  // its picture
  const char* Hint;
  void (TTempFilesPage::*Handler)();
};

constexpr TButton kTypeButtons[] = {
    {"checkbox", "check all items", &TTempFilesPage::ToolButton18Click},
    {"nubrix-checkbox-off", "uncheck all items", &TTempFilesPage::ToolButton19Click},
    {"list-add", "Add a junk file type", &TTempFilesPage::ToolButton27Click},
    {"list-remove", "Delete the selected junk file type", &TTempFilesPage::ToolButton28Click},
};

constexpr TButton kFileButtons[] = {
    {"go-top", "List temp files in\r\nroot folder of size\r\ntree",
     &TTempFilesPage::ToolButton36Click},
    {"go-down", "List temp files in\r\nactual folder.\r\nGauge will not run\r\nto 100% then!",
     &TTempFilesPage::ToolButton39Click},
    {nullptr, nullptr, nullptr},
    {"user-trash", "Delete checked\r\ntemp files in list", &TTempFilesPage::ToolButton15Click},
    {nullptr, nullptr, nullptr},
    {"checkbox", "check all items", &TTempFilesPage::ToolButton20Click},
    {"nubrix-checkbox-off", "uncheck all items", &TTempFilesPage::ToolButton25Click},
};

struct TDeleted {
  std::vector<int> Rows;  // the rows whose files went
  int Stayed = 0;
  std::string FirstReason;
  std::string RunNote;  // why the cleanup could not be kept for undo
};

}  // namespace

TTempFilesPage::TTempFilesPage(IPageHost& host, QWidget* parent)
    : QWidget(parent),
      Host_(host),
      TypesModel_(new TTmpTypesModel(this)),
      FilesModel_(new TTempFilesModel(this)),
      Jobs_(new TJobRunner(this)) {
  auto* row = new QHBoxLayout(this);
  row->addWidget(BuildTypeGroup(), 0);
  row->addWidget(BuildFileGroup(), 1);
  connect(Jobs_, &TJobRunner::Progress, this, [this](const TJobProgress& progress) {
    Host_.SetGaugePosition(static_cast<int>(progress.Done));
  });
  connect(Jobs_, &TJobRunner::Idle, this, [this] { emit BusyChanged(false); });
  connect(Jobs_, &TJobRunner::Failed, this, [this](const QString& message) {
    Finish();
    Host_.Dialogs().ShowError(this, message);
  });
}

template <std::size_t N>
static QToolBar* ButtonBar(const TButton (&buttons)[N], const QString& name, TTempFilesPage* page,
                           IPageHost& host) {
  QToolBar* bar = FlatToolBar(name, 22);
  bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  for (const TButton& button : buttons) {
    if (button.Handler == nullptr) {
      bar->addSeparator();
      continue;
    }
    QAction* action = bar->addAction(CommandIcon(QString::fromUtf8(button.Theme)),
                                     QString::fromUtf8(button.Hint).remove(QStringLiteral("\r\n")));
    action->setToolTip(QString::fromUtf8(button.Hint));
    QObject::connect(action, &QAction::triggered, page, [page, &host, handler = button.Handler] {
      host.RunCommand([page, handler] { (page->*handler)(); });
    });
  }
  return bar;
}

QWidget* TTempFilesPage::BuildTypeGroup() {
  auto* box = new QGroupBox(QStringLiteral("Temp file types"));
  box->setMaximumWidth(270);  // the found files get the room
  auto* column = new QVBoxLayout(box);
  column->addWidget(ButtonBar(kTypeButtons, QStringLiteral("ToolBar10"), this, Host_));
  TmpList_ = new QTreeView;
  TmpList_->setObjectName(QStringLiteral("tmpList"));
  TmpList_->setModel(TypesModel_);
  TmpList_->setRootIsDecorated(false);
  TmpList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  TmpList_->setSelectionBehavior(QAbstractItemView::SelectRows);
  TmpList_->header()->setSectionsClickable(false);
  TmpList_->setColumnWidth(0, 60);
  TmpList_->setColumnWidth(1, 200);
  TmpList_->setMinimumWidth(280);
  TmpList_->setToolTip(
      QStringLiteral("Masks of junk files (ext) and what they are (description).\r\nThe checked "
                     "ones are searched for.\r\n"
                     "Make a full backup of your system before you remove anything."));
  SetHelpContext(TmpList_, kHelpContext);
  column->addWidget(TmpList_, 1);
  return box;
}

QWidget* TTempFilesPage::BuildFileGroup() {
  auto* box = new QGroupBox(QStringLiteral("List of temporary files"));
  auto* column = new QVBoxLayout(box);
  column->addWidget(ButtonBar(kFileButtons, QStringLiteral("ToolBar11"), this, Host_));
  VstTemp_ = new QTreeView;
  VstTemp_->setObjectName(QStringLiteral("vsttemp"));
  VstTemp_->setModel(FilesModel_);
  VstTemp_->setRootIsDecorated(false);
  VstTemp_->setUniformRowHeights(true);
  VstTemp_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  VstTemp_->header()->setSectionsMovable(true);
  VstTemp_->header()->setSectionsClickable(true);
  VstTemp_->header()->setFixedHeight(16);
  VstTemp_->setStyleSheet(QStringLiteral("QTreeView::item { height: 20px; }"));
  const int widths[] = {150, 300, 100};
  for (int c = 0; c < 3; ++c) VstTemp_->setColumnWidth(c, widths[c]);
  FilesModel_->SetLooks(style()->standardIcon(QStyle::SP_FileIcon),
                        style()->standardIcon(QStyle::SP_DirClosedIcon), QColor(247, 247, 247),
                        QLocale().decimalPoint().at(0).toLatin1());
  FilesModel_->SetFocusedLooks(
      style()->standardIcon(QStyle::SP_FileIcon).pixmap(16, 16, QIcon::Selected),
      style()->standardIcon(QStyle::SP_DirOpenIcon));
  connect(VstTemp_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& current) { FilesModel_->SetFocusedRow(current.row()); });
  connect(VstTemp_->header(), &QHeaderView::sectionClicked, this, [this](int section) {
    Host_.RunCommand([this, section] { VSTTempHeaderClick(section); });
  });
  VstTemp_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(VstTemp_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
    const QModelIndex index = VstTemp_->indexAt(at);
    if (!index.isValid()) return;
    QMenu menu(this);
    menu.addAction(QStringLiteral("Open in Explorer"), this, [this, row = index.row()] {
      Host_.RunCommand([this, row] { OpenInExplorer(row); });
    });
    menu.exec(VstTemp_->viewport()->mapToGlobal(at));
  });
  column->addWidget(VstTemp_, 1);
  return box;
}

bool TTempFilesPage::Busy() const { return Jobs_->Running(); }

void TTempFilesPage::CancelJob() { Jobs_->Cancel(); }

void TTempFilesPage::Finish() {
  Busy_.reset();
  Host_.StartStatusReset();
}

void TTempFilesPage::ToolButton18Click() { TypesModel_->SetAllChecked(true); }

void TTempFilesPage::ToolButton19Click() { TypesModel_->SetAllChecked(false); }

void TTempFilesPage::ToolButton27Click() {
  TAdd_Element dialog(this);
  if (dialog.exec() != QDialog::Accepted) return;
  const std::string mask = dialog.GetExtension().toStdString();
  const std::string description = dialog.GetDescription().toStdString();
  // A type the list file cannot keep as it is shown would be gone, or changed, at the next start
  // without a word.
  const std::string refusal = TypeRefusal(mask, description, TypesModel_->Types());
  if (!refusal.empty()) {
    Host_.Dialogs().ShowMessage(this, QString::fromStdString(refusal));
    return;
  }
  TypesModel_->Append({TrimmedTypeText(mask), TrimmedTypeText(description), false});
}

void TTempFilesPage::ToolButton28Click() {
  const QModelIndexList rows = TmpList_->selectionModel()->selectedRows();
  if (rows.size() != 1) {
    Host_.Dialogs().ShowMessage(this, QStringLiteral("No item selected"));
    return;
  }
  const int row = rows.front().row();
  const QString question = QStringLiteral("Do you really want to delete \n\r") +
                           TypesModel_->index(row, 0).data().toString() +
                           QStringLiteral(" extension?");
  if (Host_.Dialogs().Ask(this, TQuestionKind::Confirmation, question, TAnswerButtons::YesCancel)) {
    TypesModel_->Remove(row);
  }
}

void TTempFilesPage::ToolButton36Click() { ListTempFiles(true); }

void TTempFilesPage::ToolButton39Click() { ListTempFiles(false); }

void TTempFilesPage::ToolButton15Click() { DeleteCheckedTempFiles(); }

void TTempFilesPage::ToolButton20Click() { FilesModel_->SetAllChecked(true); }

void TTempFilesPage::ToolButton25Click() { FilesModel_->SetAllChecked(false); }

// One sort direction for the whole header: every click flips it, the first gives descending.
void TTempFilesPage::VSTTempHeaderClick(int column) {
  if (Busy()) return;
  SortOrder_ = SortOrder_ == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
  FilesModel_->sort(column, SortOrder_);
}

void TTempFilesPage::ListTempFiles(bool fromRoot) {
  if (Busy()) return;
  if (Host_.ShownFolder() == nullptr) {
    Host_.Dialogs().ShowMessage(this, QStringLiteral("You must scan a folder or drive first!"));
    return;
  }
  if (const QString away = Host_.DiskUnavailable(); !away.isEmpty()) {
    Host_.Dialogs().ShowMessage(this, away);
    return;
  }
  const std::vector<std::string> masks = TypesModel_->CheckedMasks();
  // A search for nothing would end with an empty list, as if the folders held no junk.
  if (masks.empty()) {
    Host_.Dialogs().ShowMessage(
        this, QStringLiteral("No junk file type is checked: check the types to look for first."));
    return;
  }
  const TSizeFolder* start = fromRoot ? Host_.ScanRoot() : Host_.ShownFolder();
  Host_.ShowStatus(QStringLiteral("Look for Tempfiles in: ") + DisplayPath(start->Path()));
  Host_.ShowGauge(Host_.ScannedFolderCount());
  FilesModel_->Clear();
  // The folders are taken from the tree here, so the job never touches the tree.
  const TTreeFolders folders = TempSearchFolders(*start);
  Busy_.emplace();
  Jobs_->Start(
      [folders, masks](TJob& job) {
        const auto total = static_cast<std::int64_t>(folders.size());
        return SearchTempFiles(folders, masks, &job.CancelFlag(),
                               [&](int done) { job.Report(done, total); });
      },
      [this](TTempSearch search) {
        FilesModel_->Append(std::move(search.Rows));
        Finish();
      });
  emit BusyChanged(true);
}

void TTempFilesPage::DeleteCheckedTempFiles() {
  if (Busy()) return;
  if (FilesModel_->rowCount() == 0) {
    Host_.Dialogs().ShowMessage(this, QStringLiteral("No items listed!"));
    return;
  }
  if (!Host_.Dialogs().Ask(
          this, TQuestionKind::Confirmation,
          QStringLiteral(
              "Do you really want to delete the checked temp files?\n\r(Temp Files in use "
              "will not be deleted!)"),
          TAnswerButtons::OkCancel)) {
    return;
  }
  std::vector<std::pair<int, platform::TListedItem>> checked;
  for (std::size_t i = 0; i < FilesModel_->Rows().size(); ++i) {
    const TTempTreeData& row = FilesModel_->Rows()[i];
    if (row.Checked) checked.emplace_back(static_cast<int>(i), ListedTempFile(row));
  }
  Busy_.emplace();
  Jobs_->Start(
      [checked, database = ProgramDatabaseFile(Host_.AppDataFolder())](TJob& job) {
        TDeleted deleted;
        TCleanupRun run(database, "Delete checked temp files");
        for (const auto& [row, item] : checked) {
          if (job.Cancelled()) break;
          const platform::TTrashResult moved = RecycleSilently(item, &run);
          if (moved.Ok) {
            deleted.Rows.push_back(row);
          } else if (++deleted.Stayed == 1) {
            deleted.FirstReason = moved.Error;
          }
        }
        deleted.RunNote = run.Finish(job.Cancelled()).Error;
        return deleted;
      },
      [this](const TDeleted& deleted) {
        Busy_.reset();
        FilesModel_->RemoveRows(deleted.Rows);
        QString text = QStringLiteral("%1 file(s) moved to the trash").arg(deleted.Rows.size());
        if (deleted.Stayed > 0) {
          text += QStringLiteral(", %1 stayed: ").arg(deleted.Stayed) +
                  DisplayPath(deleted.FirstReason);
        }
        if (!deleted.RunNote.empty()) {
          text += QStringLiteral(" (no undo: ") + DisplayPath(deleted.RunNote) + u')';
        }
        Host_.ShowStatus(text);
      });
  emit BusyChanged(true);
}

void TTempFilesPage::OpenInExplorer(int row) {
  if (row < 0 || row >= FilesModel_->rowCount()) return;
  const std::string folder = FilesModel_->Rows()[static_cast<std::size_t>(row)].Folder;
  OpenFolderWithDesktop(Host_, this, folder);
}

}  // namespace nubrix

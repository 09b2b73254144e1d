#include "registry/RegEditorU.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QHeaderView>
#include <QProcess>
#include <QShowEvent>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <ctime>
#include <fstream>
#include <sstream>

#include "platform/Paths.h"
#include "registry/RegExpo.h"
#include "registry/RegImport.h"
#include "ui/CommandGuard.h"
#include "ui/Icons.h"
#include "ui/JobRunner.h"
#include "ui/UserDialogs.h"

namespace nubrix::registry {

namespace {

constexpr int kCaptionRole = Qt::UserRole;
constexpr int kTextRole = Qt::UserRole + 1;
constexpr QColor kSkyBlue(166, 202, 240);

const char* const kValueQuestion =
    "It is a good idea to do a backup of this \r\nregistry section before manipulating any "
    "item!\r\nDo you really want to delete this registry Item?";
const char* const kUninstallQuestion = "Do you really want to delete this Uninstall File?";

TRegRow RowOf(const QTreeWidgetItem& item) {
  return {item.data(0, kCaptionRole).toString().toStdString(),
          item.data(0, kTextRole).toString().toStdString(), 0};
}

// Rows compare by the shared sort state, so every window sorts the same way.
class TRowItem : public QTreeWidgetItem {
 public:
  using QTreeWidgetItem::QTreeWidgetItem;
  bool operator<(const QTreeWidgetItem& other) const override {
    return CompareRows(RowOf(*this), RowOf(other), RegEditorSortState()) < 0;
  }
};

struct TListSpec {
  const char* Title;
  const char* FirstColCaption;
  const char* SecondColCaption;
  std::uint32_t Root;
  const char* Key;
  const char* BackupName;
};

constexpr TListSpec kLists[] = {
    {"Edit URL History", "Page Title", "MRU URL", platform::kHkeyCurrentUser,
     "Software\\Microsoft\\Internet Explorer\\TypedURLs", "TypedURLs"},
    {"Edit Auto Start List", "Software", "Registry Entry", platform::kHkeyLocalMachine,
     "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "AutostartA"},
    {"Edit Media Player History", "Media Player MRU Name", "File Location",
     platform::kHkeyCurrentUser, "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList",
     "Media"},
};

}  // namespace

TSortState& RegEditorSortState() {
  static TSortState state;
  return state;
}

int RunAndWait(const QString& commandLine, int /*showMode*/) {
  QStringList arguments = QProcess::splitCommand(commandLine);
  if (arguments.isEmpty()) return -1;
  QProcess process;
  process.setProgram(arguments.takeFirst());
  process.setArguments(arguments);
  process.setWorkingDirectory(QDir::currentPath());
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  QEventLoop loop;
  bool ended = false;
  QObject::connect(&process, &QProcess::finished, &loop, [&] {
    ended = true;
    loop.quit();
  });
  QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) {
      ended = true;
      loop.quit();
    }
  });
  process.start();
  if (!ended) loop.exec();
  if (process.error() == QProcess::FailedToStart) return -1;
  return process.exitCode();
}

TRegEditorForm::TRegEditorForm(platform::IRegistryStore& store, IUserDialogs& dialogs,
                               QWidget* parent)
    : QDialog(parent), Store_(store), Dialogs_(dialogs), Jobs_(new TJobRunner(this)) {
  connect(Jobs_, &TJobRunner::Failed, this, [this](const QString& message) {
    SetCommandsEnabled(true);
    Dialogs_.ShowError(this, message);
    FillList();
  });
  setWindowTitle(QStringLiteral("URL History Editor"));
  resize(582, 332);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  actDelKey =
      new QAction(CommandIcon(QStringLiteral("edit-delete")), QStringLiteral("Delete Key"), this);
  actDelKey->setToolTip(QStringLiteral("Delete current Registry Key and Value"));
  connect(actDelKey, &QAction::triggered, this,
          [this] { RunGuarded(Dialogs_, this, [this] { actDelKeyExecute(); }); });
  BuildToolBar();
  BuildList();
  StatusBar1 = new QStatusBar;
  StatusBar1->setSizeGripEnabled(false);
  layout->addWidget(ToolBar1);
  layout->addWidget(ListView1, 1);
  layout->addWidget(StatusBar1);
}

void TRegEditorForm::BuildToolBar() {
  ToolBar1 = new QToolBar;
  ToolBar1->setIconSize(QSize(32, 32));
  const auto addButton = [this](const QIcon& icon, const QString& hint, auto handler) {
    auto* button = new QToolButton;
    button->setIcon(icon);
    button->setToolTip(hint);
    button->setAutoRaise(true);
    connect(button, &QToolButton::clicked, this, [this, handler] {
      RunGuarded(Dialogs_, this, [this, handler] { (this->*handler)(); });
    });
    ToolBar1->addWidget(button);
    return button;
  };
  ToolButton1 = addButton(
      CommandIcon(QStringLiteral("document-save")),
      QStringLiteral("Backup this section of the registry.\r\nThe section contains all the values "
                     "\r\nin this editor window"),
      &TRegEditorForm::ToolButton1Click);
  ToolButton2 = addButton(CommandIcon(QStringLiteral("document-revert")),
                          QStringLiteral("Restore Backup"), &TRegEditorForm::ToolButton2Click);
  ToolButton3 = new QToolButton;
  ToolButton3->setDefaultAction(actDelKey);
  ToolButton3->setAutoRaise(true);
  ToolBar1->addWidget(ToolButton3);
}

void TRegEditorForm::BuildList() {
  ListView1 = new QTreeWidget;
  ListView1->setColumnCount(3);
  ListView1->setHeaderLabels({QString(), QString(), QString()});
  ListView1->setRootIsDecorated(false);
  ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
  ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
  ListView1->setAllColumnsShowFocus(true);
  ListView1->setStyleSheet(
      QStringLiteral(
          "QTreeView { background: %1; gridline-color: gray; } QTreeView::item { border-right: 1px "
          "solid silver; border-bottom: 1px solid silver; } QTreeView::item:selected { background: "
          "palette(highlight); color: palette(highlighted-text); }")
          .arg(kSkyBlue.name()));
  ListView1->setFont(QFont(QStringLiteral("Arial"), 9));
  ListView1->setIconSize(QSize(16, 16));
  ListView1->setContextMenuPolicy(Qt::ActionsContextMenu);
  ListView1->addAction(actDelKey);
  ListView1->setToolTip(QStringLiteral(
      "List of Reg Key of one relevant Section\r\nDelete items using right mouse click menu "
      "\r\nor toolbar button.\r\n \r\nDblclk to execute item (uninstall list)"));
  ListView1->header()->setSectionsClickable(true);
  ListView1->header()->setStretchLastSection(true);
  connect(ListView1->header(), &QHeaderView::sectionClicked, this,
          [this](int column) { ListView1ColumnClick(column); });
  connect(ListView1, &QTreeWidget::itemDoubleClicked, this,
          [this] { RunGuarded(Dialogs_, this, [this] { ListView1DblClick(); }); });
}

void TRegEditorForm::SetFirstColCaption(const QString& caption) {
  FirstColCaption_ = caption;
  ListView1->headerItem()->setText(0, caption);
}

void TRegEditorForm::SetSecondColCaption(const QString& caption) {
  SecondColCaption_ = caption;
  ListView1->headerItem()->setText(1, caption);
}

void TRegEditorForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!event->spontaneous()) RunGuarded(Dialogs_, this, [this] { FormShow(); });
}

bool TRegEditorForm::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) FormActivate();
  return QDialog::event(event);
}

void TRegEditorForm::FormShow() {
  setWindowTitle(Title_);
  FillList();
  ListView1->setColumnWidth(0, FirstColWidth_);
  ListView1->setColumnWidth(1, SecondColWidth_);
}

void TRegEditorForm::FormActivate() {
  QString status = RootKeyAsString_ + u'\\' + Key_;
  // Without a registry file the list is empty; say where we looked, so the user sees why.
  if (Store_.Hive(RootKey_) == nullptr) {
    status += QStringLiteral("  (no registry: %1 was not found)")
                  .arg(QString::fromStdString(Store_.Describe(RootKey_)));
  }
  StatusBar1->showMessage(status);
}

void TRegEditorForm::FillList() {
  const TRegFill fill = FillRows(Store_, RootKey_, KeyBytes(), ValueType_);
  if (fill.Replaced) ShowRows(fill.Rows);
  if (!fill.Error.empty()) throw platform::TRegistryError(fill.Error);
}

void TRegEditorForm::ShowRows(const std::vector<TRegRow>& rows) {
  ListView1->setUpdatesEnabled(false);
  ListView1->clear();
  const QIcon pictures[] = {CommandIcon(QStringLiteral("text-x-generic")),
                            CommandIcon(QStringLiteral("folder"))};
  for (const TRegRow& row : rows) {
    auto* item = new TRowItem(ListView1);
    const QString caption = QString::fromStdString(row.Caption);
    const QString text = QString::fromStdString(row.Text);
    item->setText(0, caption);
    item->setText(1, text);
    item->setData(0, kCaptionRole, caption);
    item->setData(0, kTextRole, text);
    item->setIcon(0, pictures[row.Picture == 1 ? 1 : 0]);
  }
  ListView1->setUpdatesEnabled(true);
}

void TRegEditorForm::ListView1ColumnClick(int column) {
  ClickColumn(RegEditorSortState(), column);
  ListView1->sortItems(column, Qt::AscendingOrder);
}

std::vector<TRegRow> TRegEditorForm::SelectedRows() const {
  std::vector<TRegRow> rows;
  for (int i = 0; i < ListView1->topLevelItemCount(); ++i) {
    const QTreeWidgetItem* item = ListView1->topLevelItem(i);
    if (item->isSelected()) rows.push_back(RowOf(*item));
  }
  return rows;
}

void TRegEditorForm::SetCommandsEnabled(bool enabled) {
  for (QWidget* widget : {static_cast<QWidget*>(ToolBar1), static_cast<QWidget*>(ListView1)}) {
    widget->setEnabled(enabled);
  }
  actDelKey->setEnabled(enabled);
}

void TRegEditorForm::ListView1DblClick() {
  const std::vector<TRegRow> selected = SelectedRows();
  if (selected.size() != 1) return;
  SetCommandsEnabled(false);
  const int result = RunAndWait(QString::fromStdString(selected.front().Text), 1);
  SetCommandsEnabled(true);
  if (result == -1) {
    Dialogs_.ShowWarning(this, QStringLiteral("Could not execute Program"));
  } else {
    FillList();
  }
}

bool TRegEditorForm::AskBeforeDeleting(const char* question) {
  return Dialogs_.Ask(this, TQuestionKind::Warning, QString::fromUtf8(question),
                      TAnswerButtons::NoOk);
}

void TRegEditorForm::actDelKeyExecute() {
  Dialogs_.SetParentWindow(this);
  const std::vector<TRegRow> selected = SelectedRows();
  const std::string key = KeyBytes();
  switch (ValueType_) {
    case TValueType::vtValueList: {
      if (!AskBeforeDeleting(kValueQuestion)) return;
      std::vector<std::string> names;
      names.reserve(selected.size());
      for (const TRegRow& row : selected) names.push_back(row.Caption);
      DeleteValuesInBackground(key, std::move(names));
      return;
    }
    case TValueType::vtFolderList:
      if (!AskBeforeDeleting(kValueQuestion) || selected.empty()) return;
      DeleteKeyIfPresent(Store_, RootKey_,
                         key + "\\" + selected.front().Caption + "\\" + selected.front().Text,
                         Dialogs_);
      break;
    case TValueType::vtKeyList:
      if (!AskBeforeDeleting(kUninstallQuestion) || selected.empty()) return;
      DeleteKeyIfPresent(Store_, RootKey_, key + "\\" + selected.front().Caption, Dialogs_);
      break;
  }
  FillList();
}

// A hive of megabytes is parsed and written on a worker; the list's commands wait for it.
void TRegEditorForm::DeleteValuesInBackground(const std::string& key,
                                              std::vector<std::string> names) {
  SetCommandsEnabled(false);
  Jobs_->Start(
      [store = &Store_, root = RootKey_, key, names = std::move(names)](TJob&) {
        DeleteSelectedValues(*store, root, key, names);
        return true;
      },
      [this](bool) {
        SetCommandsEnabled(true);
        FillList();
      });
}

void TRegEditorForm::ToolButton1Click() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const std::string fileName =
      WriteRegBackup(Store_, RootKey_, KeyBytes(), BackupFileName(BackupPath_, local));
  if (!fileName.empty()) {
    Dialogs_.ShowMessage(this, QString::fromStdString(BackupNote(KeyBytes())));
  }
}

void TRegEditorForm::ToolButton2Click() {
  const std::string fileName =
      Dialogs_.ChooseOpenFile(this, QStringLiteral("*.reg"), platform::FolderOf(BackupPath_));
  if (fileName.empty()) return;
  const QString shown = QString::fromStdString(platform::ShownPath(fileName));
  if (!Dialogs_.Ask(this, TQuestionKind::Confirmation,
                    QString::fromStdString(ImportQuestion(shown.toStdString())),
                    TAnswerButtons::YesNo)) {
    return;
  }
  std::string bytes;
  if (!platform::ReadWholeFile(fileName, bytes)) {
    Dialogs_.ShowError(this, QString::fromStdString(
                                 ImportErrorNote(shown.toStdString(), "the file cannot be read.")));
    return;
  }
  const TRegImportResult result = ImportRegText(Store_, bytes);
  if (result.Error.empty()) {
    Dialogs_.ShowMessage(this, QString::fromStdString(ImportSuccessNote(shown.toStdString())));
  } else {
    Dialogs_.ShowError(this,
                       QString::fromStdString(ImportErrorNote(shown.toStdString(), result.Error)));
  }
  // Our import has finished by now, unlike a hand-over to another program: show its result.
  FillList();
}

TRegEditorForm* CreateListEditor(TRegList list, platform::IRegistryStore& store,
                                 IUserDialogs& dialogs, const std::string& backupFolder,
                                 QWidget* parent) {
  const TListSpec& spec = kLists[static_cast<int>(list)];
  auto* editor = new TRegEditorForm(store, dialogs, parent);
  editor->SetTitle(QString::fromUtf8(spec.Title));
  editor->SetFirstColCaption(QString::fromUtf8(spec.FirstColCaption));
  editor->SetSecondColCaption(QString::fromUtf8(spec.SecondColCaption));
  editor->SetRootKey(spec.Root);
  editor->SetRootKeyAsString(QString::fromStdString(platform::RootKeyName(spec.Root)));
  editor->SetKey(QString::fromUtf8(spec.Key));
  editor->SetValueType(TValueType::vtValueList);
  editor->SetFirstColWidth(100);
  editor->SetSecondColWidth(600);
  editor->SetBackupPath(backupFolder + spec.BackupName);
  return editor;
}

}  // namespace nubrix::registry

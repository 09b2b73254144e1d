#include "cleaners/pages/CleanerPages.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "cleaners/IE_Cache_Hist.h"
#include "cleaners/models/LargestFilesModels.h"
#include "platform/Mounts.h"
#include "platform/Paths.h"
#include "platform/ShellOpen.h"
#include "registry/RegEditorU.h"
#include "ui/Commands.h"
#include "ui/JobRunner.h"
#include "ui/PageHost.h"
#include "ui/ToolBars.h"
#include "ui/UserDialogs.h"

namespace nubrix {

namespace {

constexpr TCommandSpec kTracesCommands[] = {
    {"actClearIECache", "Delete IE cache", "", "Delete internet explorer cache", "", 0, false, true,
     "user-trash-full"},
    {"actClearURL", "Clean last used URLs", "", "Clean up last used URLs of internet explorer", "",
     0, false, true, "edit-clear"},
    {"actClearDocs", "Clear document history", "", "", "", 0, false, true, "document-open-recent"},
    {"actClearMedia", "Clear media player history", "", "Clear media player history", "", 0, false,
     true, "media-playlist-repeat"},
    {"actRecycleBin", "Empty recycle bin", "", "Empty recycle bin", "", 0, false, true,
     "user-trash"},
    {"actDefrag2", "Windows defrag", "", "", "", 0, false, true, "drive-harddisk"},
    {"actHDCleanup", "Windows HD cleanup", "", "Start windows hard disk clean up", "", 0, false,
     true, "edit-clear-all"},
    {"actUninstall", "Open uninstall service", "", "Open uninstall service", "", 0, false, true,
     "system-software-install"},
    {"actEditURLHistory", "Edit URL History", "", "Edit the typed addresses in the registry", "", 0,
     false, true, "document-edit"},
    {"actEditAutoStart", "Edit Auto Start List", "", "Edit the programs started with Windows", "",
     0, false, true, "document-edit"},
    {"actEditMediaHistory", "Edit Media Player History", "",
     "Edit the media player's recent files in the registry", "", 0, false, true, "document-edit"},
};

QGroupBox* AddGroup(QHBoxLayout* row, const QString& caption) {
  auto* box = new QGroupBox(caption);
  row->addWidget(box, 1);
  return box;
}

QString Count(int count, const char* one, const char* many) {
  return QStringLiteral("%1 %2").arg(count).arg(QString::fromUtf8(count == 1 ? one : many));
}

QString FirstOf(const std::vector<std::string>& texts) {
  return texts.empty() ? QString() : QString::fromStdString(texts.front());
}

// The trace a command clears, as the summary names it; null for the system's tools.
const char* TraceOf(std::string_view command) {
  static const std::pair<std::string_view, const char*> kTraces[] = {
      {"actClearIECache", "cache"},       {"actCleanIEHistory", "history"},
      {"actClearURL", "typed-addresses"}, {"actClearDocs", "recent-documents"},
      {"actClearMedia", "media-history"}, {"actRecycleBin", "trash"}};
  for (const auto& [name, trace] : kTraces) {
    if (name == command) return trace;
  }
  return nullptr;
}

}  // namespace

std::span<const TCommandSpec> TTracesPage::Commands() { return kTracesCommands; }

TTracesPage::TTracesPage(TCommands& commands, IPageHost& host, QWidget* parent)
    : QWidget(parent), Commands_(commands), Host_(host), Jobs_(new TJobRunner(this)) {
  commands.Register(Commands());
  commands.Find("actUninstall")->setVisible(false);
  auto* column = new QVBoxLayout(this);
  auto* row = new QHBoxLayout;
  column->addLayout(row, 3);
  BuildTracesGroup(row, commands);
  auto* editRow = new QHBoxLayout;
  column->addLayout(editRow, 1);
  BuildEditGroup(editRow, commands);
  ConnectCommands(commands);
  connect(Jobs_, &TJobRunner::Idle, this, [this] {
    Clearing_ = 0;  // a clearing dropped by Escape behind another job never reports
    Busy_.reset();
    UpdateActions();
  });
  connect(Jobs_, &TJobRunner::Failed, this, [this](const QString& message) {
    Busy_.reset();
    Clearing_ = 0;
    Host_.ShowStatus(QString());
    Host_.Dialogs().ShowError(this, message);
    RefreshPreview();
  });
}

// A job may still be reading the registry store, which goes with the page's members, before
// the runner (a child object) would wait for it.
TTracesPage::~TTracesPage() { Jobs_->CancelAndWait(); }

void TTracesPage::BuildTracesGroup(QHBoxLayout* row, TCommands& commands) {
  QGroupBox* box =
      AddGroup(row, QStringLiteral("Clean up internet traces and start windows services "));
  box->setObjectName(QStringLiteral("GroupBox5"));
  auto* grid = new QGridLayout(box);
  const char* cells[3][3] = {{"actClearIECache", "actCleanIEHistory", "actClearDocs"},
                             {"actClearMedia", "actClearURL", "actDefrag2"},
                             {"actUninstall", "actRecycleBin", "actHDCleanup"}};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      QAction* action = commands.Find(cells[r][c]);
      auto* cell = new QVBoxLayout;
      cell->setSpacing(0);
      auto* button = new QToolButton;
      button->setDefaultAction(action);
      button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
      button->setIconSize(QSize(32, 32));
      button->setAutoRaise(true);
      if (std::string_view(cells[r][c]) == "actClearURL") {
        KeepButtonTexts(button, action, QStringLiteral("Clean typed URLs"), {});
      }
      // A hidden command's place in the grid stays empty.
      QSizePolicy policy = button->sizePolicy();
      policy.setRetainSizeWhenHidden(true);
      button->setSizePolicy(policy);
      button->setVisible(action->isVisible());
      button->setFixedSize(115, 99);
      button->setObjectName(QStringLiteral("Button_") + QString::fromUtf8(cells[r][c]));
      // A command made visible later (actUninstall) shows its button then.
      connect(action, &QAction::changed, button,
              [button, action] { button->setVisible(action->isVisible()); });
      cell->addWidget(button, 0, Qt::AlignHCenter);
      if (const char* trace = TraceOf(cells[r][c])) {
        auto* preview = new QLabel;
        preview->setObjectName(QStringLiteral("Preview_") + QString::fromUtf8(cells[r][c]));
        preview->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        preview->setWordWrap(true);
        QFont small = preview->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        preview->setFont(small);
        Previews_[trace] = preview;
        cell->addWidget(preview);
      }
      cell->addStretch(1);
      grid->addLayout(cell, r, c);
    }
  }
  BuildFolderButtons(grid);
}

// The browser's own folders, small, under the grid.
void TTracesPage::BuildFolderButtons(QGridLayout* grid) {
  auto* row = new QHBoxLayout;
  const std::pair<const char*, void (TTracesPage::*)()> folders[] = {
      {"Cookies", &TTracesPage::SpeedButton21Click},
      {"History", &TTracesPage::SpeedButton22Click},
      {"Favourites", &TTracesPage::SpeedButton23Click},
      {"Cache", &TTracesPage::SpeedButton24Click}};
  row->addStretch(1);
  for (const auto& [caption, handler] : folders) {
    auto* button = new QToolButton;
    button->setText(QString::fromUtf8(caption));
    button->setObjectName(QStringLiteral("Folder") + QString::fromUtf8(caption));
    button->setToolTip(
        QStringLiteral("Open the browser's %1 folder").arg(QString::fromUtf8(caption).toLower()));
    button->setAutoRaise(true);
    connect(button, &QToolButton::clicked, this, [this, handler = handler] {
      Host_.RunCommand([this, handler] { (this->*handler)(); });
    });
    row->addWidget(button);
  }
  row->addStretch(1);
  grid->addLayout(row, 3, 0, 1, 3);
}

void TTracesPage::ConnectCommands(TCommands& commands) {
  const std::pair<const char*, void (TTracesPage::*)()> handlers[] = {
      {"actClearIECache", &TTracesPage::actClearIECacheExecute},
      {"actCleanIEHistory", &TTracesPage::actCleanIEHistoryExecute},
      {"actClearDocs", &TTracesPage::actClearDocsExecute},
      {"actClearMedia", &TTracesPage::actClearMediaExecute},
      {"actClearURL", &TTracesPage::actClearURLExecute},
      {"actRecycleBin", &TTracesPage::actRecycleBinExecute},
      {"actDefrag2", &TTracesPage::actDefrag2Execute},
      {"actHDCleanup", &TTracesPage::actHDCleanupExecute},
      {"actUninstall", &TTracesPage::actUninstallExecute}};
  for (const auto& [name, handler] : handlers) {
    connect(commands.Find(name), &QAction::triggered, this, [this, handler = handler] {
      Host_.RunCommand([this, handler] { (this->*handler)(); });
    });
  }
}

// The registry lists the traces come from, each in its editor.
void TTracesPage::BuildEditGroup(QHBoxLayout* row, TCommands& commands) {
  QGroupBox* box = AddGroup(row, QStringLiteral("Edit lists"));
  auto* buttons = new QHBoxLayout(box);
  const std::pair<const char*, void (TTracesPage::*)()> openers[] = {
      {"actEditURLHistory", &TTracesPage::SpeedButton7Click},
      {"actEditAutoStart", &TTracesPage::SpeedButton25Click},
      {"actEditMediaHistory", &TTracesPage::SpeedButton8Click}};
  for (const auto& [name, opener] : openers) {
    QAction* action = commands.Find(name);
    connect(action, &QAction::triggered, this,
            [this, opener = opener] { Host_.RunCommand([this, opener] { (this->*opener)(); }); });
    auto* button = new QToolButton;
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setIconSize(QSize(22, 22));
    button->setAutoRaise(true);
    buttons->addWidget(button);
  }
  buttons->addStretch(1);
}

// A job may be reading the store or the places being replaced: it ends first.
void TTracesPage::SetRegistry(std::unique_ptr<platform::IRegistryStore> registry) {
  Jobs_->CancelAndWait();
  Registry_ = std::move(registry);
  if (isVisible()) RefreshPreview();
}

void TTracesPage::SetEnvironment(TTraceEnvironment environment) {
  Jobs_->CancelAndWait();
  Environment_ = std::move(environment);
  if (isVisible()) RefreshPreview();
}

platform::IRegistryStore& TTracesPage::Registry() {
  if (!Registry_) {
    Registry_ = std::make_unique<platform::TWineRegistry>(platform::TWineRegistry::DefaultPrefix());
  }
  return *Registry_;
}

void TTracesPage::SpeedButton7Click() { OpenListEditor(registry::TRegList::TypedUrls); }
void TTracesPage::SpeedButton25Click() { OpenListEditor(registry::TRegList::AutoStart); }
void TTracesPage::SpeedButton8Click() { OpenListEditor(registry::TRegList::MediaHistory); }

void TTracesPage::OpenListEditor(registry::TRegList list) {
  std::unique_ptr<registry::TRegEditorForm> editor(registry::CreateListEditor(
      list, Registry(), Host_.Dialogs(), Host_.AppDataFolder(), window()));
  editor->exec();
}

bool TTracesPage::Busy() const { return Clearing_ > 0; }

// What each command would clear, read on the page's runner behind any clearing, so it never
// reads a store a clearing is changing.
void TTracesPage::RefreshPreview() {
  Registry();
  Jobs_->Start([this, environment =
                          Environment_](TJob&) { return SummarizeTraces(environment, Registry()); },
               [this](const std::vector<std::pair<std::string, std::string>>& summary) {
                 for (const auto& [trace, text] : summary) {
                   if (const auto found = Previews_.find(trace); found != Previews_.end())
                     found->second->setText(QString::fromStdString(platform::ShownPath(text)));
                 }
               });
  UpdateActions();
}

void TTracesPage::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  RefreshPreview();
}

void TTracesPage::CancelJob() { Jobs_->Cancel(); }

void TTracesPage::UpdateActions() {
  // The list editors share the registry store with the jobs: they wait for every job, the
  // preview's too; the clearings queue behind a preview.
  for (const TCommandSpec& spec : Commands()) {
    const bool editor = std::string_view(spec.Name).starts_with("actEdit");
    Commands_.Find(spec.Name)->setEnabled(editor ? !Jobs_->Running() : !Busy());
  }
  Commands_.Find("actCleanIEHistory")->setEnabled(!Busy());
}

void TTracesPage::StartClearing(const QString& status,
                                std::function<QString(const std::atomic<bool>&)> work) {
  if (Busy()) return;
  Busy_.emplace();
  ++Clearing_;
  Host_.ShowStatus(status);
  Jobs_->Start([work = std::move(work)](TJob& job) { return work(job.CancelFlag()); },
               [this](const QString& done) {
                 Busy_.reset();
                 Clearing_ = 0;
                 Host_.ShowStatus(done);
                 Host_.StartStatusReset();
                 RefreshPreview();
               });
  UpdateActions();
}

void TTracesPage::actClearIECacheExecute() {
  StartClearing(QStringLiteral("Deleting the browsers' caches ..."),
                [homes = Environment_.Homes](const std::atomic<bool>& cancel) {
                  TIEStuff stuff(platform::FindBrowserProfiles(homes));
                  const TCacheResult result = stuff.ClearCache(&cancel);
                  QString text =
                      Count(result.Removed, "cache entry removed", "cache entries removed");
                  if (!result.Skipped.empty())
                    text += QStringLiteral("; skipped: ") + FirstOf(result.Skipped);
                  if (!result.Failures.empty()) {
                    text += QStringLiteral("; %1 stayed: %2")
                                .arg(result.Failures.size())
                                .arg(FirstOf(result.Failures));
                  }
                  return text;
                });
}

void TTracesPage::actCleanIEHistoryExecute() {
  StartClearing(QStringLiteral("Clearing the browsers' history ..."),
                [homes = Environment_.Homes](const std::atomic<bool>&) {
                  TIEStuff stuff(platform::FindBrowserProfiles(homes));
                  stuff.ClearHistory();
                  return Count(static_cast<int>(stuff.Profiles().size()), "browser profile cleared",
                               "browser profiles cleared");
                });
}

void TTracesPage::actClearDocsExecute() {
  StartClearing(QStringLiteral("Clearing the recent documents ..."),
                [environment = Environment_](const std::atomic<bool>&) {
                  const TRecentResult result =
                      ClearRecentDocuments(environment.DataHome, environment.KdeRecent);
                  return Count(result.Entries + result.KdeRemoved, "recent document removed",
                               "recent documents removed");
                });
}

int TTracesPage::ClearMediaHistory() {
  return ClearKeyValues(Registry(), platform::kHkeyCurrentUser, kMediaHistoryKey);
}

int TTracesPage::ClearTypedURLs() {
  return ClearKeyValues(Registry(), platform::kHkeyCurrentUser, kTypedUrlsKey);
}

// The registry's part runs on the worker too: a large hive takes a while to parse and write. The
// page's other commands, the list editors among them, wait while it runs, and the store is made
// here, on the window's thread, before the worker uses it.
void TTracesPage::actClearMediaExecute() {
  Registry();
  StartClearing(QStringLiteral("Clearing the media players' history ..."),
                [this, file = Environment_.VlcConfig](const std::atomic<bool>&) {
                  TTraceParts parts;
                  parts.Run([&] {
                    return Count(ClearMediaHistory(), "registry value removed",
                                 "registry values removed")
                        .toStdString();
                  });
                  parts.Run([&] {
                    return Count(ClearVlcRecent(file), "recent media file removed",
                                 "recent media files removed")
                        .toStdString();
                  });
                  return QString::fromStdString(parts.Report());
                });
}

void TTracesPage::actClearURLExecute() {
  Registry();
  StartClearing(QStringLiteral("Clearing the typed addresses ..."),
                [this, homes = Environment_.Homes](const std::atomic<bool>&) {
                  TTraceParts parts;
                  parts.Run([&] {
                    return Count(ClearTypedURLs(), "registry value removed",
                                 "registry values removed")
                        .toStdString();
                  });
                  parts.Run([&] {
                    TIEStuff(platform::FindBrowserProfiles(homes)).ClearTypedAddresses();
                    return std::string("typed addresses of the browsers cleared");
                  });
                  return QString::fromStdString(parts.Report());
                });
}

// Emptying deletes for good, and with it what undo would bring back: counted on a worker first,
// then asked, No being the default.
void TTracesPage::actRecycleBinExecute() {
  if (Busy()) return;
  Busy_.emplace();
  ++Clearing_;
  Host_.ShowStatus(QStringLiteral("Counting the items in the trash ..."));
  Jobs_->Start(
      [environment = Environment_](TJob&) { return PreviewTrash(environment.TrashPaths()); },
      [this](const TTrashPreview& preview) {
        Busy_.reset();
        Clearing_ = 0;
        UpdateActions();
        if (preview.Items == 0) {
          Host_.ShowStatus(QStringLiteral("The trash is empty."));
          Host_.StartStatusReset();
          return;
        }
        const QString question =
            QStringLiteral("Delete %1 (%2) in the trash for good? Undo cannot bring them back.")
                .arg(Count(preview.Items, "item", "items"),
                     MegabytesText(static_cast<std::uint64_t>(preview.Bytes)));
        if (!Host_.Dialogs().Ask(this, TQuestionKind::Warning, question, TAnswerButtons::YesNo)) {
          Host_.ShowStatus(QStringLiteral("The trash was left as it is."));
          Host_.StartStatusReset();
          return;
        }
        EmptyTheTrash();
      });
  UpdateActions();
}

void TTracesPage::EmptyTheTrash() {
  StartClearing(QStringLiteral("Emptying the trash ..."),
                [environment = Environment_](const std::atomic<bool>&) {
                  const platform::TEmptyResult result = environment.EmptyTrash();
                  QString text = Count(result.Removed, "item removed from the trash",
                                       "items removed from the trash");
                  if (!result.Failures.empty()) {
                    text += QStringLiteral("; %1 stayed: %2")
                                .arg(result.Failures.size())
                                .arg(FirstOf(result.Failures));
                  }
                  return text;
                });
}

// The file system of the folder chosen for the next scan (else the home folder) is the one
// defragmented.
void TTracesPage::actDefrag2Execute() {
  std::string folder = Host_.SelectedFolder();
  if (folder.empty()) folder = Environment_.Homes.Home;
  const std::optional<platform::TMountEntry> mount = platform::MountOfPath(folder);
  if (!mount) return;
  // The tool runs as root for a long while: the user knows which disk and which tool first.
  const std::string question = DefragQuestion(mount->MountPoint, mount->FsType);
  if (question.empty() ||
      !Host_.Dialogs().Ask(this, TQuestionKind::Confirmation,
                           QString::fromStdString(platform::ShownPath(question)),
                           TAnswerButtons::YesNo)) {
    return;
  }
  StartDefragmenter(mount->MountPoint, mount->FsType);
}

void TTracesPage::actHDCleanupExecute() { StartDiskCleanup(); }

void TTracesPage::actUninstallExecute() { OpenUninstallService(); }

// 0 cookies, 1 history, 2 favourites, 3 cache of the default Firefox profile; nothing without one.
void TTracesPage::OpenProfileFolder(int which) {
  const TBusyCursor busy;
  const std::vector<platform::TBrowserProfile> profiles =
      platform::FindBrowserProfiles(Environment_.Homes);
  const platform::TBrowserProfile* chosen = nullptr;
  for (const platform::TBrowserProfile& profile : profiles) {
    if (profile.Kind != platform::TBrowserKind::Firefox) continue;
    if (chosen == nullptr || profile.IsDefault) chosen = &profile;
  }
  if (chosen == nullptr) return;
  const std::string folder = which == 3   ? chosen->CacheFolders.front()
                             : which == 2 ? platform::JoinPath(chosen->Folder, "bookmarkbackups")
                                          : chosen->Folder;
  platform::OpenWithDesktop(platform::IsFolder(folder) ? folder : chosen->Folder);
}

void TTracesPage::SpeedButton21Click() { OpenProfileFolder(0); }
void TTracesPage::SpeedButton22Click() { OpenProfileFolder(1); }
void TTracesPage::SpeedButton23Click() { OpenProfileFolder(2); }
void TTracesPage::SpeedButton24Click() { OpenProfileFolder(3); }

}  // namespace nubrix

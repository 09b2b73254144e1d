#include "cleaners/pages/CleanerPages.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/Commands.h"
#include "app/JobRunner.h"
#include "app/PageHost.h"
#include "app/ToolBars.h"
#include "app/UserDialogs.h"
#include "cleaners/IE_Cache_Hist.h"
#include "platform/Mounts.h"
#include "platform/Paths.h"
#include "platform/ShellOpen.h"
#include "registry/RegEditorU.h"

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
  connect(Jobs_, &TJobRunner::Idle, this, &TTracesPage::UpdateActions);
  connect(Jobs_, &TJobRunner::Failed, this, [this](const QString& message) {
    Busy_.reset();
    Host_.ShowStatus(QString());
    Host_.Dialogs().ShowError(this, message);
  });
}

TTracesPage::~TTracesPage() = default;

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
      grid->addWidget(button, r, c);
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

void TTracesPage::SetRegistry(std::unique_ptr<platform::IRegistryStore> registry) {
  Registry_ = std::move(registry);
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

bool TTracesPage::Busy() const { return Jobs_->Running(); }

void TTracesPage::CancelJob() { Jobs_->Cancel(); }

void TTracesPage::UpdateActions() {
  for (const TCommandSpec& spec : Commands()) Commands_.Find(spec.Name)->setEnabled(!Busy());
  Commands_.Find("actCleanIEHistory")->setEnabled(!Busy());
}

void TTracesPage::StartClearing(const QString& status,
                                std::function<QString(const std::atomic<bool>&)> work) {
  if (Busy()) return;
  Busy_.emplace();
  Host_.ShowStatus(status);
  Jobs_->Start([work = std::move(work)](TJob& job) { return work(job.CancelFlag()); },
               [this](const QString& done) {
                 Busy_.reset();
                 Host_.ShowStatus(done);
                 Host_.StartStatusReset();
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

void TTracesPage::ClearMediaHistory() {
  ClearKeyValues(Registry(), platform::kHkeyCurrentUser, kMediaHistoryKey);
}

void TTracesPage::ClearTypedURLs() {
  ClearKeyValues(Registry(), platform::kHkeyCurrentUser, kTypedUrlsKey);
}

void TTracesPage::actClearMediaExecute() {
  {
    const TBusyCursor busy;
    ClearMediaHistory();
  }
  StartClearing(QStringLiteral("Clearing the media players' history ..."),
                [file = Environment_.VlcConfig](const std::atomic<bool>&) {
                  return Count(ClearVlcRecent(file), "recent media file removed",
                               "recent media files removed");
                });
}

void TTracesPage::actClearURLExecute() {
  {
    const TBusyCursor busy;
    ClearTypedURLs();
  }
  StartClearing(QStringLiteral("Clearing the typed addresses ..."),
                [homes = Environment_.Homes](const std::atomic<bool>&) {
                  TIEStuff(platform::FindBrowserProfiles(homes)).ClearTypedAddresses();
                  return QStringLiteral("Typed addresses cleared");
                });
}

void TTracesPage::actRecycleBinExecute() {
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
  if (mount) StartDefragmenter(mount->MountPoint, mount->FsType);
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

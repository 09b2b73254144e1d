// The cleaner pages whose work has not landed yet. Each owns its controls and registers its own
// commands; until their work lands they show their group boxes and their commands stay disabled.
#pragma once

#include <QWidget>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>

#include "cleaners/TraceCleaning.h"
#include "platform/RegistryStore.h"
#include "ui/CommandGuard.h"
#include "ui/CommandTable.h"

class QGridLayout;
class QLabel;
class QHBoxLayout;

namespace nubrix {

class IPageHost;
class TCommands;
class TJobRunner;
namespace registry {
enum class TRegList;
}

// Browser traces, recent documents, media history, the trash and the system's tools. Clearing
// files and databases runs as a job (one at a time, the commands disabled meanwhile); the
// registry's values are cleared on the spot.
class TTracesPage : public QWidget {
  Q_OBJECT

 public:
  static std::span<const TCommandSpec> Commands();
  TTracesPage(TCommands& commands, IPageHost& host, QWidget* parent = nullptr);
  ~TTracesPage() override;

  // The registry the list editors work on: the user's Wine prefix unless one is given.
  void SetRegistry(std::unique_ptr<platform::IRegistryStore> registry);
  platform::IRegistryStore& Registry();

  // Where the traces lie: the user's own unless a test gives others.
  void SetEnvironment(TTraceEnvironment environment);

  // The openers of the three registry list editors.
  void SpeedButton7Click();
  void SpeedButton25Click();
  void SpeedButton8Click();

  // The commands.
  void actClearIECacheExecute();
  void actCleanIEHistoryExecute();
  void actClearDocsExecute();
  void actClearMediaExecute();
  void actClearURLExecute();
  void actRecycleBinExecute();
  void EmptyTheTrash();
  void actDefrag2Execute();
  void actHDCleanupExecute();
  void actUninstallExecute();
  // The default Firefox profile's cookies, history, favourites and cache folders.
  void SpeedButton21Click();
  void SpeedButton22Click();
  void SpeedButton23Click();
  void SpeedButton24Click();

  // Each clears one registry key's values (run on the page's worker); the number cleared.
  int ClearTypedURLs();
  int ClearMediaHistory();
  bool Busy() const;
  void CancelJob();
  void UpdateActions();
  // Reads again, behind any clearing, what each command would clear, and shows it under it.
  void RefreshPreview();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void BuildFolderButtons(QGridLayout* grid);
  void ConnectCommands(TCommands& commands);
  // Runs work as a job with the busy cursor; done receives its result text for the status bar.
  void StartClearing(const QString& status, std::function<QString(const std::atomic<bool>&)> work);
  void OpenProfileFolder(int which);
  void BuildTracesGroup(QHBoxLayout* row, TCommands& commands);
  void BuildEditGroup(QHBoxLayout* row, TCommands& commands);
  void OpenListEditor(registry::TRegList list);

  TCommands& Commands_;
  IPageHost& Host_;
  std::unique_ptr<platform::IRegistryStore> Registry_;
  TTraceEnvironment Environment_ = TTraceEnvironment::OfUser();
  TJobRunner* Jobs_;
  std::optional<TBusyCursor> Busy_;
  int Clearing_ = 0;                         // clearings started and not reported yet
  std::map<std::string, QLabel*> Previews_;  // under the commands, by the trace they clear
};

}  // namespace nubrix

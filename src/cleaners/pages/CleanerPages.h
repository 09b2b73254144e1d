// The cleaner pages whose work has not landed yet. Each owns its controls and registers its own
// commands; until their work lands they show their group boxes and their commands stay disabled.
#pragma once

#include <QWidget>
#include <memory>
#include <span>

#include "app/CommandTable.h"
#include "platform/RegistryStore.h"

class QHBoxLayout;

namespace nubrix {

class IPageHost;
class TCommands;
namespace registry {
enum class TRegList;
}

// Browser traces, recent documents, media history, the trash and the system's tools.
class TTracesPage : public QWidget {
  Q_OBJECT

 public:
  static std::span<const TCommandSpec> Commands();
  TTracesPage(TCommands& commands, IPageHost& host, QWidget* parent = nullptr);
  ~TTracesPage() override;

  // The registry the list editors work on: the user's Wine prefix unless one is given.
  void SetRegistry(std::unique_ptr<platform::IRegistryStore> registry);
  platform::IRegistryStore& Registry();

  // The openers of the three registry list editors.
  void SpeedButton7Click();
  void SpeedButton25Click();
  void SpeedButton8Click();

 private:
  void BuildTracesGroup(QHBoxLayout* row, TCommands& commands);
  void BuildEditGroup(QHBoxLayout* row, TCommands& commands);
  void OpenListEditor(registry::TRegList list);

  IPageHost& Host_;
  std::unique_ptr<platform::IRegistryStore> Registry_;
};

}  // namespace nubrix

// The cleaner pages whose work has not landed yet. Each owns its controls and registers its own
// commands; until their work lands they show their group boxes and their commands stay disabled.
#pragma once

#include <QWidget>
#include <span>

#include "app/CommandTable.h"

namespace nubrix {

class TCommands;

// Browser traces, recent documents, media history, the trash and the system's tools.
class TTracesPage : public QWidget {
  Q_OBJECT

 public:
  static std::span<const TCommandSpec> Commands();
  explicit TTracesPage(TCommands& commands, QWidget* parent = nullptr);
};

}  // namespace nubrix

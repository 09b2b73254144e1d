#include "ui/Commands.h"

#include <QAction>
#include <QWidget>

#include "ui/Icons.h"

namespace nubrix {

namespace {

QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QIcon IconFor(const TCommandSpec& spec) { return CommandIcon(Text(spec.Theme)); }

}  // namespace

TUnknownCommand::TUnknownCommand(std::string_view name)
    : std::logic_error("No command is named " + std::string(name)) {}

void TCommands::Register(std::span<const TCommandSpec> table) {
  for (const TCommandSpec& spec : table) {
    auto* action = new QAction(IconFor(spec), Text(spec.Caption), Owner_);
    action->setObjectName(Text(spec.Name));
    // No status tip: showing one would hide the status bar's panels.
    action->setToolTip(Text(spec.Hint));
    action->setProperty(kCommandHint, Text(spec.Hint));
    if (!spec.Shortcut.empty()) action->setShortcut(QKeySequence(Text(spec.Shortcut)));
    action->setCheckable(spec.Checkable);
    action->setEnabled(spec.Built);
    Owner_->addAction(action);
    if (!Entries_.emplace(std::string(spec.Name), TEntry{action, &spec}).second) {
      throw std::logic_error("The command " + std::string(spec.Name) + " is registered twice");
    }
  }
}

QAction* TCommands::Find(std::string_view name) const {
  const auto it = Entries_.find(name);
  if (it == Entries_.end()) throw TUnknownCommand(name);
  return it->second.Action;
}

const TCommandSpec& TCommands::Spec(std::string_view name) const {
  const auto it = Entries_.find(name);
  if (it == Entries_.end()) throw TUnknownCommand(name);
  return *it->second.Spec;
}

}  // namespace nubrix

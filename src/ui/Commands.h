// The QActions of the program, one per command row. The window registers its own table and each
// page registers the table of its commands; a handler finds its action by name, and a name that
// was never registered is a programming error raised at once, not a null pointer found later.
#pragma once

#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ui/CommandTable.h"

class QAction;
class QWidget;

namespace nubrix {

// The property of a command (and of a button with a hint of its own) that holds its hint as the
// command table gives it: empty means no hint, where Qt would show the caption instead.
inline constexpr const char* kCommandHint = "nubrixHint";

class TUnknownCommand : public std::logic_error {
 public:
  explicit TUnknownCommand(std::string_view name);
};

class TCommands {
 public:
  // The actions belong to owner (Qt parent) and are added to it, so their shortcuts work with
  // the menus hidden.
  explicit TCommands(QWidget* owner) : Owner_(owner) {}

  // One action per row: caption, hint, shortcut, check box, picture; enabled only when built.
  void Register(std::span<const TCommandSpec> table);
  QAction* Find(std::string_view name) const;
  // The table row a registered command was made from.
  const TCommandSpec& Spec(std::string_view name) const;

 private:
  struct TEntry {
    QAction* Action;
    const TCommandSpec* Spec;
  };
  QWidget* Owner_;
  std::map<std::string, TEntry, std::less<>> Entries_;
};

}  // namespace nubrix

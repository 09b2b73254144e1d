// Every command of the main window as data: caption, shortcut, hint and where the menus offer
// it. The window builds its QActions and menus from this table, in this order.
#pragma once

#include <span>
#include <string_view>

namespace nubrix {

struct TCommandSpec {
  std::string_view Name;     // "actRun"
  std::string_view Caption;  // "&Scan"; an ampersand marks the access key
  std::string_view Shortcut; // QKeySequence text, "" for none
  std::string_view Hint;     // "" for none
  std::string_view Menu;     // "&File", or "" when no menu offers it
  int SeparatorsBefore = 0;  // separators in the menu above the item
  bool Checkable = false;
};

inline constexpr std::string_view kMenus[] = {"&File", "&View", "&Chart view", "F&unctions", "&Help"};

std::span<const TCommandSpec> CommandTable();
const TCommandSpec* FindCommand(std::string_view name);

}  // namespace nubrix

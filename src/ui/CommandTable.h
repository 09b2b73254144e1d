// The commands as data: caption, shortcut, hint, where the menus offer it, whether it is built
// and its picture. The window's own commands are in CommandTable(), in menu order; each page
// brings a table of its own commands.
#pragma once

#include <span>
#include <string_view>

namespace nubrix {

struct TCommandSpec {
  std::string_view Name;      // "actRun"
  std::string_view Caption;   // "&Scan"; an ampersand marks the access key
  std::string_view Shortcut;  // QKeySequence text, "" for none
  std::string_view Hint;      // "" for none
  std::string_view Menu;      // "&File", or "" when no menu offers it
  int SeparatorsBefore = 0;   // separators in the menu above the item
  bool Checkable = false;
  bool Built = false;  // carried out now; the others stay disabled until their page lands
  // Its picture: a freedesktop icon name, taken from the desktop's theme when the theme has it,
  // else from our own set (which also holds our own "nubrix-..." names).
  std::string_view Theme;
};

inline constexpr std::string_view kMenus[] = {"&File", "&View", "&Chart view", "F&unctions",
                                              "&Help"};

std::span<const TCommandSpec> CommandTable();
const TCommandSpec* FindCommand(std::string_view name);

}  // namespace nubrix

#pragma once
// The desktop shortcuts a user can set, in display order: the setting id, the title, the desktop
// action code the compositor knows it by, and a line about what it does.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace settings::panes::keyboard_shortcuts {

struct ShortcutDefinition {
  std::string_view id;
  std::string_view title;
  std::uint8_t action = 0;
  std::string_view description;
};

std::vector<ShortcutDefinition> shortcut_definitions();
// (setting id, title) of each definition.
std::vector<std::pair<std::string, std::string>> shortcut_titles();

}  // namespace settings::panes::keyboard_shortcuts

#include "catalogues/shortcut_titles.h"

#include <array>
#include <string_view>

namespace settings::panes::keyboard_shortcuts {
namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 17> kShortcuts{{
    {"shortcuts.search", "Open search"},
    {"shortcuts.overview", "Workspace overview"},
    {"shortcuts.lock", "Lock the screen"},
    {"shortcuts.quick_settings", "Quick Settings"},
    {"shortcuts.help", "Desktop help"},
    {"shortcuts.focus_previous_window", "Focus previous window"},
    {"shortcuts.focus_next_window", "Focus next window"},
    {"shortcuts.previous_tab", "Previous tab"},
    {"shortcuts.next_tab", "Next tab"},
    {"shortcuts.previous_strip", "Previous strip"},
    {"shortcuts.next_strip", "Next strip"},
    {"shortcuts.previous_workspace", "Previous workspace"},
    {"shortcuts.next_workspace", "Next workspace"},
    {"shortcuts.move_group_left", "Move group left"},
    {"shortcuts.move_group_right", "Move group right"},
    {"shortcuts.resize_narrower", "Make window narrower"},
    {"shortcuts.resize_wider", "Make window wider"},
}};

}  // namespace

std::vector<std::pair<std::string, std::string>> shortcut_titles() {
  std::vector<std::pair<std::string, std::string>> titles;
  titles.reserve(kShortcuts.size());
  for (const auto& [id, title] : kShortcuts) titles.emplace_back(id, title);
  return titles;
}

}  // namespace settings::panes::keyboard_shortcuts

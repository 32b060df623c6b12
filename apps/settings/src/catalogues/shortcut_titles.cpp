#include "catalogues/shortcut_titles.h"

#include <array>

namespace settings::panes::keyboard_shortcuts {
namespace {

constexpr std::string_view kCycleTabs = "Cycle tabs in the focused window group";
constexpr std::string_view kReorderGroup = "Reorder the focused window group";

constexpr std::array<ShortcutDefinition, 17> kDefinitions{{
    {"shortcuts.search", "Open search", 0, "Search apps, documents, settings and actions"},
    {"shortcuts.overview", "Workspace overview", 1, "Show the infinite workspace map"},
    {"shortcuts.lock", "Lock the screen", 2, "Always handled before applications"},
    {"shortcuts.quick_settings", "Quick Settings", 3, "Open the shell control surface"},
    {"shortcuts.help", "Desktop help", 4,
     "F1 opens the desktop guide anywhere; Super+Shift+/ (Super+?) is the configurable shortcut for the same guide"},
    {"shortcuts.focus_previous_window", "Focus previous window", 5, "Move the viewport left along the current strip"},
    {"shortcuts.focus_next_window", "Focus next window", 6, "Move the viewport right along the current strip"},
    {"shortcuts.previous_tab", "Previous tab", 7, kCycleTabs},
    {"shortcuts.next_tab", "Next tab", 8, kCycleTabs},
    {"shortcuts.previous_strip", "Previous strip", 9, "Move the view to the strip above"},
    {"shortcuts.next_strip", "Next strip", 10, "Move the view to the strip below"},
    {"shortcuts.previous_workspace", "Previous workspace", 11, "Move the view to the workspace above"},
    {"shortcuts.next_workspace", "Next workspace", 12, "Move the view to the workspace below"},
    {"shortcuts.move_group_left", "Move group left", 17, kReorderGroup},
    {"shortcuts.move_group_right", "Move group right", 18, kReorderGroup},
    {"shortcuts.resize_narrower", "Make window narrower", 19, "Reduce the focused group's width"},
    {"shortcuts.resize_wider", "Make window wider", 20, "Increase the focused group's width"},
}};

}  // namespace

std::vector<ShortcutDefinition> shortcut_definitions() { return {kDefinitions.begin(), kDefinitions.end()}; }

std::vector<std::pair<std::string, std::string>> shortcut_titles() {
  std::vector<std::pair<std::string, std::string>> titles;
  titles.reserve(kDefinitions.size());
  for (const auto& definition : kDefinitions) titles.emplace_back(definition.id, definition.title);
  return titles;
}

}  // namespace settings::panes::keyboard_shortcuts

#pragma once
// The desktop shortcuts a user can set, as (setting id, title) in display order.
#include <string>
#include <utility>
#include <vector>

namespace settings::panes::keyboard_shortcuts {

std::vector<std::pair<std::string, std::string>> shortcut_titles();

}  // namespace settings::panes::keyboard_shortcuts

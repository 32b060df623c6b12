#pragma once
// The search field above the sidebar: a text input bound to the root's search text cell.
#include <memory>

#include "orvo_ui/published_cell.h"
#include "orvo_ui/widget.h"

namespace settings::settings_app {

// The field "settings.search" editing `text`; none while the toolkit has no text input.
std::unique_ptr<orvo_ui::Widget> make_search_field(const orvo_ui::PublishedCell<std::string>& text);

}  // namespace settings::settings_app

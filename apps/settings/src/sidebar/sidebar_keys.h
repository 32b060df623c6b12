#pragma once
// Keyboard movement through the sidebar and what a new sidebar keeps of the one it replaces.
// Interface thread only.
#include <optional>
#include <string>
#include <vector>

#include "orvo_ui/event.h"
#include "orvo_ui/widget.h"
#include "sidebar/sidebar_row.h"

namespace settings::sidebar {

// The rows of a sidebar view, top to bottom.
std::vector<const SidebarRow*> rows_of(const orvo_ui::Widget& nav);

// The row that has keyboard focus, if one does.
const SidebarRow* focused_row(const orvo_ui::Widget& nav);

// Where a pressed key moves focus from the focused row: Up and Down to the neighbouring row (group
// headings are not rows), Home and End to the first and last, Page Up and Page Down by as many rows
// as the sidebar shows. The answer is the id of the widget to focus; none when no row has focus, the
// key is not one of these or focus would not move.
std::optional<std::string> row_focus_step(const orvo_ui::Widget& nav, const orvo_ui::event::Key& key);

// Gives `fresh` (a new sidebar view) the scroll position of `old`, the one it replaces.
void carry_scroll(const orvo_ui::Widget& old, orvo_ui::Widget& fresh);

}  // namespace settings::sidebar

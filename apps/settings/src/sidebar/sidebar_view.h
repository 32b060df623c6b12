#pragma once
// The sidebar: the sections under their five group headings, or, while a search query is typed, one
// "Results" group of the sections that match it. The view keeps no state; the root builds a new one
// whenever the selection, the query or the layout scale changes.
#include <memory>
#include <string_view>

#include "sidebar/row_lists.h"

namespace settings::sidebar {

inline constexpr float kSidebarGroupGap = 24;
inline constexpr float kSidebarPadding = 4;
inline constexpr float kSidebarCrossGap = 8;
inline constexpr float kRowGap = 4;
inline constexpr float kHeadingGap = 8;
inline constexpr float kHeadingSize = 12;
// Lines the heading up with the rows' icons: the row's pill inset and its padding before the icon.
inline constexpr float kHeadingIndent = 20;
inline constexpr std::string_view kResultsTitle = "Results";

// The whole sidebar column, scrollable. Surrounding white space of the query is ignored.
std::unique_ptr<orvo_ui::Widget> sidebar_view(settings_app::SettingsSection selected, std::string_view query,
                                              const SidebarSelectionCell& selection);

// One titled group: the title upper-cased above the rows, in list order.
std::unique_ptr<orvo_ui::Widget> group_section(std::string_view title, WidgetList rows);

}  // namespace settings::sidebar

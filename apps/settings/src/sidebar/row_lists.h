#pragma once
// The sidebar's lists of rows: the rows of one group, and the rows of the sections that match a
// search query, each in the order of the section list it is given.
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "sidebar/sidebar_row.h"

namespace settings::sidebar {

using WidgetList = std::vector<std::unique_ptr<orvo_ui::Widget>>;

WidgetList group_rows(std::span<const settings_app::SettingsSection> sections, settings_app::SidebarGroup group,
                      std::optional<settings_app::SettingsSection> current, const SidebarSelectionCell& selection);

WidgetList search_rows(std::span<const settings_app::SettingsSection> sections, std::string_view query,
                       std::optional<settings_app::SettingsSection> current, const SidebarSelectionCell& selection);

}  // namespace settings::sidebar

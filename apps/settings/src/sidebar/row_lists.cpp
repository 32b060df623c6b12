#include "sidebar/row_lists.h"

namespace settings::sidebar {

using settings_app::SettingsSection;

namespace {

template <typename Passes>
WidgetList rows_where(std::span<const SettingsSection> sections, std::optional<SettingsSection> current,
                      const SidebarSelectionCell& selection, Passes passes) {
  WidgetList rows;
  for (SettingsSection section : sections) {
    if (passes(section)) rows.push_back(SidebarRow::make(current, selection, section));
  }
  return rows;
}

}  // namespace

WidgetList group_rows(std::span<const SettingsSection> sections, settings_app::SidebarGroup group,
                      std::optional<SettingsSection> current, const SidebarSelectionCell& selection) {
  return rows_where(sections, current, selection, [&](SettingsSection s) { return s.group() == group; });
}

WidgetList search_rows(std::span<const SettingsSection> sections, std::string_view query,
                       std::optional<SettingsSection> current, const SidebarSelectionCell& selection) {
  return rows_where(sections, current, selection, [&](SettingsSection s) { return s.matches(query); });
}

}  // namespace settings::sidebar

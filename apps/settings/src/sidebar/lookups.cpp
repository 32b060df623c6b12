#include "sidebar/lookups.h"

#include "actions/section_address.h"

namespace settings::sidebar {

using settings_app::SettingsSection;

std::optional<SettingsSection> section_for_id(std::span<const SettingsSection> sections, std::string_view id) {
  for (SettingsSection section : sections) {
    if (section.id() == id) return section;
  }
  return std::nullopt;
}

std::optional<SettingsSection> section_for_resource_id(std::span<const SettingsSection> sections,
                                                       std::string_view resource_id) {
  for (SettingsSection section : sections) {
    if (actions::section_resource_id(section) == resource_id) return section;
  }
  return std::nullopt;
}

std::optional<KeyboardLayoutEntry> find_layout_by_label(std::vector<KeyboardLayoutEntry> layouts,
                                                        std::string_view label) {
  return find_by_key(std::move(layouts), label, [](const KeyboardLayoutEntry& e) -> const std::string& {
    return e.second;
  });
}

bool entry_sorts_before(const std::pair<std::string, std::string>& a, const std::pair<std::string, std::string>& b) {
  if (a.second != b.second) return a.second < b.second;
  return a.first < b.first;
}

}  // namespace settings::sidebar

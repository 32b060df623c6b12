#include "catalogues/resource_tree.h"

#include "actions/section_address.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "orvo_doc/document.h"
#include "preferences/preferences_file.h"

namespace settings::actions {

namespace {

using settings_app::SettingsSection;

orvo_actions::Resource section_catalogue(SettingsSection section, const SectionInputs& inputs) {
  switch (section) {
    case SettingsSection::Network: return network_resource(inputs);
    case SettingsSection::Bluetooth: return bluetooth_resource(inputs);
    case SettingsSection::DevicesSync: return devices_sync_resource(inputs);
    case SettingsSection::Sound: return sound_resource(inputs);
    case SettingsSection::Displays: return displays_resource(inputs);
    case SettingsSection::MouseKeyboard: return input_resource(inputs);
    case SettingsSection::KeyboardShortcuts: return keyboard_shortcuts_resource(inputs);
    case SettingsSection::TimeDate: return time_date_resource(inputs);
    case SettingsSection::Users: return users_resource(inputs);
    case SettingsSection::Printers: return printers_resource(inputs);
    case SettingsSection::Power: return power_resource(inputs);
    case SettingsSection::Appearance: return appearance_resource(inputs);
    case SettingsSection::Accessibility: return accessibility_resource(inputs);
    case SettingsSection::Notifications: return notifications_resource(inputs);
    case SettingsSection::DefaultApps: return default_apps_resource(inputs);
    case SettingsSection::Storage: return storage_resource(inputs);
    case SettingsSection::ExternalAccounts: return external_accounts_resource(inputs);
    case SettingsSection::AgentModels: return agent_models_resource(inputs);
    case SettingsSection::RegionFormats: return region_formats_resource(inputs);
    case SettingsSection::Updates: return updates_resource(inputs);
    case SettingsSection::Permissions:
    case SettingsSection::About: break;
  }
  return section_shell(section);
}

orvo_actions::Resource* find_in(orvo_actions::Resource& resource, std::string_view id) {
  if (resource.id == id) return &resource;
  for (auto& child : resource.children) {
    if (auto* hit = find_in(child, id)) return hit;
  }
  return nullptr;
}

}  // namespace

std::vector<orvo_actions::Resource> settings_root_resource(const orvo_doc::Document& document,
                                                           std::span<const accounts::Account> accounts,
                                                           const CatalogueQueries& queries) {
  const preferences::Preferences preferences = preferences::load_preferences();
  const SectionInputs inputs{document, preferences, accounts, queries};
  auto root = orvo_actions::Resource::make(std::string(kRootResourceId), std::string(kRootResourceKind), "Settings");
  root.children.reserve(kRootSectionOrder.size());
  for (const auto section : kRootSectionOrder) root.children.push_back(build_settings_actions(section, inputs));
  std::vector<orvo_actions::Resource> tree;
  tree.push_back(std::move(root));
  return tree;
}

orvo_actions::Resource build_settings_actions(SettingsSection section, const SectionInputs& inputs) {
  orvo_actions::Resource resource = section_catalogue(section, inputs);
  orvo_actions::Resource light = section_resource(section);
  if (!light.actions.empty()) resource.actions.insert(resource.actions.begin(), std::move(light.actions.front()));
  return resource;
}

orvo_actions::Resource offline_section(SettingsSection section, const preferences::Preferences& preferences) {
  const orvo_doc::Document document;
  return build_settings_actions(section, SectionInputs{document, preferences, {}, offline_queries()});
}

std::optional<orvo_actions::Resource> find_resource(orvo_actions::Resource tree, std::string_view id) {
  auto* hit = find_in(tree, id);
  if (!hit) return std::nullopt;
  return std::move(*hit);
}

}  // namespace settings::actions

#include "actions/section_address.h"

#include "actions/contracts.h"

namespace settings::actions {

std::string section_resource_id(settings_app::SettingsSection section) {
  std::string id(kSectionResourcePrefix);
  id += section.id();
  return id;
}

orvo_actions::ActionAddress open_section_address(settings_app::SettingsSection section) {
  return {section_resource_id(section), std::string(kOpenSectionAction)};
}

orvo_actions::Resource section_resource(settings_app::SettingsSection section) {
  orvo_actions::Resource resource =
      orvo_actions::Resource::make(section_resource_id(section), "settings.section", std::string(section.title()));
  auto open = fixed_action_spec(PaneId{std::string(section.id()), std::string(section.title())});
  if (open) resource.actions.push_back(std::move(*open));
  return resource;
}

}  // namespace settings::actions

#include "actions/section_address.h"

namespace settings::actions {

std::string section_resource_id(settings_app::SettingsSection section) {
  std::string id(kSectionResourcePrefix);
  id += section.id();
  return id;
}

orvo_actions::ActionAddress open_section_address(settings_app::SettingsSection section) {
  return {section_resource_id(section), std::string(kOpenSectionAction)};
}

}  // namespace settings::actions

#pragma once
// Where a settings section lives among the application's resources, and the address of the action
// that opens it.
#include <string>

#include "orvo_actions/address.h"
#include "orvo_actions/resource.h"
#include "sections/sections.h"

namespace settings::actions {

inline constexpr std::string_view kSectionResourcePrefix = "settings.section:";
inline constexpr std::string_view kOpenSectionAction = "open";

// "settings.section:" followed by the section's id.
std::string section_resource_id(settings_app::SettingsSection section);
// The section's resource and its "open" action.
orvo_actions::ActionAddress open_section_address(settings_app::SettingsSection section);
// The light resource of a section: its id, kind "settings.section", its title and the one action
// "open" (left out when its action spec cannot be built).
orvo_actions::Resource section_resource(settings_app::SettingsSection section);

}  // namespace settings::actions

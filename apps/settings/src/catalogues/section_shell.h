#pragma once
// The bare resource of a section: its id, a kind and its title, no actions and no children.
#include <string_view>

#include "orvo_actions/resource.h"
#include "settings_app/sections.h"

namespace settings::actions {

inline constexpr std::string_view kSectionKind = "settings.section";

orvo_actions::Resource section_shell(settings_app::SettingsSection section, std::string_view kind = kSectionKind);

}  // namespace settings::actions

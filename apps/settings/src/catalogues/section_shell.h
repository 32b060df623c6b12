#pragma once
// The bare resource of a section: its id, a kind and its title, no actions and no children.
#include <string_view>

#include "orvo_actions/resource.h"
#include "sections/sections.h"

namespace settings::actions {

inline constexpr std::string_view kSectionKind = "settings.section";

// The kind of a section's resource: "settings.default-apps" for Apps & Files, "settings.accounts"
// for External Accounts, "settings.agent-models" for Agent Models, "settings.section" for the rest.
std::string_view section_kind(settings_app::SettingsSection section);

// The section's resource with its own kind.
orvo_actions::Resource section_shell(settings_app::SettingsSection section);
orvo_actions::Resource section_shell(settings_app::SettingsSection section, std::string_view kind);

}  // namespace settings::actions

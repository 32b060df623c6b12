#pragma once
#include <string_view>

namespace orvo_actions {
class ActionRegistry;
}

namespace settings::actions {

inline constexpr std::string_view kSettingsActionNamespace = "settings.action";

// Puts the "settings.action" handler into the registry; a handler already there is replaced.
void register_settings_action(orvo_actions::ActionRegistry& registry);

}  // namespace settings::actions

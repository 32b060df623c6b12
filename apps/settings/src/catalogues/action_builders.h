#pragma once
// The small builders every section catalogue uses: setting toggles and flips, the on/off binding by
// action name, and the one-action display resources the display bindings wrap.
#include <optional>
#include <string>
#include <string_view>

#include "orvo_actions/action_spec.h"
#include "orvo_actions/binding.h"
#include "orvo_actions/resource.h"

namespace settings::actions {

// "On or off", class 0, one boolean parameter "value" ("Whether this setting is on"), the settings
// contract; invoked, it sets the key to the given value.
orvo_actions::ActionSpec setting_toggle_action(std::string id, std::string title, std::string key);

// An action that sets the key to the opposite of `current`: titled "Turn off <label>" when the
// setting is on, "Turn on <label>" when it is off. Without arguments it flips the value the tree saw
// when it was built, whatever the value is when it is invoked; with {"value": true|false} it sets
// exactly that value.
orvo_actions::ActionSpec setting_flip_action(std::string id, std::string_view key, bool current,
                                             std::string_view label);

// The on/off binding ({"value": b}) of the resource's first action named `action`; none when the
// resource has no such action.
std::optional<orvo_actions::ActionBinding<bool>> bind_toggle(const orvo_actions::Resource& resource,
                                                             std::string_view action);

// The Displays section resource holding only the given action.
orvo_actions::Resource displays_resource_with(orvo_actions::ActionSpec action);
// "settings.display-output:<connector>", kind "settings.display-output", titled with the connector,
// holding only the given action.
orvo_actions::Resource display_output_resource(std::string_view connector, orvo_actions::ActionSpec action);

inline constexpr std::string_view kDisplayOutputPrefix = "settings.display-output:";
inline constexpr std::string_view kDisplayOutputKind = "settings.display-output";

}  // namespace settings::actions

#pragma once
// Which settings a "settings.action" may write: a fixed set of key families, each with the value type
// and size it allows.
#include <string_view>

#include "actions/settings_action.h"

namespace settings::actions {

// Longest Text value a setting may hold, in bytes (at least one byte is required).
inline constexpr std::size_t kMaxSettingTextBytes = 1024;
// Longest application id inside a "notifications.app.<id>.<field>" key, in bytes.
inline constexpr std::size_t kMaxNotificationAppIdBytes = 160;

// True when the bytes hold anything outside ASCII letters, ASCII digits, "-", "." and "_".
bool setting_key_has_disallowed_byte(std::string_view bytes);

// Whether the pair may be written to the settings document.
bool is_allowed_setting_key(std::string_view key, const SettingValue& value);

}  // namespace settings::actions

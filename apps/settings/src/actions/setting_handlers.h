#pragma once
// Argument handlers of setting actions (kind "settings.action", payload `SetSetting` {key, value}),
// and the current-value reads the section builders use while they declare them.
#include <string>
#include <string_view>

#include "orvo_actions/action_constructors.h"
#include "preferences/records.h"

namespace orvo_doc {
class Document;
}

namespace settings::actions {

// "value" as a boolean (false when absent) becomes a Bool setting: the setting toggles.
orvo_actions::ArgumentHandler setting_switch_handler(std::string key);

// "choice" as a text (empty when absent) becomes a Text setting: the keyboard shortcut entries.
orvo_actions::ArgumentHandler setting_text_handler(std::string key);

// "choice" as a text, `current` when absent, becomes a Text setting: the setting choices, "mute"
// and "set-handler".
orvo_actions::ArgumentHandler setting_choice_handler(std::string key, std::string current);

// The boolean under the key at the root of the settings document; the fallback when the key is
// absent or holds another type.
bool current_bool(const orvo_doc::Document& document, std::string_view key, bool fallback);

// The text under the key at the root (a string or a text object); the fallback otherwise.
std::string current_text(const orvo_doc::Document& document, std::string_view key, std::string_view fallback);

// The current value of a setting that has a stored field (preferences/setting_fields.h): the
// document's, else the stored one read through the same table the write-through uses.
bool current_setting_flag(const orvo_doc::Document& document, const preferences::Preferences& prefs,
                          std::string_view key);
std::string current_setting_label(const orvo_doc::Document& document, const preferences::Preferences& prefs,
                                  std::string_view key);

}  // namespace settings::actions

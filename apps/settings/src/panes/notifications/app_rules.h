#pragma once
// The per-application notification rules as the Notifications pane shows them: the setting keys of
// an application's rule, and its temporary mute as a label and as an expiry time (kept with the
// preferences, preferences/notification_mute.h, since the setting write-through stores mutes too).
#include <string>
#include <string_view>

#include "preferences/notification_mute.h"

namespace settings::panes::notifications {

// "notifications.app.<id>.<field>".
std::string app_setting_key(std::string_view app_id, std::string_view field);

using preferences::kMuteChoices;
using preferences::mute_expiry;
using preferences::mute_label;
using preferences::mute_labels;
using preferences::MuteChoice;

}  // namespace settings::panes::notifications

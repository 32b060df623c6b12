#pragma once
// The per-application notification rules as the Notifications pane shows them: the setting keys of
// an application's rule, and its temporary mute as a label and as an expiry time.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings::panes::notifications {

// "notifications.app.<id>.<field>".
std::string app_setting_key(std::string_view app_id, std::string_view field);

struct MuteChoice {
  std::string_view label;
  std::int64_t seconds;
};

// In offering order.
inline constexpr std::array<MuteChoice, 4> kMuteChoices{{
    {"Not muted", 0},
    {"For 1 hour", 3600},
    {"For 8 hours", 28800},
    {"For 24 hours", 86400},
}};

std::vector<std::string> mute_labels();

// How long a mute still runs, as the choice that covers it: "Not muted" once it ended (or with
// none), else the shortest choice at least as long as what is left.
std::string_view mute_label(std::optional<std::int64_t> muted_until, std::int64_t now);

// The expiry a mute label sets at `now`: none for "Not muted", else now plus its duration, held at
// the largest time that can be stored. An unknown label gives nothing to do (the outer none).
std::optional<std::optional<std::int64_t>> mute_expiry(std::string_view label, std::int64_t now);

}  // namespace settings::panes::notifications

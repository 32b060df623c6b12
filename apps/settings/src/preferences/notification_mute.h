#pragma once
// The temporary mute of an application's notification rule: the choices a person picks from, the
// choice that covers what is left of a mute, and the expiry a choice sets.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings::preferences {

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

// The wall clock as mutes store it: whole seconds since the Unix epoch; 0 before it.
std::int64_t mute_clock_now();

}  // namespace settings::preferences

#pragma once
// The update policy: a small key=value file that a system unit writes and this program only reads,
// and the named actions that ask that unit to change it.
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace settings::panes::updates {

inline constexpr std::string_view kPolicyFile = "/var/lib/orvo/update-policy";

inline constexpr std::string_view kScheduleSystem = "System schedule";
inline constexpr std::string_view kScheduleDaily = "Daily";
inline constexpr std::string_view kScheduleWeekly = "Weekly";

// Key to value; when a key repeats, the last line wins.
using UpdatePolicy = std::map<std::string, std::string, std::less<>>;

// Each line is split at its first "=" into a trimmed key and a trimmed value; a line without "="
// is ignored. There is no comment syntax.
UpdatePolicy parse_update_policy(std::string_view text);

// The policy file under the system root; a missing or unreadable file (or one that is not UTF-8)
// is an empty policy.
UpdatePolicy read_update_policy();

// "Daily" for schedule=daily, "Weekly" for schedule=weekly, else "System schedule" (exact, case
// sensitive).
std::string_view schedule_label(const UpdatePolicy& policy);

// True exactly when metered=allow.
bool metered_downloads_allowed(const UpdatePolicy& policy);

// The policy action that selects a schedule label ("schedule-daily" for "Daily"); none for a text
// that is not one of the three labels.
std::optional<std::string_view> schedule_action(std::string_view label);

// One of "schedule-system", "schedule-daily", "schedule-weekly", "metered-allow", "metered-avoid".
bool is_policy_action(std::string_view action);

// "orvo-update-policy@{action}.service".
std::string policy_unit(std::string_view action);

}  // namespace settings::panes::updates

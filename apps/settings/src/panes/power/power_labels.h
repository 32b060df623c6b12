#pragma once
// The labels the Power page shows for its timeouts, profiles and button actions, and the values
// they stand for. A label is found by exact match; a value not in its table gets the table's
// default label.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "panes/choices.h"
#include "preferences/records.h"

namespace settings::panes::power {

// Screen lock and screen blank share their choices.
inline constexpr ValueChoice kLockTimeouts[] = {{"1 minute", 1},   {"5 minutes", 5},   {"10 minutes", 10},
                                                {"15 minutes", 15}, {"30 minutes", 30}, {"Never", 0}};
inline constexpr ValueChoice kSuspendTimeouts[] = {{"5 minutes", 5},   {"10 minutes", 10}, {"15 minutes", 15},
                                                   {"30 minutes", 30}, {"45 minutes", 45}, {"1 hour", 60},
                                                   {"Never", 0}};
inline constexpr ValueChoice kPowerProfiles[] = {{"Power Saver", 0}, {"Balanced", 1}, {"Performance", 2}};
inline constexpr ValueChoice kPowerActions[] = {{"Suspend", 0}, {"Lock screen", 1}, {"Do nothing", 2}};

std::string lock_timeout_label(std::uint32_t minutes);
std::string blank_timeout_label(std::uint32_t minutes);
std::string suspend_timeout_label(std::uint32_t minutes);
std::optional<std::uint32_t> lock_minutes_from_label(std::string_view label);
std::optional<std::uint32_t> suspend_minutes_from_label(std::string_view label);

std::string power_profile_label(std::uint8_t profile);
std::optional<std::uint8_t> power_profile_from_label(std::string_view label);
std::vector<std::string> power_profile_labels(std::span<const std::uint8_t> profiles);

// Button actions: 0 suspend, 1 lock the screen, 2 do nothing.
std::vector<std::string> power_action_labels(std::span<const std::uint8_t> actions);
std::optional<std::uint8_t> power_action_from_label(std::string_view label);
std::string power_action_label(preferences::PowerAction action);
std::optional<preferences::PowerAction> preference_action_from_label(std::string_view label);

// Every label of a table, in order.
std::vector<std::string> labels_of(std::span<const ValueChoice> table);

}  // namespace settings::panes::power

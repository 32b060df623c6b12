#include "panes/power/power_labels.h"

namespace settings::panes::power {
namespace {

std::string label_or(std::span<const ValueChoice> table, std::uint32_t value, std::string_view fallback) {
  for (const auto& choice : table) {
    if (choice.value == value) return std::string(choice.label);
  }
  return std::string(fallback);
}

std::optional<std::uint32_t> value_of(std::span<const ValueChoice> table, std::string_view label) {
  for (const auto& choice : table) {
    if (choice.label == label) return choice.value;
  }
  return std::nullopt;
}

}  // namespace

std::string lock_timeout_label(std::uint32_t minutes) { return label_or(kLockTimeouts, minutes, "5 minutes"); }
std::string blank_timeout_label(std::uint32_t minutes) { return label_or(kLockTimeouts, minutes, "10 minutes"); }
std::string suspend_timeout_label(std::uint32_t minutes) { return label_or(kSuspendTimeouts, minutes, "15 minutes"); }
std::optional<std::uint32_t> lock_minutes_from_label(std::string_view label) { return value_of(kLockTimeouts, label); }
std::optional<std::uint32_t> suspend_minutes_from_label(std::string_view label) {
  return value_of(kSuspendTimeouts, label);
}

std::string power_profile_label(std::uint8_t profile) { return label_or(kPowerProfiles, profile, "Balanced"); }

std::optional<std::uint8_t> power_profile_from_label(std::string_view label) {
  const auto value = value_of(kPowerProfiles, label);
  if (!value) return std::nullopt;
  return static_cast<std::uint8_t>(*value);
}

std::vector<std::string> power_profile_labels(std::span<const std::uint8_t> profiles) {
  std::vector<std::string> labels;
  for (const std::uint8_t profile : profiles) labels.push_back(power_profile_label(profile));
  return labels;
}

std::vector<std::string> power_action_labels(std::span<const std::uint8_t> actions) {
  std::vector<std::string> labels;
  for (const std::uint8_t action : actions) labels.push_back(label_or(kPowerActions, action, ""));
  return labels;
}

std::optional<std::uint8_t> power_action_from_label(std::string_view label) {
  const auto value = value_of(kPowerActions, label);
  if (!value) return std::nullopt;
  return static_cast<std::uint8_t>(*value);
}

std::string power_action_label(preferences::PowerAction action) {
  return label_or(kPowerActions, static_cast<std::uint32_t>(action), "Suspend");
}

std::optional<preferences::PowerAction> preference_action_from_label(std::string_view label) {
  const auto value = power_action_from_label(label);
  if (!value) return std::nullopt;
  return static_cast<preferences::PowerAction>(*value);
}

std::vector<std::string> labels_of(std::span<const ValueChoice> table) {
  std::vector<std::string> labels;
  for (const auto& choice : table) labels.push_back(std::string(choice.label));
  return labels;
}

}  // namespace settings::panes::power

#pragma once
// Notification policy values of the settings store: the quiet-hours window and the rule of one
// application. Both read `{}` as their defaults; every field may be left out.
#include <cstdint>
#include <optional>

#include "orvo_json/record.h"

namespace settings_store::notification_policy {

struct FocusSchedule {
  bool enabled = false;
  std::uint16_t start_minute = 1320;  // minute of the day the window starts (22:00)
  std::uint16_t end_minute = 420;     // minute of the day it ends (07:00)
  // One bit per day, bit 0 Monday to bit 6 Sunday (31 is Monday to Friday); 0 means every day.
  std::uint8_t weekdays = 0;
  bool allow_priority = true;  // priority notifications pass during the window

  bool operator==(const FocusSchedule&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<FocusSchedule>) {
  using orvo_json::defaulted_field;
  return orvo_json::record<FocusSchedule>(
      "FocusSchedule", defaulted_field("enabled", &FocusSchedule::enabled),
      defaulted_field("start_minute", &FocusSchedule::start_minute),
      defaulted_field("end_minute", &FocusSchedule::end_minute), defaulted_field("weekdays", &FocusSchedule::weekdays),
      defaulted_field("allow_priority", &FocusSchedule::allow_priority));
}

// An unset choice means the global choice applies to the application.
struct AppNotificationRule {
  std::optional<bool> banners;
  std::optional<bool> sounds;
  std::optional<bool> badges;
  std::optional<bool> previews;
  std::optional<bool> lock_screen;
  std::optional<bool> cross_device;
  bool priority = false;
  bool priority_contacts = false;
  std::optional<std::int64_t> muted_until;  // Unix seconds at which a temporary mute ends

  bool operator==(const AppNotificationRule&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<AppNotificationRule>) {
  using orvo_json::defaulted_field;
  using R = AppNotificationRule;
  return orvo_json::record<R>(
      "AppNotificationRule", defaulted_field("banners", &R::banners), defaulted_field("sounds", &R::sounds),
      defaulted_field("badges", &R::badges), defaulted_field("previews", &R::previews),
      defaulted_field("lock_screen", &R::lock_screen), defaulted_field("cross_device", &R::cross_device),
      defaulted_field("priority", &R::priority), defaulted_field("priority_contacts", &R::priority_contacts),
      defaulted_field("muted_until", &R::muted_until));
}

}  // namespace settings_store::notification_policy

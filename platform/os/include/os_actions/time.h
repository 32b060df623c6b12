#pragma once
// The system clock settings, through the system's time service over D-Bus, and the list of time
// zones, from tzdata.
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace os_actions::time {

// Turns network time synchronisation on or off.
std::expected<void, std::string> set_ntp(bool enabled);
// Whether network time synchronisation is on.
std::expected<bool, std::string> get_ntp();
// Sets the system time zone ("Europe/Berlin").
std::expected<void, std::string> set_timezone(std::string_view zone);

enum class Reported { Off, On, Unreported };

struct TimeSyncStatus {
  std::optional<std::string> zone;
  Reported automatic = Reported::Unreported;
  Reported synchronised = Reported::Unreported;
  std::optional<std::string> server;  // the time server in use, when the service reports one
};

// What the time service says about the zone and synchronisation; fields it does not answer stay
// unreported. Never fails: with no service everything is unreported.
TimeSyncStatus get_time_sync_status();

// The zone names of tzdata's zone1970.tab (plus "UTC" when installed), sorted and without repeats.
std::expected<std::vector<std::string>, std::string> list_timezones();

}  // namespace os_actions::time

#pragma once
// The system clock settings, through the system's time service over D-Bus, the list of time zones,
// from tzdata, and the local date and time of day as short texts.
#include <ctime>
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

// Every zone the time service accepts, sorted and without repeats: the zone and link names of the
// installed tz database ("tzdata.zi"); without it, the names of zone.tab and zone1970.tab (plus "UTC"
// when installed).
std::expected<std::vector<std::string>, std::string> list_timezones();

// The local date now, "2026-12-10".
std::expected<std::string, std::string> now_date();
// The local time of day now: "14:05" in the 24-hour form, else "2:05 PM".
std::expected<std::string, std::string> now_clock(bool h24);

// The same texts for a given moment, in the local time zone ($TZ when set).
std::expected<std::string, std::string> format_date(std::time_t moment);
std::expected<std::string, std::string> format_clock(std::time_t moment, bool h24);

}  // namespace os_actions::time

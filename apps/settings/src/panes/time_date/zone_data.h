#pragma once
// The time zones the Time & date pane offers: the zone in effect, the list the time service accepts,
// and the zones of the installed tz database that carry coordinates, for the map.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings::panes::time_date {

// One mapped zone, with its coordinates in millionths of a degree (north and east positive).
struct TimeZoneEntry {
  std::string name;    // "America/Argentina/Buenos_Aires"
  std::string region;  // "America"
  std::string place;   // "Argentina · Buenos Aires"
  std::int32_t latitude_e6 = 0;
  std::int32_t longitude_e6 = 0;

  bool operator==(const TimeZoneEntry&) const = default;
};

inline constexpr std::string_view kFallbackZone = "Europe/Amsterdam";

// The zone the system's files name: the text of "/etc/timezone", else the target of the
// "/etc/localtime" link after "zoneinfo/"; none when neither names one.
std::optional<std::string> zone_from_system_files();

// The zone in effect, from the first source that names one: the time service's answer, the
// system's files (`file_zone`, as zone_from_system_files gives it), else kFallbackZone. Never empty.
std::string current_zone(const std::optional<std::string>& service_zone, const std::optional<std::string>& file_zone);
// The same, reading the system's files when the service names no zone.
std::string current_zone(const std::optional<std::string>& service_zone);

// The service's zone list; the current zone is appended, and the whole list sorted, when it is missing.
std::vector<std::string> zone_list(std::vector<std::string> service_zones, std::string_view current);

// The zone table's lines ("zone1970.tab", else "zone.tab" under the tz database) as entries, only
// for zones in `zones`, sorted west to east, then north to south, then by name. Unreadable files and
// malformed lines only shorten the result.
std::vector<TimeZoneEntry> read_zone_table(const std::vector<std::string>& zones);

// The text of the first readable zone table; none when neither can be read as UTF-8.
std::optional<std::string> read_zone_table_text();

// The same for a table's text (the decoder of the above).
std::vector<TimeZoneEntry> parse_zone_table(std::string_view text, const std::vector<std::string>& zones);

// "+4030-07400" as latitude and longitude in millionths; none when malformed or out of range.
struct Coordinates {
  std::int32_t latitude_e6 = 0;
  std::int32_t longitude_e6 = 0;
};
std::optional<Coordinates> parse_coordinates(std::string_view text);

}  // namespace settings::panes::time_date

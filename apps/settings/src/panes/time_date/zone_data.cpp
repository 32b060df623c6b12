#include "panes/time_date/zone_data.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unordered_set>

#include "orvo_runtime/system_paths.h"
#include "orvo_runtime/text.h"

namespace settings::panes::time_date {

namespace {

namespace text = orvo_runtime::text;

// The whole file as bytes; none when it cannot be read.
std::optional<std::string> read_bytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream out;
  out << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return std::move(out).str();
}

// The file as UTF-8 text; none when unreadable or not valid UTF-8.
std::optional<std::string> read_utf8(const std::filesystem::path& path) {
  auto bytes = read_bytes(path);
  if (!bytes || text::decode_utf8_lossy(*bytes) != *bytes) return std::nullopt;
  return bytes;
}

std::optional<std::string> zone_from_timezone_file() {
  auto content = read_utf8(system_paths::etc() / "timezone");
  if (!content) return std::nullopt;
  return std::string(text::trim_unicode_whitespace(*content));
}

std::optional<std::string> zone_from_localtime_link() {
  const std::string link = (system_paths::etc() / "localtime").string();
  std::array<char, 4096> target{};
  const ssize_t length = ::readlink(link.c_str(), target.data(), target.size());
  if (length <= 0) return std::nullopt;
  const std::string decoded = text::decode_utf8_lossy(std::string_view(target.data(), static_cast<std::size_t>(length)));
  constexpr std::string_view kMarker = "zoneinfo/";
  const auto at = decoded.find(kMarker);
  if (at == std::string::npos) return std::nullopt;
  return decoded.substr(at + kMarker.size());
}

std::string replace_all(std::string value, std::string_view from, std::string_view to) {
  for (std::size_t at = value.find(from); at != std::string::npos; at = value.find(from, at + to.size())) {
    value.replace(at, from.size(), to);
  }
  return value;
}

std::optional<unsigned> two_digits(std::string_view text) {
  unsigned value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned>(c - '0');
  }
  return value;
}

// One part of an ISO 6709 position: sign, `degree_digits` of degrees, minutes, optional seconds.
std::optional<std::int32_t> parse_angle(std::string_view part, std::size_t degree_digits, unsigned limit) {
  const std::size_t short_form = 1 + degree_digits + 2;
  if (part.size() != short_form && part.size() != short_form + 2) return std::nullopt;
  if (part[0] != '+' && part[0] != '-') return std::nullopt;
  const auto degrees = two_digits(part.substr(1, degree_digits));
  const auto minutes = two_digits(part.substr(1 + degree_digits, 2));
  const auto seconds = part.size() > short_form ? two_digits(part.substr(short_form, 2)) : std::optional<unsigned>(0);
  if (!degrees || !minutes || !seconds) return std::nullopt;
  if (*degrees > limit || *minutes >= 60 || *seconds >= 60) return std::nullopt;
  double value = *degrees + *minutes / 60.0 + *seconds / 3600.0;
  if (value > limit) return std::nullopt;
  if (part[0] == '-') value = -value;
  return static_cast<std::int32_t>(std::llround(value * 1'000'000.0));
}

std::vector<std::string_view> split(std::string_view text, char separator) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (std::size_t at = text.find(separator); at != std::string_view::npos; at = text.find(separator, start)) {
    fields.push_back(text.substr(start, at - start));
    start = at + 1;
  }
  fields.push_back(text.substr(start));
  return fields;
}

}  // namespace

std::optional<std::string> zone_from_system_files() {
  if (auto zone = zone_from_timezone_file(); zone && !zone->empty()) return zone;
  if (auto zone = zone_from_localtime_link(); zone && !zone->empty()) return zone;
  return std::nullopt;
}

std::string current_zone(const std::optional<std::string>& service_zone, const std::optional<std::string>& file_zone) {
  if (service_zone && !service_zone->empty()) return *service_zone;
  if (file_zone && !file_zone->empty()) return *file_zone;
  return std::string(kFallbackZone);
}

std::string current_zone(const std::optional<std::string>& service_zone) {
  if (service_zone && !service_zone->empty()) return *service_zone;
  return current_zone(std::nullopt, zone_from_system_files());
}

std::vector<std::string> zone_list(std::vector<std::string> service_zones, std::string_view current) {
  if (std::find(service_zones.begin(), service_zones.end(), current) != service_zones.end()) return service_zones;
  service_zones.emplace_back(current);
  std::sort(service_zones.begin(), service_zones.end());
  return service_zones;
}

std::optional<Coordinates> parse_coordinates(std::string_view text) {
  if (text.empty()) return std::nullopt;
  const auto split_at = text.find_first_of("+-", 1);
  if (split_at == std::string_view::npos) return std::nullopt;
  const auto latitude = parse_angle(text.substr(0, split_at), 2, 90);
  const auto longitude = parse_angle(text.substr(split_at), 3, 180);
  if (!latitude || !longitude) return std::nullopt;
  return Coordinates{*latitude, *longitude};
}

std::vector<TimeZoneEntry> parse_zone_table(std::string_view table, const std::vector<std::string>& zones) {
  const std::unordered_set<std::string_view> listed(zones.begin(), zones.end());
  std::unordered_set<std::string> taken;
  std::vector<TimeZoneEntry> entries;
  for (const std::string_view line : split(table, '\n')) {
    const std::string_view trimmed = text::trim_unicode_whitespace(line);
    if (trimmed.empty() || line.starts_with('#')) continue;
    const auto fields = split(line, '\t');
    if (fields.size() < 3) continue;
    // The name is the third field; a carriage return of a CRLF line belongs to no name.
    std::string_view name = fields[2];
    if (fields.size() == 3 && name.ends_with('\r')) name.remove_suffix(1);
    if (!listed.contains(name) || taken.contains(std::string(name))) continue;
    const auto position = parse_coordinates(fields[1]);
    if (!position) continue;
    const auto slash = name.find('/');
    if (slash == std::string_view::npos) continue;
    taken.emplace(name);
    entries.push_back(TimeZoneEntry{
        .name = std::string(name),
        .region = replace_all(std::string(name.substr(0, slash)), "_", " "),
        .place = replace_all(replace_all(std::string(name.substr(slash + 1)), "_", " "), "/", " · "),
        .latitude_e6 = position->latitude_e6,
        .longitude_e6 = position->longitude_e6,
    });
  }
  std::sort(entries.begin(), entries.end(), [](const TimeZoneEntry& a, const TimeZoneEntry& b) {
    if (a.longitude_e6 != b.longitude_e6) return a.longitude_e6 < b.longitude_e6;
    if (a.latitude_e6 != b.latitude_e6) return a.latitude_e6 > b.latitude_e6;
    return a.name < b.name;
  });
  return entries;
}

std::optional<std::string> read_zone_table_text() {
  const auto directory = system_paths::usr_share() / "zoneinfo";
  for (const char* file : {"zone1970.tab", "zone.tab"}) {
    if (auto table = read_utf8(directory / file)) return table;
  }
  return std::nullopt;
}

std::vector<TimeZoneEntry> read_zone_table(const std::vector<std::string>& zones) {
  const auto table = read_zone_table_text();
  return table ? parse_zone_table(*table, zones) : std::vector<TimeZoneEntry>{};
}

}  // namespace settings::panes::time_date

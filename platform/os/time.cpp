#include "os_actions/time.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>

#include "orvo_dbus/connection.h"
#include "orvo_runtime/system_paths.h"
#include "service_error.h"

namespace os_actions::time {
namespace {

using namespace std::chrono_literals;

const orvo_dbus::Target kTimedate{"org.freedesktop.timedate1", "/org/freedesktop/timedate1"};
constexpr const char* kTimedateInterface = "org.freedesktop.timedate1";
const orvo_dbus::Target kTimesync{"org.freedesktop.timesync1", "/org/freedesktop/timesync1"};
constexpr const char* kTimesyncInterface = "org.freedesktop.timesync1.Manager";
// Changing the clock may wait for the user to authorise it.
constexpr auto kChangeTimeout = 60s;

std::string describe(const orvo_dbus::Error& error) { return describe_service_error(error, "the time service"); }

template <typename... In>
std::expected<void, std::string> change(const char* method, const In&... in) {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return std::unexpected(describe(bus.error()));
  // The last argument asks the service to let the user authorise the change interactively.
  auto reply = bus->call<>(kTimedate, kTimedateInterface, method, kChangeTimeout, in..., true);
  if (!reply) return std::unexpected(describe(reply.error()));
  return {};
}

// Whether `word` is a keyword of the database's source: zic takes any prefix of it, in any case.
bool is_keyword(std::string_view word, std::string_view keyword) {
  if (word.empty() || word.size() > keyword.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(word[i])) != std::tolower(static_cast<unsigned char>(keyword[i]))) {
      return false;
    }
  }
  return true;
}

// Every zone and link name of the database's source ("Zone NAME …", "Link TARGET NAME"), which is
// what the time service accepts; false when the file cannot be read.
bool read_database_names(const std::filesystem::path& path, std::vector<std::string>& zones) {
  std::ifstream in(path);
  if (!in) return false;
  const std::size_t before = zones.size();
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string keyword;
    std::string first;
    std::string second;
    if (!(words >> keyword >> first)) continue;
    if (is_keyword(keyword, "Zone")) {
      zones.push_back(std::move(first));
    } else if (is_keyword(keyword, "Link") && (words >> second)) {
      zones.push_back(std::move(second));
    }
  }
  return zones.size() > before;
}

// The zone names of a table of zones (zone.tab, zone1970.tab); false when the file cannot be read.
bool read_table_names(const std::filesystem::path& path, std::vector<std::string>& zones) {
  std::ifstream in(path);
  if (!in) return false;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line.front() == '#') continue;
    // Columns: country codes, coordinates, zone name, optional comment; separated by tabs.
    const auto first = line.find('\t');
    const auto second = first == std::string::npos ? first : line.find('\t', first + 1);
    if (second == std::string::npos) continue;
    const auto third = line.find('\t', second + 1);
    std::string zone = line.substr(second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
    if (!zone.empty()) zones.push_back(std::move(zone));
  }
  return true;
}

Reported reported(const std::optional<bool>& value) {
  if (!value) return Reported::Unreported;
  return *value ? Reported::On : Reported::Off;
}

}  // namespace

std::expected<void, std::string> set_ntp(bool enabled) { return change("SetNTP", enabled); }

std::expected<void, std::string> set_timezone(std::string_view zone) { return change("SetTimezone", std::string(zone)); }

std::expected<bool, std::string> get_ntp() {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return std::unexpected(describe(bus.error()));
  auto value = bus->property(kTimedate, kTimedateInterface, "NTP");
  if (!value) return std::unexpected(describe(value.error()));
  const auto ntp = orvo_dbus::get<bool>(*value);
  if (!ntp) return std::unexpected("the time service answered in an unexpected form");
  return *ntp;
}

TimeSyncStatus get_time_sync_status() {
  TimeSyncStatus status;
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return status;
  if (auto properties = bus->all_properties(kTimedate, kTimedateInterface)) {
    status.zone = orvo_dbus::get<std::string>(*properties, "Timezone");
    if (status.zone && status.zone->empty()) status.zone.reset();
    status.automatic = reported(orvo_dbus::get<bool>(*properties, "NTP"));
    status.synchronised = reported(orvo_dbus::get<bool>(*properties, "NTPSynchronized"));
  }
  if (auto server = bus->property(kTimesync, kTimesyncInterface, "ServerName", 2s)) {
    status.server = orvo_dbus::get<std::string>(*server);
    if (status.server && status.server->empty()) status.server.reset();
  }
  return status;
}

std::expected<std::vector<std::string>, std::string> list_timezones() {
  const auto zoneinfo = system_paths::usr_share() / "zoneinfo";
  std::vector<std::string> zones;
  if (!read_database_names(zoneinfo / "tzdata.zi", zones)) {
    // Without the database's source, the two tables together: zone1970.tab alone leaves out zones
    // that share another's clocks since 1970.
    const bool tables = read_table_names(zoneinfo / "zone.tab", zones);
    if (!read_table_names(zoneinfo / "zone1970.tab", zones) && !tables) {
      return std::unexpected("Could not read the list of time zones: " + (zoneinfo / "tzdata.zi").string() +
                             " is missing");
    }
    if (std::filesystem::exists(zoneinfo / "UTC")) zones.emplace_back("UTC");
  }
  std::sort(zones.begin(), zones.end());
  zones.erase(std::unique(zones.begin(), zones.end()), zones.end());
  return zones;
}

}  // namespace os_actions::time

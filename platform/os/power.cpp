#include "os_actions/power.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <map>

#include "orvo_dbus/connection.h"
#include "service_error.h"

namespace os_actions::power {
namespace {

using namespace std::chrono_literals;

const orvo_dbus::Target kProfiles{"net.hadess.PowerProfiles", "/net/hadess/PowerProfiles"};
constexpr const char* kProfilesInterface = "net.hadess.PowerProfiles";
// The service answers from memory; a longer wait means it hangs.
constexpr auto kReadTimeout = 2s;
constexpr auto kChangeTimeout = 10s;

constexpr std::array<std::string_view, 3> kNames{"power-saver", "balanced", "performance"};

std::string describe(const orvo_dbus::Error& error) { return describe_service_error(error, "the power-profile service"); }

std::expected<sdbus::Variant, std::string> read(std::string_view property) {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return std::unexpected(describe(bus.error()));
  auto value = bus->property(kProfiles, kProfilesInterface, property, kReadTimeout);
  if (!value) return std::unexpected(describe(value.error()));
  return std::move(*value);
}

constexpr std::string_view kUnexpectedForm = "the power-profile service answered in an unexpected form";

}  // namespace

std::string_view profile_name(std::uint8_t profile) { return profile < kNames.size() ? kNames[profile] : ""; }

std::optional<std::uint8_t> profile_from_name(std::string_view name) {
  for (std::size_t i = 0; i < kNames.size(); ++i) {
    if (kNames[i] == name) return static_cast<std::uint8_t>(i);
  }
  return std::nullopt;
}

std::expected<std::uint8_t, std::string> get_power_profile() {
  auto value = read("ActiveProfile");
  if (!value) return std::unexpected(value.error());
  const auto name = orvo_dbus::get<std::string>(*value);
  if (!name) return std::unexpected(std::string(kUnexpectedForm));
  const auto profile = profile_from_name(*name);
  if (!profile) return std::unexpected("the power-profile service reports an unknown profile \"" + *name + "\"");
  return *profile;
}

std::expected<std::vector<std::uint8_t>, std::string> available_power_profiles() {
  auto value = read("Profiles");
  if (!value) return std::unexpected(value.error());
  using Entry = std::map<std::string, sdbus::Variant>;
  const auto entries = orvo_dbus::get<std::vector<Entry>>(*value);
  if (!entries) return std::unexpected(std::string(kUnexpectedForm));
  std::vector<std::uint8_t> profiles;
  for (const Entry& entry : *entries) {
    const auto it = entry.find("Profile");
    if (it == entry.end()) continue;
    const auto name = orvo_dbus::get<std::string>(it->second);
    const auto profile = name ? profile_from_name(*name) : std::nullopt;
    if (profile && std::find(profiles.begin(), profiles.end(), *profile) == profiles.end()) profiles.push_back(*profile);
  }
  return profiles;
}

std::expected<void, std::string> set_power_profile(std::string_view name) {
  if (!profile_from_name(name)) return std::unexpected("\"" + std::string(name) + "\" is not a power profile");
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return std::unexpected(describe(bus.error()));
  auto set = bus->set_property(kProfiles, kProfilesInterface, "ActiveProfile", sdbus::Variant(std::string(name)),
                               kChangeTimeout);
  if (!set) return std::unexpected(describe(set.error()));
  return {};
}

}  // namespace os_actions::power

#pragma once
// Power profiles through the power-profiles service on the system bus ("net.hadess.PowerProfiles").
// A profile is a number: 0 power saver, 1 balanced, 2 performance; the service names them
// "power-saver", "balanced" and "performance".
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace os_actions::power {

inline constexpr std::uint8_t kPowerSaver = 0;
inline constexpr std::uint8_t kBalanced = 1;
inline constexpr std::uint8_t kPerformance = 2;

// The service's name of a profile; empty for a number that is no profile.
std::string_view profile_name(std::uint8_t profile);
// The profile the service calls `name`; none for a name that is no profile.
std::optional<std::uint8_t> profile_from_name(std::string_view name);

// The active profile.
std::expected<std::uint8_t, std::string> get_power_profile();
// The profiles the service offers on this machine, in its order; names it does not know are left out.
std::expected<std::vector<std::uint8_t>, std::string> available_power_profiles();
// Makes `name` ("power-saver", "balanced" or "performance") the active profile.
std::expected<void, std::string> set_power_profile(std::string_view name);

}  // namespace os_actions::power

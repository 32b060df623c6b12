#pragma once
// Battery facts read from sysfs (power_supply and the vendor charge-control files).
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <vector>

namespace os_actions::battery {

enum class ChargeControlKind : std::uint8_t {
  StopThreshold = 0,     // charging stops at the cap
  ConservationMode = 1,  // a vendor switch between a fixed conservation level and full charge
  StartEndWindow = 2,    // charging starts below a start threshold and stops at the cap
};

// How the battery's charge can be capped.
struct ChargeCapability {
  std::vector<std::uint32_t> supported_percents;  // ascending
  std::uint32_t current_percent = 100;            // the cap in force now
  bool start_stop_thresholds = false;
  ChargeControlKind kind = ChargeControlKind::StopThreshold;
};

// The first battery's charge-cap control; none when no battery offers one (a desktop, a laptop
// without vendor support). An error when a control exists but cannot be read.
std::expected<std::optional<ChargeCapability>, std::string> charge_capability();

}  // namespace os_actions::battery

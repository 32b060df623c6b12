#pragma once
// Battery facts: the charge cap from sysfs (power_supply and the vendor charge-control files), the
// battery and the other power devices from the power service on the system bus
// ("org.freedesktop.UPower").
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
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

// Caps the first battery's charge at `percent`, one of the caps `charge_capability` offers: a stop
// threshold is written as it is; a start/end window lowers its start first when the new cap is not
// above it; conservation mode is switched on for its level and off for 100%. Answers the capability
// read back after the write, or why the cap was not applied (the kernel's own words when it
// refused the write; a cap the hardware did not keep is an error too).
std::expected<ChargeCapability, std::string> set_charge_limit_checked(std::uint32_t percent);

// The laptop's own battery as the power service reports it.
struct BatteryInfo {
  bool present = false;
  std::uint32_t percent = 0;
  std::optional<std::uint32_t> cycle_count;
  // The service's "Capacity": the full charge today over the design capacity, in percent.
  std::optional<double> capacity;
  // The service's state number (1 charging, 2 discharging, 4 fully charged, ...).
  std::uint32_t state = 0;
  std::optional<std::int64_t> seconds_to_empty;
  std::optional<std::int64_t> seconds_to_full;

  // The first present battery that powers the machine; not present when there is none or the
  // service does not answer.
  static BatteryInfo from_system();

  // The capacity rounded to a whole percent; none when the battery does not report it.
  std::optional<std::uint32_t> health_percent() const;
  // One sentence on what the health figure means.
  std::string health_explanation() const;
  // The state in words, with the time left or to full when known ("Discharging · 2 h 5 min left").
  std::string summary() const;
};

// A battery or an uninterruptible power supply the power service knows of.
struct PowerDevice {
  std::string name;  // the kernel's name of the device, else the last part of its object path
  std::optional<std::string> model;
  std::string state;  // the state in words
  std::uint32_t percent = 0;
  bool ups = false;
};

// The batteries and UPS units, in the service's order; empty when the service does not answer.
std::vector<PowerDevice> power_devices();

// The state number of the power service in words.
std::string_view state_text(std::uint32_t state);

}  // namespace os_actions::battery

#include "os_actions/battery.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <fmt/format.h>

#include "orvo_runtime/system_paths.h"
#include "sysfs.h"

namespace os_actions::battery {
namespace {

namespace fs = std::filesystem;

// The caps offered for threshold-style controls; the cap in force is always offered too.
constexpr std::uint32_t kThresholdCaps[] = {50, 60, 70, 80, 90, 100};
// Conservation mode holds the battery around this level.
constexpr std::uint32_t kConservationPercent = 60;

std::vector<fs::path> sorted_entries(const fs::path& dir) {
  std::vector<fs::path> entries;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(dir, ec)) entries.push_back(entry.path());
  std::sort(entries.begin(), entries.end());
  return entries;
}

std::vector<fs::path> batteries() {
  std::vector<fs::path> found;
  for (const auto& supply : sorted_entries(system_paths::sys() / "class/power_supply")) {
    if (sysfs::read_trimmed(supply / "type") == "Battery") found.push_back(supply);
  }
  return found;
}

std::optional<fs::path> conservation_switch() {
  for (const auto& device : sorted_entries(system_paths::sys() / "bus/platform/drivers/ideapad_acpi")) {
    const auto file = device / "conservation_mode";
    if (fs::exists(file)) return file;
  }
  return std::nullopt;
}

}  // namespace

std::expected<std::optional<ChargeCapability>, std::string> charge_capability() {
  const auto found = batteries();
  if (found.empty()) return std::optional<ChargeCapability>{};

  for (const auto& battery : found) {
    const auto end_file = battery / "charge_control_end_threshold";
    if (!fs::exists(end_file)) continue;
    const auto end = sysfs::read_u32(end_file);
    if (!end || *end > 100) {
      return std::unexpected(fmt::format("could not read the charge cap of {}", battery.filename().string()));
    }
    ChargeCapability capability;
    capability.current_percent = *end;
    capability.supported_percents.assign(std::begin(kThresholdCaps), std::end(kThresholdCaps));
    if (std::find(capability.supported_percents.begin(), capability.supported_percents.end(), *end) ==
        capability.supported_percents.end()) {
      capability.supported_percents.push_back(*end);
      std::sort(capability.supported_percents.begin(), capability.supported_percents.end());
    }
    if (fs::exists(battery / "charge_control_start_threshold")) {
      capability.start_stop_thresholds = true;
      capability.kind = ChargeControlKind::StartEndWindow;
    }
    return capability;
  }

  if (const auto conservation = conservation_switch()) {
    const auto mode = sysfs::read_trimmed(*conservation);
    if (!mode || (*mode != "0" && *mode != "1")) return std::unexpected("could not read the battery conservation mode");
    return ChargeCapability{{kConservationPercent, 100}, *mode == "1" ? kConservationPercent : 100u, false,
                            ChargeControlKind::ConservationMode};
  }
  return std::optional<ChargeCapability>{};
}

}  // namespace os_actions::battery

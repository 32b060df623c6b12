#include "os_actions/battery.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
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

// The first battery's stop-threshold file; none when no battery has one.
std::optional<fs::path> end_threshold_file() {
  for (const auto& battery : batteries()) {
    const auto end_file = battery / "charge_control_end_threshold";
    if (fs::exists(end_file)) return end_file;
  }
  return std::nullopt;
}

// Writes one value the way the kernel takes it; the error is the kernel's refusal in words.
std::expected<void, std::string> write_value(const fs::path& file, std::string_view value) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return std::unexpected(fmt::format("could not write {}: {}", file.filename().string(), std::strerror(errno)));
  const std::string line = std::string(value) + "\n";
  const ssize_t written = ::write(fd, line.data(), line.size());
  const int write_error = errno;
  const int closed = ::close(fd);
  if (written != static_cast<ssize_t>(line.size())) {
    return std::unexpected(fmt::format("could not write {}: {}", file.filename().string(),
                                       written < 0 ? std::strerror(write_error) : "short write"));
  }
  if (closed != 0) return std::unexpected(fmt::format("could not write {}: {}", file.filename().string(), std::strerror(errno)));
  return {};
}

// How far below a lowered cap the start threshold goes, so the battery is not topped up for every
// percent it loses.
constexpr std::uint32_t kChargeWindow = 10;

std::expected<void, std::string> write_threshold(const fs::path& end_file, std::uint32_t percent) {
  const auto start_file = end_file.parent_path() / "charge_control_start_threshold";
  if (fs::exists(start_file)) {
    const auto start = sysfs::read_u32(start_file);
    if (!start) return std::unexpected(fmt::format("could not read {}", start_file.filename().string()));
    // The kernel refuses a stop threshold at or below the start threshold.
    if (*start >= percent) {
      const std::uint32_t lowered = percent > kChargeWindow ? percent - kChargeWindow : 0;
      if (auto written = write_value(start_file, std::to_string(lowered)); !written) return written;
    }
  }
  return write_value(end_file, std::to_string(percent));
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

std::expected<ChargeCapability, std::string> set_charge_limit_checked(std::uint32_t percent) {
  // The control is found again rather than trusted from an earlier read: the battery may be gone.
  std::expected<void, std::string> written;
  if (const auto end_file = end_threshold_file()) {
    const bool offered = std::find(std::begin(kThresholdCaps), std::end(kThresholdCaps), percent) != std::end(kThresholdCaps) ||
                         sysfs::read_u32(*end_file) == percent;
    if (!offered) return std::unexpected(fmt::format("{}% is not a charge cap this battery offers", percent));
    written = write_threshold(*end_file, percent);
  } else if (const auto conservation = conservation_switch()) {
    if (percent != kConservationPercent && percent != 100) {
      return std::unexpected(fmt::format("{}% is not a charge cap this battery offers", percent));
    }
    written = write_value(*conservation, percent == kConservationPercent ? "1" : "0");
  } else {
    return std::unexpected("this device has no battery charge-cap control");
  }
  if (!written) return std::unexpected(written.error());

  auto read_back = charge_capability();
  if (!read_back) return std::unexpected(read_back.error());
  if (!*read_back) return std::unexpected("the battery charge-cap control disappeared");
  if ((*read_back)->current_percent != percent) {
    return std::unexpected(fmt::format("the battery kept a {}% charge cap", (*read_back)->current_percent));
  }
  return std::move(**read_back);
}

}  // namespace os_actions::battery

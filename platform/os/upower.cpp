// The battery, the power devices and the charge history, from the power service.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <tuple>

#include <fmt/format.h>

#include "orvo_dbus/connection.h"
#include "orvo_power_mgmt/history.h"
#include "os_actions/battery.h"

namespace os_actions::battery {
namespace {

using namespace std::chrono_literals;

constexpr const char* kService = "org.freedesktop.UPower";
constexpr const char* kDeviceInterface = "org.freedesktop.UPower.Device";
const orvo_dbus::Target kManager{kService, "/org/freedesktop/UPower"};
// The service answers from memory; a longer wait means it hangs.
constexpr auto kTimeout = 2s;

// The service's device kinds.
constexpr std::uint32_t kKindBattery = 2;
constexpr std::uint32_t kKindUps = 3;

struct Device {
  std::string path;
  orvo_dbus::Properties properties;
};

// Every device the service lists, with its properties; empty when it does not answer.
std::vector<Device> devices(orvo_dbus::Connection& bus) {
  auto listed = bus.call<std::vector<sdbus::ObjectPath>>(kManager, "org.freedesktop.UPower", "EnumerateDevices", kTimeout);
  if (!listed) return {};
  std::vector<Device> found;
  for (const auto& path : std::get<0>(*listed)) {
    auto properties = bus.all_properties({kService, path}, kDeviceInterface, kTimeout);
    if (properties) found.push_back({path, std::move(*properties)});
  }
  return found;
}

template <typename T>
T value_or(const orvo_dbus::Properties& properties, const char* name, T fallback) {
  return orvo_dbus::get<T>(properties, name).value_or(fallback);
}

std::uint32_t whole_percent(double value) {
  if (!std::isfinite(value) || value <= 0) return 0;
  return static_cast<std::uint32_t>(std::lround(std::min(value, 100.0)));
}

bool is_system_battery(const orvo_dbus::Properties& properties) {
  return value_or<std::uint32_t>(properties, "Type", 0) == kKindBattery &&
         value_or<bool>(properties, "PowerSupply", false) && value_or<bool>(properties, "IsPresent", false);
}

std::optional<Device> system_battery(orvo_dbus::Connection& bus) {
  for (auto& device : devices(bus)) {
    if (is_system_battery(device.properties)) return std::move(device);
  }
  return std::nullopt;
}

std::string duration_text(std::int64_t seconds) {
  const std::int64_t minutes = (seconds + 59) / 60;
  if (minutes < 60) return fmt::format("{} min", minutes);
  if (minutes % 60 == 0) return fmt::format("{} h", minutes / 60);
  return fmt::format("{} h {} min", minutes / 60, minutes % 60);
}

}  // namespace

std::string_view state_text(std::uint32_t state) {
  switch (state) {
    case 1: return "Charging";
    case 2: return "Discharging";
    case 3: return "Empty";
    case 4: return "Fully charged";
    case 5: return "Not charging";
    case 6: return "Waiting to discharge";
    default: return "Unknown";
  }
}

BatteryInfo BatteryInfo::from_system() {
  BatteryInfo info;
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return info;
  const auto battery = system_battery(*bus);
  if (!battery) return info;
  const auto& properties = battery->properties;
  info.present = true;
  info.percent = whole_percent(value_or<double>(properties, "Percentage", 0));
  info.state = value_or<std::uint32_t>(properties, "State", 0);
  // The service reports -1 or 0 when the battery keeps no count.
  if (const auto cycles = orvo_dbus::get<std::int32_t>(properties, "ChargeCycles"); cycles && *cycles > 0) {
    info.cycle_count = static_cast<std::uint32_t>(*cycles);
  }
  if (const auto capacity = orvo_dbus::get<double>(properties, "Capacity");
      capacity && std::isfinite(*capacity) && *capacity > 0) {
    info.capacity = *capacity;
  }
  if (const auto empty = orvo_dbus::get<std::int64_t>(properties, "TimeToEmpty"); empty && *empty > 0) {
    info.seconds_to_empty = *empty;
  }
  if (const auto full = orvo_dbus::get<std::int64_t>(properties, "TimeToFull"); full && *full > 0) {
    info.seconds_to_full = *full;
  }
  return info;
}

std::optional<std::uint32_t> BatteryInfo::health_percent() const {
  if (!capacity) return std::nullopt;
  return whole_percent(*capacity);
}

std::string BatteryInfo::health_explanation() const {
  const auto health = health_percent();
  if (!health) return "This battery does not report how much of its design capacity it keeps.";
  if (*health >= 80) return "The battery holds most of the charge it held when new.";
  return "The battery has worn: a full charge lasts noticeably less than when it was new.";
}

std::string BatteryInfo::summary() const {
  if (!present) return "No battery";
  const std::string words(state_text(state));
  if (state == 2 && seconds_to_empty) return fmt::format("{} · {} left", words, duration_text(*seconds_to_empty));
  if (state == 1 && seconds_to_full) return fmt::format("{} · {} until full", words, duration_text(*seconds_to_full));
  return words;
}

std::vector<PowerDevice> power_devices() {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return {};
  std::vector<PowerDevice> found;
  for (const auto& device : devices(*bus)) {
    const auto kind = value_or<std::uint32_t>(device.properties, "Type", 0);
    if (kind != kKindBattery && kind != kKindUps) continue;
    PowerDevice row;
    row.name = value_or<std::string>(device.properties, "NativePath", "");
    if (row.name.empty()) row.name = device.path.substr(device.path.rfind('/') + 1);
    if (auto model = orvo_dbus::get<std::string>(device.properties, "Model"); model && !model->empty()) {
      row.model = std::move(*model);
    }
    row.state = state_text(value_or<std::uint32_t>(device.properties, "State", 0));
    row.percent = whole_percent(value_or<double>(device.properties, "Percentage", 0));
    row.ups = kind == kKindUps;
    found.push_back(std::move(row));
  }
  return found;
}

}  // namespace os_actions::battery

namespace orvo_power_mgmt::history {

std::vector<BatterySample> thin_samples(std::vector<BatterySample> samples) {
  std::stable_sort(samples.begin(), samples.end(), [](const auto& a, const auto& b) { return a.time < b.time; });
  std::vector<BatterySample> kept;
  for (const auto& sample : samples) {
    if (!kept.empty() && sample.time < kept.back().time + kSampleSpacingSeconds) continue;
    kept.push_back(sample);
  }
  return kept;
}

std::vector<BatterySample> load_battery_history() {
  using namespace os_actions::battery;
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return {};
  const auto battery = system_battery(*bus);
  if (!battery) return {};
  // One point per 15 minutes of the span at most.
  constexpr std::uint32_t kResolution = kHistorySeconds / kSampleSpacingSeconds;
  using Point = sdbus::Struct<std::uint32_t, double, std::uint32_t>;
  auto reply = bus->call<std::vector<Point>>({kService, battery->path}, kDeviceInterface, "GetHistory", kTimeout,
                                             std::string("charge"), kHistorySeconds, kResolution);
  if (!reply) return {};
  std::vector<BatterySample> samples;
  for (const auto& point : std::get<0>(*reply)) {
    const double percent = std::get<1>(point);
    if (!std::isfinite(percent) || std::get<0>(point) == 0) continue;
    samples.push_back({std::get<0>(point), std::clamp(percent, 0.0, 100.0)});
  }
  return thin_samples(std::move(samples));
}

}  // namespace orvo_power_mgmt::history

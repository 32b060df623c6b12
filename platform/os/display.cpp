#include "os_actions/display.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include <fmt/format.h>

#include "orvo_dbus/connection.h"
#include "orvo_runtime/system_paths.h"
#include "service_error.h"
#include "sysfs.h"

namespace os_actions::display {
namespace {

namespace fs = std::filesystem;

constexpr std::array<std::string_view, 3> kKindPreference = {"firmware", "platform", "raw"};

const orvo_dbus::Target kCallerSession{"org.freedesktop.login1", "/org/freedesktop/login1/session/auto"};
constexpr std::string_view kSessionInterface = "org.freedesktop.login1.Session";
const orvo_dbus::Target kSensorProxy{"net.hadess.SensorProxy", "/net/hadess/SensorProxy"};
constexpr std::string_view kSensorProxyInterface = "net.hadess.SensorProxy";
constexpr std::chrono::milliseconds kSensorProxyTimeout{2000};

struct Backlight {
  fs::path dir;
  std::uint32_t max = 0;

  std::string name() const { return dir.filename().string(); }
};

std::size_t kind_rank(const fs::path& device) {
  const auto kind = sysfs::read_trimmed(device / "type");
  const auto it = kind ? std::find(kKindPreference.begin(), kKindPreference.end(), *kind) : kKindPreference.end();
  return static_cast<std::size_t>(it - kKindPreference.begin());
}

std::expected<Backlight, std::string> find_backlight() {
  std::vector<fs::path> devices;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(system_paths::sys() / "class/backlight", ec)) {
    devices.push_back(entry.path());
  }
  // Sorted by kind, then by name, so the choice does not depend on directory order.
  std::vector<std::pair<std::size_t, fs::path>> ranked;
  for (auto& device : devices) ranked.emplace_back(kind_rank(device), std::move(device));
  std::sort(ranked.begin(), ranked.end());
  for (const auto& [rank, device] : ranked) {
    const auto max = sysfs::read_u32(device / "max_brightness");
    if (max && *max > 0) return Backlight{device, *max};
  }
  return std::unexpected("no backlight device was found");
}

std::expected<void, std::string> write_value(const fs::path& file, std::uint32_t value) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return std::unexpected(std::strerror(errno));
  const auto text = std::to_string(value);
  const auto written = ::write(fd, text.data(), text.size());
  const int write_errno = errno;
  ::close(fd);
  if (written != static_cast<ssize_t>(text.size())) {
    return std::unexpected(written < 0 ? std::strerror(write_errno) : "short write");
  }
  return {};
}

// Through the login manager on the caller's own session.
std::expected<void, orvo_dbus::Error> set_through_session(const Backlight& device, std::uint32_t value) {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return std::unexpected(bus.error());
  auto reply = bus->call<>(kCallerSession, kSessionInterface, "SetBrightness", orvo_dbus::kDefaultTimeout,
                           std::string("backlight"), device.name(), value);
  if (!reply) return std::unexpected(reply.error());
  return {};
}

bool iio_illuminance_device() {
  std::error_code ec;
  for (const auto& device : fs::directory_iterator(system_paths::sys() / "bus/iio/devices", ec)) {
    std::error_code exists_ec;
    if (fs::exists(device.path() / "in_illuminance_raw", exists_ec) ||
        fs::exists(device.path() / "in_illuminance_input", exists_ec)) {
      return true;
    }
  }
  return false;
}

bool sensor_proxy_has_ambient_light() {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return false;
  const auto value = bus->property(kSensorProxy, kSensorProxyInterface, "HasAmbientLight", kSensorProxyTimeout);
  return value && orvo_dbus::get<bool>(*value).value_or(false);
}

}  // namespace

std::expected<float, std::string> get_brightness() {
  const auto device = find_backlight();
  if (!device) return std::unexpected(device.error());
  auto actual = sysfs::read_u32(device->dir / "actual_brightness");
  if (!actual) actual = sysfs::read_u32(device->dir / "brightness");
  if (!actual) return std::unexpected(fmt::format("could not read the brightness of {}", device->name()));
  // Some drivers briefly report more than the maximum while a change settles.
  return std::min(1.0f, static_cast<float>(*actual) / static_cast<float>(device->max));
}

std::expected<void, std::string> set_brightness(float percent) {
  if (!std::isfinite(percent) || percent < 0.0f || percent > 100.0f) {
    return std::unexpected(fmt::format("brightness must be a percentage from 0 to 100, not {}", percent));
  }
  const auto device = find_backlight();
  if (!device) return std::unexpected(device.error());
  const auto value =
      static_cast<std::uint32_t>(std::lround(static_cast<double>(percent) / 100.0 * static_cast<double>(device->max)));

  const auto through_session = set_through_session(*device, value);
  if (through_session) return {};
  const auto file = device->dir / "brightness";
  if (::access(file.c_str(), W_OK) == 0) {
    const auto written = write_value(file, value);
    if (written) return {};
    return std::unexpected(fmt::format("could not write the brightness of {}: {}", device->name(), written.error()));
  }
  return std::unexpected(fmt::format("could not set the brightness of {}: {}", device->name(),
                                     describe_service_error(through_session.error(), "the login manager")));
}

bool has_ambient_light_sensor() { return iio_illuminance_device() || sensor_proxy_has_ambient_light(); }

}  // namespace os_actions::display

#include "os_actions/network.h"

#include <vector>

#include "orvo_dbus/connection.h"
#include "service_error.h"

namespace os_actions::network {
namespace {

using orvo_dbus::Target;

constexpr const char* kService = "org.freedesktop.NetworkManager";
constexpr const char* kManagerPath = "/org/freedesktop/NetworkManager";
constexpr const char* kManagerInterface = "org.freedesktop.NetworkManager";
constexpr const char* kDeviceInterface = "org.freedesktop.NetworkManager.Device";
constexpr const char* kActiveInterface = "org.freedesktop.NetworkManager.Connection.Active";
constexpr const char* kIp4Interface = "org.freedesktop.NetworkManager.IP4Config";
constexpr std::uint32_t kDeviceTypeEthernet = 1;
// Device states from "prepare" (40) to "activated" (100) mean the link is coming up or up.
constexpr std::uint32_t kStatePrepare = 40;
constexpr std::uint32_t kStateActivated = 100;

std::string failure(const orvo_dbus::Error& error) {
  return "Could not read the wired connection: " + describe_service_error(error, "the network service");
}

bool is_object(const std::optional<sdbus::ObjectPath>& path) { return path && !path->empty() && *path != "/"; }

}  // namespace

std::expected<WiredState, std::string> get_wired() {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return std::unexpected(failure(bus.error()));
  auto devices = bus->property(Target{kService, kManagerPath}, kManagerInterface, "Devices");
  if (!devices) return std::unexpected(failure(devices.error()));
  const auto paths = orvo_dbus::get<std::vector<sdbus::ObjectPath>>(*devices).value_or(std::vector<sdbus::ObjectPath>{});

  std::optional<orvo_dbus::Properties> chosen;
  for (const auto& path : paths) {
    auto properties = bus->all_properties(Target{kService, path}, kDeviceInterface);
    if (!properties) continue;  // a device that vanished between the two reads
    if (orvo_dbus::get<std::uint32_t>(*properties, "DeviceType") != kDeviceTypeEthernet) continue;
    const bool activated = orvo_dbus::get<std::uint32_t>(*properties, "State") == kStateActivated;
    if (!chosen || activated) chosen = std::move(*properties);
    if (activated) break;
  }
  if (!chosen) return WiredState{};

  WiredState state;
  state.interface = orvo_dbus::get<std::string>(*chosen, "Interface");
  const auto device_state = orvo_dbus::get<std::uint32_t>(*chosen, "State").value_or(0);
  state.enabled = device_state >= kStatePrepare && device_state <= kStateActivated;

  const auto active = orvo_dbus::get<sdbus::ObjectPath>(*chosen, "ActiveConnection");
  if (is_object(active)) {
    if (auto id = bus->property(Target{kService, *active}, kActiveInterface, "Id")) {
      state.connection = orvo_dbus::get<std::string>(*id);
    }
  }
  const auto ip4 = orvo_dbus::get<sdbus::ObjectPath>(*chosen, "Ip4Config");
  if (is_object(ip4)) {
    if (auto data = bus->property(Target{kService, *ip4}, kIp4Interface, "AddressData")) {
      const auto addresses = orvo_dbus::get<std::vector<std::map<std::string, sdbus::Variant>>>(*data);
      if (addresses && !addresses->empty()) state.ipv4 = orvo_dbus::get<std::string>(addresses->front(), "address");
    }
  }
  return state;
}

}  // namespace os_actions::network

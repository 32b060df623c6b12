// Changes to the Bluetooth service over the system bus: adapter power and discovery, and the
// device operations (pair, connect, trust, rename, forget).
#include <cstdlib>
#include <mutex>
#include <optional>

#include "orvo_dbus/connection.h"
#include "os_actions/bluez.h"
#include "service_error.h"

namespace os_actions::bluez {
namespace {

using namespace std::chrono_literals;

constexpr const char* kService = "org.bluez";
constexpr const char* kAdapterInterface = "org.bluez.Adapter1";
constexpr const char* kDeviceInterface = "org.bluez.Device1";
constexpr std::string_view kServiceName = "the Bluetooth service";
constexpr std::string_view kNoAdapter = "no Bluetooth adapter is present";

// Pairing waits for the person to confirm on both sides; a connection may take a while to set up.
constexpr auto kPairTimeout = 120s;
constexpr auto kConnectTimeout = 30s;

std::string describe(const orvo_dbus::Error& error) { return describe_service_error(error, kServiceName); }

// The first adapter, in object path order.
std::expected<std::string, std::string> first_adapter(orvo_dbus::Connection& bus) {
  auto objects = bus.managed_objects(orvo_dbus::Target{kService, "/"});
  if (!objects) return std::unexpected(describe(objects.error()));
  for (const auto& [path, interfaces] : *objects) {
    if (interfaces.contains(kAdapterInterface)) return std::string(path);
  }
  return std::unexpected(std::string(kNoAdapter));
}

std::expected<orvo_dbus::Connection, std::string> system_bus() {
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  if (!bus) return std::unexpected(describe(bus.error()));
  return std::move(*bus);
}

std::expected<bool, std::string> adapter_flag(std::string_view name) {
  auto bus = system_bus();
  if (!bus) return std::unexpected(bus.error());
  auto adapter = first_adapter(*bus);
  if (!adapter) return std::unexpected(adapter.error());
  auto value = bus->property(orvo_dbus::Target{kService, *adapter}, kAdapterInterface, name);
  if (!value) return std::unexpected(describe(value.error()));
  auto flag = orvo_dbus::get<bool>(*value);
  if (!flag) return std::unexpected(std::string(name) + " is not reported by the adapter");
  return *flag;
}

Done device_call(std::string_view path, std::string_view method, std::chrono::milliseconds timeout) {
  auto bus = system_bus();
  if (!bus) return std::unexpected(bus.error());
  auto done = bus->call<>(orvo_dbus::Target{kService, std::string(path)}, kDeviceInterface, method, timeout);
  if (!done) return std::unexpected(describe(done.error()));
  return {};
}

Done device_property(std::string_view path, std::string_view name, const sdbus::Variant& value) {
  auto bus = system_bus();
  if (!bus) return std::unexpected(bus.error());
  auto done = bus->set_property(orvo_dbus::Target{kService, std::string(path)}, kDeviceInterface, name, value);
  if (!done) return std::unexpected(describe(done.error()));
  return {};
}

// The connection that discovery runs on. The service ends a discovery when the client that started
// it leaves the bus, so it lives as long as the program; the mutex gives it to one thread at a time.
// It is opened again when the system bus's address changes (or the bus went away).
class DiscoveryConnection {
 public:
  Done call(std::string_view method) {
    std::lock_guard lock(mutex_);
    Done first = attempt(method);
    if (first || !broken_) return first;
    return attempt(method);
  }

 private:
  static std::string bus_address() {
    const char* address = std::getenv("DBUS_SYSTEM_BUS_ADDRESS");
    return address ? address : "";
  }

  Done attempt(std::string_view method) {
    broken_ = false;
    if (!bus_ || address_ != bus_address()) {
      bus_.reset();
      auto opened = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
      if (!opened) return std::unexpected(describe(opened.error()));
      bus_.emplace(std::move(*opened));
      address_ = bus_address();
    }
    auto adapter = first_adapter(*bus_);
    if (!adapter) return fail_on(adapter.error());
    const orvo_dbus::Target target{kService, *adapter};
    if (method == "StartDiscovery") {
      auto filtered = bus_->call<>(target, kAdapterInterface, "SetDiscoveryFilter", orvo_dbus::kDefaultTimeout,
                                   std::map<std::string, sdbus::Variant>{});
      if (!filtered) return fail_on(filtered.error());
    }
    auto done = bus_->call<>(target, kAdapterInterface, method, orvo_dbus::kDefaultTimeout);
    if (!done) return fail_on(done.error());
    return {};
  }

  Done fail_on(const orvo_dbus::Error& error) { return fail_on(describe(error), error.name); }
  Done fail_on(std::string message, std::string_view name = {}) {
    // A connection the bus dropped is opened anew, once.
    if (name == "org.freedesktop.DBus.Error.Disconnected" || name == "org.orvo.Error.Local") {
      broken_ = true;
      bus_.reset();
    }
    return std::unexpected(std::move(message));
  }

  std::mutex mutex_;
  std::optional<orvo_dbus::Connection> bus_;
  std::string address_;
  bool broken_ = false;
};

DiscoveryConnection& discovery() {
  static DiscoveryConnection* connection = new DiscoveryConnection();  // kept until the program ends
  return *connection;
}

}  // namespace

std::expected<bool, std::string> is_powered() { return adapter_flag("Powered"); }
std::expected<bool, std::string> is_scanning() { return adapter_flag("Discovering"); }

Done set_powered(bool enabled) {
  auto bus = system_bus();
  if (!bus) return std::unexpected(bus.error());
  auto adapter = first_adapter(*bus);
  if (!adapter) return std::unexpected(adapter.error());
  auto done = bus->set_property(orvo_dbus::Target{kService, *adapter}, kAdapterInterface, "Powered", sdbus::Variant(enabled));
  if (!done) return std::unexpected(describe(done.error()));
  return {};
}

Done start_scan() { return discovery().call("StartDiscovery"); }
Done stop_scan() { return discovery().call("StopDiscovery"); }

std::expected<std::optional<std::string>, std::string> pair(std::string_view path) {
  if (auto paired = device_call(path, "Pair", kPairTimeout); !paired) return std::unexpected(paired.error());
  if (auto connected = device_call(path, "Connect", kConnectTimeout); !connected) return std::optional<std::string>(connected.error());
  return std::nullopt;
}

Done cancel_pairing(std::string_view path) { return device_call(path, "CancelPairing", orvo_dbus::kDefaultTimeout); }
Done connect(std::string_view path) { return device_call(path, "Connect", kConnectTimeout); }
Done disconnect(std::string_view path) { return device_call(path, "Disconnect", kConnectTimeout); }

Done set_trusted(std::string_view path, bool trusted) { return device_property(path, "Trusted", sdbus::Variant(trusted)); }
Done set_alias(std::string_view path, std::string_view alias) {
  return device_property(path, "Alias", sdbus::Variant(std::string(alias)));
}

Done forget(std::string_view path) {
  auto bus = system_bus();
  if (!bus) return std::unexpected(bus.error());
  auto adapter = bus->property(orvo_dbus::Target{kService, std::string(path)}, kDeviceInterface, "Adapter");
  if (!adapter) return std::unexpected(describe(adapter.error()));
  auto adapter_path = orvo_dbus::get<sdbus::ObjectPath>(*adapter);
  if (!adapter_path) return std::unexpected(std::string("the device does not name its adapter"));
  auto done = bus->call<>(orvo_dbus::Target{kService, *adapter_path}, kAdapterInterface, "RemoveDevice",
                          orvo_dbus::kDefaultTimeout, sdbus::ObjectPath(std::string(path)));
  if (!done) return std::unexpected(describe(done.error()));
  return {};
}

}  // namespace os_actions::bluez

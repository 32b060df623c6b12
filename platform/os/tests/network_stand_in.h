#pragma once
// The network service's stand-in for tests: python3-dbusmock's networkmanager template on a private
// bus, with helpers for the objects the template does not make itself.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"

namespace os_actions_testing {

using namespace std::chrono_literals;

inline constexpr const char* kNm = "org.freedesktop.NetworkManager";
inline constexpr const char* kMock = "org.freedesktop.DBus.Mock";
inline constexpr const char* kNmManager = "/org/freedesktop/NetworkManager";
inline constexpr const char* kNmSettings = "/org/freedesktop/NetworkManager/Settings";
inline constexpr const char* kDevice = "org.freedesktop.NetworkManager.Device";

using Settings = std::map<std::string, orvo_dbus::Properties>;
using Methods = std::vector<sdbus::Struct<std::string, std::string, std::string, std::string>>;
using Calls = std::vector<sdbus::Struct<std::uint64_t, std::vector<sdbus::Variant>>>;

// Talks to the stand-in the way a test sets it up; every failure fails the test.
class NmStandIn {
 public:
  explicit NmStandIn(orvo_dbus::Connection client) : client_(std::move(client)) {}

  orvo_dbus::Connection& client() { return client_; }

  std::string add_wifi_device(const std::string& name = "wlan0") {
    return call_string({kNm, "/org/freedesktop"}, "AddWiFiDevice", "mock_" + name, name, std::int32_t{100});
  }
  std::string add_ethernet_device(const std::string& name, std::int32_t state) {
    return call_string({kNm, "/org/freedesktop"}, "AddEthernetDevice", "mock_" + name, name, state);
  }
  // `security` sets both the WPA and RSN flags; non-zero also sets the privacy flag.
  std::string add_access_point(const std::string& device, const std::string& name, const std::string& ssid,
                               std::uint8_t strength, std::uint32_t security) {
    return call_string({kNm, "/org/freedesktop"}, "AddAccessPoint", device, name, ssid,
                       std::string("00:11:22:33:44:55"), std::uint32_t{2}, std::uint32_t{2437}, std::uint32_t{54000},
                       strength, security);
  }
  std::string add_profile(const Settings& settings) {
    auto reply = client_.call<sdbus::ObjectPath>({kNm, kNmSettings}, "org.freedesktop.NetworkManager.Settings",
                                                 "AddConnection", 2s, settings);
    EXPECT_TRUE(reply.has_value()) << reply.error().text();
    return reply ? std::string(std::get<0>(*reply)) : std::string();
  }
  // Marks `profile` active on `devices` with `specific_object`; returns the active connection's path.
  std::string activate(const std::vector<std::string>& devices, const std::string& profile,
                       const std::string& specific_object, const std::string& name) {
    return call_string({kNm, "/org/freedesktop"}, "AddActiveConnection", devices, profile, specific_object, name,
                       std::uint32_t{2});
  }
  void add_object(const std::string& path, const std::string& interface, const orvo_dbus::Properties& properties) {
    auto reply = client_.call<>({kNm, "/org/freedesktop"}, kMock, "AddObject", 2s, path, interface, properties, Methods{});
    ASSERT_TRUE(reply.has_value()) << reply.error().text();
  }
  void add_property(const std::string& path, const std::string& interface, const std::string& name,
                    const sdbus::Variant& value) {
    auto reply = client_.call<>({kNm, path}, kMock, "AddProperty", 2s, interface, name, value);
    ASSERT_TRUE(reply.has_value()) << reply.error().text();
  }
  void set(const std::string& path, const std::string& interface, const std::string& name, const sdbus::Variant& value) {
    auto reply = client_.set_property({kNm, path}, interface, name, value);
    ASSERT_TRUE(reply.has_value()) << reply.error().text();
  }
  void add_method(const std::string& path, const std::string& interface, const std::string& name,
                  const std::string& in, const std::string& out, const std::string& code) {
    auto reply = client_.call<>({kNm, path}, kMock, "AddMethod", 2s, interface, name, in, out, code);
    ASSERT_TRUE(reply.has_value()) << reply.error().text();
  }
  Calls calls(const std::string& path, const std::string& method) {
    auto reply = client_.call<Calls>({kNm, path}, kMock, "GetMethodCalls", 2s, method);
    EXPECT_TRUE(reply.has_value()) << reply.error().text();
    return reply ? std::get<0>(*reply) : Calls{};
  }
  Settings settings_of(const std::string& profile) {
    auto reply = client_.call<Settings>({kNm, profile}, "org.freedesktop.NetworkManager.Settings.Connection",
                                        "GetSettings", 2s);
    EXPECT_TRUE(reply.has_value()) << reply.error().text();
    return reply ? std::get<0>(*reply) : Settings{};
  }

 private:
  template <typename... In>
  std::string call_string(const orvo_dbus::Target& target, const std::string& method, const In&... in) {
    auto reply = client_.call<std::string>(target, kMock, method, 2s, in...);
    EXPECT_TRUE(reply.has_value()) << method << ": " << reply.error().text();
    return reply ? std::get<0>(*reply) : std::string();
  }

  orvo_dbus::Connection client_;
};

inline std::vector<std::uint8_t> bytes(std::string_view text) { return {text.begin(), text.end()}; }

// A saved profile's settings with the fields every profile has.
inline Settings profile_settings(const std::string& id, const std::string& uuid, const std::string& type) {
  Settings settings;
  settings["connection"]["id"] = sdbus::Variant(id);
  settings["connection"]["uuid"] = sdbus::Variant(uuid);
  settings["connection"]["type"] = sdbus::Variant(type);
  return settings;
}

}  // namespace os_actions_testing

// Starts the bus and the network service's stand-in into `nm` (an NmStandIn), or skips the test.
#define ORVO_NM_STAND_IN(nm)                                                         \
  ORVO_STAND_IN_BUS(nm##_bus);                                                       \
  ORVO_STAND_IN_MOCK(nm##_bus, ::os_actions_testing::kNm, "--template", "networkmanager"); \
  auto nm##_client = orvo_dbus::Connection::open(orvo_dbus::Bus::System);           \
  ASSERT_TRUE(nm##_client.has_value());                                              \
  ::os_actions_testing::NmStandIn nm(std::move(*nm##_client))

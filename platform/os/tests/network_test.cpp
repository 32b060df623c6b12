#include "os_actions/network.h"

#include <gtest/gtest.h>

#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"

namespace {

using namespace std::chrono_literals;
using orvo_dbus::Target;

constexpr const char* kNm = "org.freedesktop.NetworkManager";
constexpr const char* kMock = "org.freedesktop.DBus.Mock";

TEST(NetworkWired, ReadsTheWiredDeviceItsConnectionAndAddress) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, kNm, "--template", "networkmanager");
  auto client = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  ASSERT_TRUE(client.has_value());

  auto none = os_actions::network::get_wired();
  ASSERT_TRUE(none.has_value()) << none.error();
  EXPECT_FALSE(none->interface.has_value());
  EXPECT_FALSE(none->enabled);

  const Target main{kNm, "/org/freedesktop"};
  auto wifi = client->call<std::string>(main, kMock, "AddWiFiDevice", 2s, std::string("mock_WiFi"),
                                        std::string("wlan0"), std::int32_t{100});
  ASSERT_TRUE(wifi.has_value()) << wifi.error().text();
  auto device = client->call<std::string>(main, kMock, "AddEthernetDevice", 2s, std::string("mock_Ethernet1"),
                                          std::string("enp3s0"), std::int32_t{100});
  ASSERT_TRUE(device.has_value()) << device.error().text();
  const std::string device_path = std::get<0>(*device);

  const std::string active = "/org/freedesktop/NetworkManager/ActiveConnection/7";
  const std::string ip4 = "/org/freedesktop/NetworkManager/IP4Config/7";
  using Methods = std::vector<sdbus::Struct<std::string, std::string, std::string, std::string>>;
  ASSERT_TRUE(client
                  ->call<>(main, kMock, "AddObject", 2s, active,
                           std::string("org.freedesktop.NetworkManager.Connection.Active"),
                           orvo_dbus::Properties{{"Id", sdbus::Variant(std::string("Office LAN"))}}, Methods{})
                  .has_value());
  std::vector<std::map<std::string, sdbus::Variant>> addresses{
      {{"address", sdbus::Variant(std::string("192.168.1.20"))}, {"prefix", sdbus::Variant(std::uint32_t{24})}}};
  ASSERT_TRUE(client
                  ->call<>(main, kMock, "AddObject", 2s, ip4, std::string("org.freedesktop.NetworkManager.IP4Config"),
                           orvo_dbus::Properties{{"AddressData", sdbus::Variant(addresses)}}, Methods{})
                  .has_value());
  const Target dev{kNm, device_path};
  ASSERT_TRUE(client->set_property(dev, "org.freedesktop.NetworkManager.Device", "ActiveConnection",
                                   sdbus::Variant(sdbus::ObjectPath(active)))
                  .has_value());
  ASSERT_TRUE(client
                  ->call<>(dev, kMock, "AddProperty", 2s, std::string("org.freedesktop.NetworkManager.Device"),
                           std::string("Ip4Config"), sdbus::Variant(sdbus::ObjectPath(ip4)))
                  .has_value());

  auto wired = os_actions::network::get_wired();
  ASSERT_TRUE(wired.has_value()) << wired.error();
  EXPECT_EQ(wired->interface, "enp3s0");
  EXPECT_EQ(wired->connection, "Office LAN");
  EXPECT_EQ(wired->ipv4, "192.168.1.20");
  EXPECT_TRUE(wired->enabled);
}

TEST(NetworkWired, UnpluggedDeviceIsPresentButNotEnabled) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, kNm, "--template", "networkmanager");
  auto client = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  ASSERT_TRUE(client.has_value());
  // State 20: unavailable (no cable).
  ASSERT_TRUE(client
                  ->call<std::string>(Target{kNm, "/org/freedesktop"}, kMock, "AddEthernetDevice", 2s,
                                      std::string("mock_Ethernet1"), std::string("eth0"), std::int32_t{20})
                  .has_value());
  auto wired = os_actions::network::get_wired();
  ASSERT_TRUE(wired.has_value()) << wired.error();
  EXPECT_EQ(wired->interface, "eth0");
  EXPECT_FALSE(wired->connection.has_value());
  EXPECT_FALSE(wired->ipv4.has_value());
  EXPECT_FALSE(wired->enabled);
}

TEST(NetworkWired, StoppedServiceGivesASentence) {
  ORVO_STAND_IN_BUS(bus);
  auto wired = os_actions::network::get_wired();
  ASSERT_FALSE(wired.has_value());
  EXPECT_EQ(wired.error(), "Could not read the wired connection: the network service is not running");
}

}  // namespace

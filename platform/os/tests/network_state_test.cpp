// Reading and switching networking against the network service's stand-in.
#include <gtest/gtest.h>

#include "network_stand_in.h"
#include "os_actions/dispatcher.h"
#include "os_actions/network.h"

namespace {

using namespace os_actions::network;
using namespace os_actions_testing;

constexpr std::uint32_t kPsk = 0x100 | 0x8;
constexpr std::uint32_t kEap = 0x200 | 0x8;
constexpr std::uint32_t kSae = 0x400 | 0x8;
constexpr std::uint32_t kPskAndSae = 0x100 | 0x400 | 0x8;

TEST(NetworkWifiList, OneRowPerNameWithItsStrongestSignal) {
  ORVO_NM_STAND_IN(nm);
  const std::string wlan = nm.add_wifi_device();
  nm.add_access_point(wlan, "ap_hidden", "", 90, kPsk);
  nm.add_access_point(wlan, "ap_home_far", "Home", 30, kPsk);
  nm.add_access_point(wlan, "ap_home_near", "Home", 80, kPsk);
  nm.add_access_point(wlan, "ap_cafe", "Cafe", 74, 0);
  nm.add_access_point(wlan, "ap_office", "Office", 50, kEap);
  nm.add_access_point(wlan, "ap_modern", "Modern", 49, kSae);
  nm.add_access_point(wlan, "ap_mixed", "Mixed", 25, kPskAndSae);
  nm.add_access_point(wlan, "ap_weak", "Weak", 24, kPsk);
  const std::string connected = nm.add_access_point(wlan, "ap_attic", "Attic", 75, kPsk);
  const std::string profile = [&] {
    auto settings = profile_settings("Attic", "a7710000-0000-4000-8000-000000000001", "802-11-wireless");
    settings["802-11-wireless"]["ssid"] = sdbus::Variant(bytes("Attic"));
    return nm.add_profile(settings);
  }();
  nm.activate({wlan}, profile, connected, "attic");

  auto networks = list_wifi_networks();
  ASSERT_TRUE(networks.has_value()) << networks.error();
  const std::vector<WifiNetwork> expected{
      // ssid, secured, in_use, bars, security
      {"Attic", true, 1, 3, 1},  {"Home", true, 0, 3, 1},  {"Cafe", false, 0, 2, 0}, {"Office", true, 0, 2, 0},
      {"Modern", true, 0, 1, 2}, {"Mixed", true, 0, 1, 1}, {"Weak", true, 0, 0, 1},
  };
  EXPECT_EQ(*networks, expected);
}

TEST(NetworkWifiList, NameBytesThatAreNotUtf8AreReplaced) {
  EXPECT_EQ(signal_bars(0), 0);
  EXPECT_EQ(signal_bars(100), 3);
  ORVO_NM_STAND_IN(nm);
  const std::string wlan = nm.add_wifi_device();
  const std::string ap = nm.add_access_point(wlan, "ap_latin1", "placeholder", 60, 0);
  nm.set(ap, "org.freedesktop.NetworkManager.AccessPoint", "Ssid",
         sdbus::Variant(std::vector<std::uint8_t>{'C', 0xE9, 'u', 0xC3}));
  auto networks = list_wifi_networks();
  ASSERT_TRUE(networks.has_value()) << networks.error();
  ASSERT_EQ(networks->size(), 1u);
  EXPECT_EQ(networks->front().ssid, "C\xEF\xBF\xBDu\xEF\xBF\xBD");
  EXPECT_TRUE(request_wifi_scan().has_value());
}

TEST(NetworkSwitches, WifiPowerIsSetAndReadBack) {
  ORVO_NM_STAND_IN(nm);
  const os_actions::RealDispatcher dispatcher;
  ASSERT_TRUE(dispatcher.set_wifi(false).has_value());
  EXPECT_EQ(get_wifi(), false);
  ASSERT_TRUE(set_wifi(true).has_value());
  EXPECT_EQ(get_wifi(), true);
}

TEST(NetworkSwitches, WiredIsBroughtUpAndDisconnected) {
  ORVO_NM_STAND_IN(nm);
  const os_actions::RealDispatcher dispatcher;
  EXPECT_EQ(dispatcher.set_wired(true).error(), "this computer has no wired network device");

  const std::string eth = nm.add_ethernet_device("enp3s0", 30);
  const std::string profile = nm.add_profile(profile_settings("Office LAN", "e7000000-0000-4000-8000-000000000001", "802-3-ethernet"));
  nm.set(eth, kDevice, "AvailableConnections", sdbus::Variant(std::vector<sdbus::ObjectPath>{sdbus::ObjectPath(profile)}));
  nm.add_method(eth, kDevice, "Disconnect", "", "",
                "self.Set('org.freedesktop.NetworkManager.Device', 'State', dbus.UInt32(30)); "
                "self.Set('org.freedesktop.NetworkManager.Device', 'ActiveConnection', dbus.ObjectPath('/'))");

  ASSERT_TRUE(dispatcher.set_wired(true).has_value());
  auto up = get_wired();
  ASSERT_TRUE(up.has_value()) << up.error();
  EXPECT_TRUE(up->enabled);
  EXPECT_EQ(up->connection, "Office LAN");

  ASSERT_TRUE(dispatcher.set_wired(false).has_value());
  auto down = get_wired();
  ASSERT_TRUE(down.has_value()) << down.error();
  EXPECT_FALSE(down->enabled);
  EXPECT_EQ(down->interface, "enp3s0");
  // Switching to the state it is in asks nothing of the service.
  ASSERT_TRUE(dispatcher.set_wired(false).has_value());
  EXPECT_EQ(nm.calls(eth, "Disconnect").size(), 1u);
}

TEST(NetworkRadios, StateCombinations) {
  ORVO_NM_STAND_IN(nm);
  struct Case {
    bool wifi;
    bool wwan;
    bool airplane;
  };
  for (const Case c : {Case{true, true, false}, Case{false, true, false}, Case{true, false, false}, Case{false, false, true}}) {
    nm.set(kNmManager, kNm, "WirelessEnabled", sdbus::Variant(c.wifi));
    nm.set(kNmManager, kNm, "WwanEnabled", sdbus::Variant(c.wwan));
    auto state = get_radio_state();
    ASSERT_TRUE(state.has_value()) << state.error();
    EXPECT_EQ(state->airplane_mode, c.airplane) << c.wifi << c.wwan;
    EXPECT_EQ(state->mobile_broadband, c.wwan);
    EXPECT_EQ(state->wifi, c.wifi);
    EXPECT_FALSE(state->mobile_present);
    EXPECT_EQ(state->hotspot, false);
  }

  const os_actions::RealDispatcher dispatcher;
  ASSERT_TRUE(dispatcher.set_airplane_mode(true).has_value());
  EXPECT_EQ(get_radio_state()->airplane_mode, true);
  EXPECT_EQ(get_wifi(), false);
  ASSERT_TRUE(dispatcher.set_airplane_mode(false).has_value());
  EXPECT_EQ(get_radio_state()->airplane_mode, false);
  ASSERT_TRUE(dispatcher.set_mobile_broadband(false).has_value());
  EXPECT_EQ(get_radio_state()->mobile_broadband, false);

  // A modem device makes mobile broadband present; an access-point connection is a hotspot.
  const std::string modem = "/org/freedesktop/NetworkManager/Devices/mock_Modem";
  nm.add_object(modem, kDevice, {{"DeviceType", sdbus::Variant(std::uint32_t{8})}, {"State", sdbus::Variant(std::uint32_t{30})},
                                 {"Interface", sdbus::Variant(std::string("cdc-wdm0"))}});
  const std::string wlan = nm.add_wifi_device();
  nm.set(kNmManager, kNm, "Devices",
         sdbus::Variant(std::vector<sdbus::ObjectPath>{sdbus::ObjectPath(modem), sdbus::ObjectPath(wlan)}));
  auto hotspot = profile_settings("Hotspot", "40750000-0000-4000-8000-000000000001", "802-11-wireless");
  hotspot["802-11-wireless"]["mode"] = sdbus::Variant(std::string("ap"));
  nm.activate({wlan}, nm.add_profile(hotspot), "/", "hotspot");
  auto state = get_radio_state();
  ASSERT_TRUE(state.has_value()) << state.error();
  EXPECT_TRUE(state->mobile_present);
  EXPECT_EQ(state->hotspot, true);
}

TEST(NetworkConnectivity, TheServicesFiveValuesAndTheSignInPage) {
  ORVO_NM_STAND_IN(nm);
  for (std::uint32_t value = 0; value <= 4; ++value) {
    ASSERT_TRUE(nm.client().call<>({kNm, kNmManager}, kMock, "SetConnectivity", 2s, value).has_value());
    EXPECT_EQ(get_connectivity(), static_cast<Connectivity>(value));
  }
  EXPECT_EQ(captive_portal_uri().error(), "the network service has no connectivity check address");
  nm.add_property(kNmManager, kNm, "ConnectivityCheckUri", sdbus::Variant(std::string("http://check.example.org/")));
  EXPECT_EQ(captive_portal_uri(), "http://check.example.org/");
}

}  // namespace

// Saved profiles, VPN and diagnostics against the network service's stand-in.
#include <arpa/inet.h>

#include <gtest/gtest.h>

#include "network_stand_in.h"
#include "os_actions/dispatcher.h"
#include "os_actions/network.h"

namespace {

using namespace os_actions::network;
using namespace os_actions_testing;

constexpr const char* kUuid = "0ff1ce00-0000-4000-8000-000000000001";
using AddressData = std::vector<std::map<std::string, sdbus::Variant>>;

std::uint32_t ipv4(const char* text) {
  in_addr address{};
  ::inet_pton(AF_INET, text, &address);
  return address.s_addr;
}

Settings office_wifi() {
  auto settings = profile_settings("Office", kUuid, "802-11-wireless");
  settings["connection"]["autoconnect"] = sdbus::Variant(true);
  settings["connection"]["metered"] = sdbus::Variant(std::int32_t{1});
  settings["802-11-wireless"]["ssid"] = sdbus::Variant(bytes("Office"));
  settings["802-11-wireless"]["assigned-mac-address"] = sdbus::Variant(std::string("random"));
  settings["ipv4"]["method"] = sdbus::Variant(std::string("manual"));
  settings["ipv4"]["address-data"] = sdbus::Variant(AddressData{
      {{"address", sdbus::Variant(std::string("10.0.0.5"))}, {"prefix", sdbus::Variant(std::uint32_t{24})}}});
  settings["ipv4"]["gateway"] = sdbus::Variant(std::string("10.0.0.1"));
  settings["ipv4"]["dns"] = sdbus::Variant(std::vector<std::uint32_t>{ipv4("10.0.0.53"), ipv4("9.9.9.9")});
  settings["proxy"]["method"] = sdbus::Variant(std::int32_t{1});
  settings["proxy"]["pac-url"] = sdbus::Variant(std::string("http://wpad.example.org/proxy.pac"));
  return settings;
}

TEST(NetworkProfiles, ListedAndReadByUuid) {
  ORVO_NM_STAND_IN(nm);
  nm.add_profile(office_wifi());
  nm.add_profile(profile_settings("Office", "0ff1ce00-0000-4000-8000-000000000002", "802-3-ethernet"));

  auto profiles = list_saved_network_profiles();
  ASSERT_TRUE(profiles.has_value()) << profiles.error();
  const std::vector<SavedNetworkProfile> expected{{"Office", kUuid, "802-11-wireless", true},
                                                  {"Office", "0ff1ce00-0000-4000-8000-000000000002", "802-3-ethernet", true}};
  EXPECT_EQ(*profiles, expected);

  auto settings = connection_profile_settings(kUuid);
  ASSERT_TRUE(settings.has_value()) << settings.error();
  EXPECT_EQ(settings->method_readable, "manual");
  EXPECT_FALSE(settings->automatic);
  EXPECT_EQ(settings->addresses, std::vector<std::string>{"10.0.0.5/24"});
  EXPECT_EQ(settings->gateway, "10.0.0.1");
  EXPECT_EQ(settings->dns, (std::vector<std::string>{"10.0.0.53", "9.9.9.9"}));
  EXPECT_EQ(settings->metered, Metered::Metered);
  EXPECT_EQ(settings->mac_policy, MacPolicy::Random);
  ASSERT_TRUE(settings->proxy.has_value());
  EXPECT_EQ(*settings->proxy, "http://wpad.example.org/proxy.pac");

  // A profile with nothing set reads as the service's defaults.
  auto wired = connection_profile_settings("0ff1ce00-0000-4000-8000-000000000002");
  ASSERT_TRUE(wired.has_value()) << wired.error();
  EXPECT_EQ(wired->method_readable, "auto");
  EXPECT_TRUE(wired->automatic);
  EXPECT_EQ(wired->metered, Metered::Automatic);
  EXPECT_EQ(wired->mac_policy, MacPolicy::Permanent);
  EXPECT_EQ(wired->proxy, std::optional<std::optional<std::string>>(std::optional<std::string>{}));

  EXPECT_EQ(connection_profile_settings("no-such-uuid").error(), "the connection profile no longer exists");
}

TEST(NetworkProfiles, ChangesAreWrittenBackAndReadBack) {
  ORVO_NM_STAND_IN(nm);
  const std::string path = nm.add_profile(office_wifi());

  ASSERT_TRUE(set_network_autoconnect(kUuid, false).has_value());
  EXPECT_FALSE(list_saved_network_profiles()->front().autoconnect);

  ASSERT_TRUE(configure_ipv4(kUuid, Ipv4Settings{false, {"192.168.7.20/23", " 192.168.7.21 "}, "192.168.6.1", {"1.1.1.1"}})
                  .has_value());
  auto manual = connection_profile_settings(kUuid);
  EXPECT_EQ(manual->addresses, (std::vector<std::string>{"192.168.7.20/23", "192.168.7.21/24"}));
  EXPECT_EQ(manual->gateway, "192.168.6.1");
  EXPECT_EQ(manual->dns, std::vector<std::string>{"1.1.1.1"});

  ASSERT_TRUE(configure_ipv4(kUuid, Ipv4Settings{true, {}, std::nullopt, {}}).has_value());
  auto automatic = connection_profile_settings(kUuid);
  EXPECT_TRUE(automatic->automatic);
  EXPECT_TRUE(automatic->addresses.empty());
  // The service replaces a profile's settings with what Update carries (the stand-in merges them):
  // the gateway, which the service refuses without addresses, is no longer in it.
  const auto updates_so_far = nm.calls(path, "Update");
  ASSERT_FALSE(updates_so_far.empty());
  const auto written = updates_so_far.back().get<1>().at(0).get<Settings>();
  EXPECT_FALSE(written.at("ipv4").contains("gateway"));
  EXPECT_FALSE(written.at("ipv4").contains("addresses"));
  EXPECT_TRUE(written.at("802-11-wireless").contains("ssid"));

  ASSERT_TRUE(configure_connection_policy_patch(kUuid, {Metered::Unmetered, std::nullopt, std::nullopt}).has_value());
  auto metered = connection_profile_settings(kUuid);
  EXPECT_EQ(metered->metered, Metered::Unmetered);
  EXPECT_EQ(metered->mac_policy, MacPolicy::Random);
  EXPECT_EQ(*metered->proxy, "http://wpad.example.org/proxy.pac");

  ASSERT_TRUE(configure_connection_policy_patch(kUuid, {std::nullopt, MacPolicy::Stable, std::optional<std::string>{}})
                  .has_value());
  auto policy = connection_profile_settings(kUuid);
  EXPECT_EQ(policy->mac_policy, MacPolicy::Stable);
  EXPECT_EQ(policy->proxy, std::optional<std::optional<std::string>>(std::optional<std::string>{}));

  // A patch that carries no field writes nothing.
  const std::size_t updates = nm.calls(path, "Update").size();
  ASSERT_TRUE(configure_connection_policy_patch(kUuid, {}).has_value());
  EXPECT_EQ(nm.calls(path, "Update").size(), updates);
  EXPECT_EQ(configure_connection_policy_patch("no-such-uuid", {}).error(), "the connection profile no longer exists");
}

TEST(NetworkProfiles, BadInputIsRefusedAndChangesNothing) {
  ORVO_NM_STAND_IN(nm);
  const std::string path = nm.add_profile(office_wifi());
  struct Case {
    Ipv4Settings settings;
    std::string error;
  };
  const Case cases[] = {
      {{false, {"300.1.1.1/24"}, std::nullopt, {}}, "\u201C300.1.1.1/24\u201D is not an IPv4 address"},
      {{false, {"10.0.0.9/33"}, std::nullopt, {}}, "\u201C10.0.0.9/33\u201D is not an IPv4 address with a prefix length"},
      {{false, {"10.0.0.9"}, "gateway", {}}, "\u201Cgateway\u201D is not an IPv4 gateway address"},
      {{true, {}, std::nullopt, {"dns.example"}}, "\u201Cdns.example\u201D is not an IPv4 DNS server address"},
      {{false, {}, std::nullopt, {}}, "a manual IPv4 configuration needs at least one address"},
  };
  for (const auto& c : cases) EXPECT_EQ(configure_ipv4(kUuid, c.settings).error(), c.error);
  EXPECT_EQ(configure_connection_policy_patch(kUuid, {std::nullopt, std::nullopt, std::optional<std::string>("wpad")}).error(),
            "the automatic proxy address must start with http://, https:// or file://");
  EXPECT_TRUE(nm.calls(path, "Update").empty());
}

TEST(NetworkProfiles, ForgetDeletesTheProfile) {
  ORVO_NM_STAND_IN(nm);
  nm.add_profile(office_wifi());
  ASSERT_TRUE(forget_network_profile(kUuid).has_value());
  EXPECT_TRUE(list_saved_network_profiles()->empty());
  EXPECT_EQ(forget_network_profile(kUuid).error(), "the connection profile no longer exists");
}

TEST(NetworkVpn, SwitchedOnAndOff) {
  ORVO_NM_STAND_IN(nm);
  nm.add_ethernet_device("enp3s0", 100);
  nm.add_profile(office_wifi());
  nm.add_profile(profile_settings("Office VPN", "7e000000-0000-4000-8000-000000000001", "vpn"));
  nm.add_profile(profile_settings("Home tunnel", "7e000000-0000-4000-8000-000000000002", "wireguard"));
  const os_actions::RealDispatcher dispatcher;

  auto listed = list_vpn_connections();
  ASSERT_TRUE(listed.has_value()) << listed.error();
  const std::vector<VpnConnection> off{{"Office VPN", "7e000000-0000-4000-8000-000000000001", "vpn", false},
                                       {"Home tunnel", "7e000000-0000-4000-8000-000000000002", "wireguard", false}};
  EXPECT_EQ(*listed, off);

  ASSERT_TRUE(dispatcher.set_vpn_connection("Office VPN", true).has_value());
  EXPECT_TRUE(list_vpn_connections()->at(0).active);
  EXPECT_FALSE(list_vpn_connections()->at(1).active);
  ASSERT_TRUE(dispatcher.set_vpn_connection("Office VPN", true).has_value());
  ASSERT_TRUE(dispatcher.set_vpn_connection("Office VPN", false).has_value());
  EXPECT_EQ(*list_vpn_connections(), off);
  EXPECT_EQ(dispatcher.set_vpn_connection("Office", true).error(), "there is no VPN connection named \u201COffice\u201D");
}

TEST(NetworkDiagnostics, ThePrimaryConnectionAndItsNotes) {
  ORVO_NM_STAND_IN(nm);
  auto none = connection_diagnostics();
  ASSERT_TRUE(none.has_value()) << none.error();
  EXPECT_EQ(none->state, "connected");
  EXPECT_EQ(none->connectivity, Connectivity::Full);
  EXPECT_EQ(none->notes, (std::vector<std::string>{"No active network connection", "No default gateway", "No DNS servers"}));

  const std::string eth = nm.add_ethernet_device("enp3s0", 100);
  const std::string active = "/org/freedesktop/NetworkManager/ActiveConnection/9";
  const std::string ip4 = "/org/freedesktop/NetworkManager/IP4Config/9";
  nm.add_object(active, "org.freedesktop.NetworkManager.Connection.Active",
                {{"Devices", sdbus::Variant(std::vector<sdbus::ObjectPath>{sdbus::ObjectPath(eth)})}});
  nm.add_object(ip4, "org.freedesktop.NetworkManager.IP4Config",
                {{"AddressData", sdbus::Variant(AddressData{{{"address", sdbus::Variant(std::string("192.168.1.20"))},
                                                             {"prefix", sdbus::Variant(std::uint32_t{24})}}})},
                 {"Gateway", sdbus::Variant(std::string(""))},
                 {"NameserverData", sdbus::Variant(AddressData{})}});
  nm.add_property(eth, kDevice, "Ip4Config", sdbus::Variant(sdbus::ObjectPath(ip4)));
  nm.add_property(kNmManager, kNm, "PrimaryConnection", sdbus::Variant(sdbus::ObjectPath(active)));

  auto bare = connection_diagnostics();
  ASSERT_TRUE(bare.has_value()) << bare.error();
  EXPECT_EQ(bare->device, "enp3s0");
  EXPECT_EQ(bare->address, "192.168.1.20/24");
  EXPECT_FALSE(bare->gateway.has_value());
  EXPECT_EQ(bare->notes, (std::vector<std::string>{"No default gateway", "No DNS servers"}));

  nm.set(ip4, "org.freedesktop.NetworkManager.IP4Config", "Gateway", sdbus::Variant(std::string("192.168.1.1")));
  nm.set(ip4, "org.freedesktop.NetworkManager.IP4Config", "NameserverData",
         sdbus::Variant(AddressData{{{"address", sdbus::Variant(std::string("192.168.1.1"))}}}));
  ASSERT_TRUE(nm.client().call<>({kNm, kNmManager}, kMock, "SetConnectivity", 2s, std::uint32_t{2}).has_value());
  auto full = connection_diagnostics();
  ASSERT_TRUE(full.has_value()) << full.error();
  EXPECT_EQ(full->gateway, "192.168.1.1");
  EXPECT_EQ(full->dns, std::vector<std::string>{"192.168.1.1"});
  EXPECT_TRUE(full->notes.empty());
  EXPECT_EQ(full->connectivity, Connectivity::Portal);
}

}  // namespace

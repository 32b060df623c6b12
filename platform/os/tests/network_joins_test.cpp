// Joins, new profiles and the hotspot against the network service's stand-in.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "network_stand_in.h"
#include "orvo_runtime/system_paths.h"
#include "os_actions/dispatcher.h"
#include "os_actions/network.h"
#include "temp_tree.h"

namespace {

using namespace os_actions::network;
using namespace os_actions_testing;
using orvo_secret::SecretString;

// The stand-in knows only these exact WPA flags when it joins; richer flags are set as RSN flags
// after the access point is made.
constexpr std::uint32_t kPsk = 0x100;

std::string add_rsn_access_point(NmStandIn& nm, const std::string& device, const std::string& name,
                                 const std::string& ssid, std::uint32_t rsn) {
  const std::string ap = nm.add_access_point(device, name, ssid, 70, 0);
  nm.set(ap, "org.freedesktop.NetworkManager.AccessPoint", "RsnFlags", sdbus::Variant(rsn));
  nm.set(ap, "org.freedesktop.NetworkManager.AccessPoint", "Flags", sdbus::Variant(std::uint32_t{1}));
  return ap;
}

// The settings dictionary of the last AddAndActivateConnection the stand-in received.
Settings last_join(NmStandIn& nm) {
  const auto calls = nm.calls(kNmManager, "AddAndActivateConnection");
  if (calls.empty()) return {};
  return calls.back().get<1>().at(0).get<Settings>();
}

// Every process's argument list on this machine, as one text per process.
std::vector<std::string> every_command_line() {
  std::vector<std::string> out;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    std::ifstream in(entry.path() / "cmdline", std::ios::binary);
    if (!in) continue;
    out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return out;
}

TEST(NetworkJoin, ThePassphraseTravelsOnlyInTheSettingsDictionary) {
  ORVO_NM_STAND_IN(nm);
  const std::string wlan = nm.add_wifi_device();
  nm.add_access_point(wlan, "ap_home", "HomeNet", 70, kPsk);
  add_rsn_access_point(nm, wlan, "ap_new", "NewNet", 0x400 | 0x8);
  const os_actions::RealDispatcher dispatcher;
  // Unique to this run, so no other program of the machine can hold it by chance.
  const std::string passphrase = "correct horse battery staple " + std::to_string(::getpid());

  ASSERT_TRUE(dispatcher.connect_wifi("HomeNet", SecretString(passphrase)).has_value());
  const Settings join = last_join(nm);
  EXPECT_EQ(join.at("802-11-wireless-security").at("psk").get<std::string>(), passphrase);
  EXPECT_EQ(join.at("802-11-wireless-security").at("key-mgmt").get<std::string>(), "wpa-psk");
  EXPECT_EQ(join.at("802-11-wireless").at("ssid").get<std::vector<std::uint8_t>>(), bytes("HomeNet"));
  for (const auto& command_line : every_command_line()) EXPECT_EQ(command_line.find(passphrase), std::string::npos);
  EXPECT_EQ(list_wifi_networks()->front().in_use, 1);

  ASSERT_TRUE(connect_wifi("NewNet", SecretString("another passphrase")).has_value());
  EXPECT_EQ(last_join(nm).at("802-11-wireless-security").at("key-mgmt").get<std::string>(), "sae");

  EXPECT_EQ(connect_wifi("Elsewhere", std::nullopt).error(), "no Wi-Fi network named \u201CElsewhere\u201D is in range");
}

TEST(NetworkJoin, WithoutAPassphraseASavedProfileIsUsed) {
  ORVO_NM_STAND_IN(nm);
  const std::string wlan = nm.add_wifi_device();
  nm.add_access_point(wlan, "ap_home", "HomeNet", 70, kPsk);
  auto saved = profile_settings("HomeNet", "40000000-0000-4000-8000-000000000001", "802-11-wireless");
  saved["802-11-wireless"]["ssid"] = sdbus::Variant(bytes("HomeNet"));
  const std::string profile = nm.add_profile(saved);

  ASSERT_TRUE(connect_wifi("HomeNet", std::nullopt).has_value());
  EXPECT_TRUE(nm.calls(kNmManager, "AddAndActivateConnection").empty());
  EXPECT_TRUE(nm.calls(profile, "Update").empty());
  const auto activations = nm.calls(kNmManager, "ActivateConnection");
  ASSERT_EQ(activations.size(), 1u);
  EXPECT_EQ(activations[0].get<1>().at(0).get<sdbus::ObjectPath>(), profile);

  // A new passphrase goes into the saved profile instead of a second one.
  ASSERT_TRUE(connect_wifi("HomeNet", SecretString("new passphrase")).has_value());
  EXPECT_TRUE(nm.calls(kNmManager, "AddAndActivateConnection").empty());
  const auto updates = nm.calls(profile, "Update");
  ASSERT_EQ(updates.size(), 1u);
  const auto written = updates[0].get<1>().at(0).get<Settings>();
  EXPECT_EQ(written.at("802-11-wireless-security").at("psk").get<std::string>(), "new passphrase");
  EXPECT_EQ(nm.calls(kNmManager, "ActivateConnection").size(), 2u);
}

TEST(NetworkEnterprise, RefusedWithoutServerValidationBeforeAnyCall) {
  TempTree tree;
  const std::string ca = tree.write("ca.pem", "-----BEGIN CERTIFICATE-----\n").string();
  const std::string cert = tree.write("me.pem", "cert").string();
  const std::string key = tree.write("me.key", "key").string();
  ORVO_NM_STAND_IN(nm);
  const std::string wlan = nm.add_wifi_device();
  add_rsn_access_point(nm, wlan, "ap_corp", "Corp", 0x200 | 0x8);

  EnterpriseWifiConfiguration base{"Corp", "Corp", "alice", std::nullopt, ca, EapMethod::Peap, "mschapv2",
                                   std::nullopt, std::nullopt};
  struct Case {
    std::string ca_certificate;
    EapMethod method;
    std::optional<std::string> client_certificate;
    std::optional<std::string> private_key;
    std::string error;
  };
  const std::string no_ca = "An absolute path to a readable CA certificate is required.";
  const std::string no_tls = "TLS sign-in needs a client certificate and a private key.";
  const Case cases[] = {
      {"", EapMethod::Peap, std::nullopt, std::nullopt, no_ca},
      {"ca.pem", EapMethod::Peap, std::nullopt, std::nullopt, no_ca},
      {(tree.root() / "missing.pem").string(), EapMethod::Ttls, std::nullopt, std::nullopt, no_ca},
      {tree.root().string(), EapMethod::Peap, std::nullopt, std::nullopt, no_ca},
      {ca, EapMethod::Tls, std::nullopt, std::nullopt, no_tls},
      {ca, EapMethod::Tls, cert, std::nullopt, no_tls},
      {ca, EapMethod::Tls, std::nullopt, key, no_tls},
  };
  for (const auto& c : cases) {
    auto request = base;
    request.ca_certificate = c.ca_certificate;
    request.method = c.method;
    request.client_certificate = c.client_certificate;
    request.private_key = c.private_key;
    EXPECT_EQ(connect_enterprise_wifi(request, SecretString("secret")).error(), c.error) << c.ca_certificate;
  }
  EXPECT_TRUE(nm.calls(kNmManager, "AddAndActivateConnection").empty());
  EXPECT_TRUE(nm.calls(kNmSettings, "AddConnection").empty());

  ASSERT_TRUE(connect_enterprise_wifi(base, SecretString("hunter2")).has_value());
  const Settings join = last_join(nm);
  const auto& eap = join.at("802-1x");
  EXPECT_EQ(eap.at("eap").get<std::vector<std::string>>(), std::vector<std::string>{"peap"});
  EXPECT_EQ(eap.at("password").get<std::string>(), "hunter2");
  EXPECT_EQ(eap.at("phase2-auth").get<std::string>(), "mschapv2");
  auto reference = bytes("file://" + ca);
  reference.push_back(0);
  EXPECT_EQ(eap.at("ca-cert").get<std::vector<std::uint8_t>>(), reference);
  EXPECT_EQ(join.at("802-11-wireless-security").at("key-mgmt").get<std::string>(), "wpa-eap");

  auto tls = base;
  tls.method = EapMethod::Tls;
  tls.client_certificate = cert;
  tls.private_key = key;
  ASSERT_TRUE(connect_enterprise_wifi(tls, SecretString("key password")).has_value());
  EXPECT_EQ(last_join(nm).at("802-1x").at("private-key-password").get<std::string>(), "key password");
}

TEST(NetworkMobile, ProfileCreatedForAnyModem) {
  ORVO_NM_STAND_IN(nm);
  ASSERT_TRUE(create_mobile_profile("Carrier", "internet.example").has_value());
  auto profiles = list_saved_network_profiles();
  ASSERT_EQ(profiles->size(), 1u);
  EXPECT_EQ(profiles->front().name, "Carrier");
  EXPECT_EQ(profiles->front().kind, "gsm");
  EXPECT_EQ(create_mobile_profile(" ", "internet").error(), "a profile name is required");
  EXPECT_EQ(create_mobile_profile("Carrier", "inter net").error(), "the APN may hold only letters, digits, dots and hyphens");
}

TEST(NetworkHotspot, ValidateTable) {
  struct Case {
    std::string ssid;
    std::string password;
    std::uint8_t band;
    std::string error;  // empty: valid
  };
  const std::string name_error = "The hotspot name must be 1 to 32 bytes long.";
  const std::string password_error =
      "The hotspot password must be 8 to 63 printable ASCII characters or 64 hexadecimal digits.";
  const Case cases[] = {
      {"Orvo Hotspot", "1234567", 0, password_error},
      {"Orvo Hotspot", "12345678", 0, ""},
      {"Orvo Hotspot", std::string(63, 'p'), 1, ""},
      {"Orvo Hotspot", std::string(64, 'p'), 2, password_error},
      {"Orvo Hotspot", std::string(32, 'a') + std::string(32, 'F') , 0, ""},
      {"Orvo Hotspot", "tab\tinside", 0, password_error},
      {"Orvo Hotspot", "caf\xC3\xA9 latte", 0, password_error},
      {"", "12345678", 0, name_error},
      {std::string(32, 'n'), "12345678", 0, ""},
      {std::string(33, 'n'), "12345678", 0, name_error},
      {"Orvo Hotspot", "12345678", 3, "The hotspot band must be automatic, 2.4 GHz or 5 GHz."},
  };
  for (const auto& c : cases) {
    const HotspotConfiguration configuration{c.ssid, SecretString(c.password), c.band};
    const auto result = configuration.validate();
    if (c.error.empty()) {
      EXPECT_TRUE(result.has_value()) << c.ssid << " / " << c.password << ": " << result.error();
    } else {
      ASSERT_FALSE(result.has_value()) << c.ssid << " / " << c.password;
      EXPECT_EQ(result.error(), c.error);
    }
  }
}

TEST(NetworkHotspot, QrPayloadEscapesItsSeparators) {
  struct Case {
    std::string ssid;
    std::string password;
    std::string payload;
  };
  const Case cases[] = {
      {"Orvo Hotspot", "12345678", "WIFI:T:WPA;S:Orvo Hotspot;P:12345678;;"},
      {"a\\b;c,d:e\"f", "p;a:s,s\\\"", "WIFI:T:WPA;S:a\\\\b\\;c\\,d\\:e\\\"f;P:p\\;a\\:s\\,s\\\\\\\";;"},
  };
  for (const auto& c : cases) {
    const HotspotConfiguration configuration{c.ssid, SecretString(c.password), 0};
    EXPECT_EQ(configuration.qr_payload().view(), c.payload);
  }
}

TEST(NetworkHotspot, ConfiguredStartedStoppedAndItsClientsListed) {
  TempTree tree;
  system_paths::ScopedOverride root(tree.root());
  ORVO_NM_STAND_IN(nm);
  const std::string wlan = nm.add_wifi_device("wlp2s0");
  const os_actions::RealDispatcher dispatcher;

  EXPECT_EQ(dispatcher.set_hotspot(true).error(), "the hotspot has not been set up yet");
  EXPECT_TRUE(list_hotspot_clients()->empty());
  EXPECT_EQ(configure_hotspot({"Orvo Hotspot", SecretString("short"), 0}).error(),
            "The hotspot password must be 8 to 63 printable ASCII characters or 64 hexadecimal digits.");

  ASSERT_TRUE(configure_hotspot({"Orvo Hotspot", SecretString("hotspot-pass"), 1}).has_value());
  EXPECT_EQ(get_radio_state()->hotspot, true);
  auto profiles = list_saved_network_profiles();
  ASSERT_EQ(profiles->size(), 1u);
  const std::string path = nm.calls(kNmManager, "ActivateConnection").back().get<1>().at(0).get<sdbus::ObjectPath>();
  const Settings saved = nm.settings_of(path);
  EXPECT_EQ(saved.at("802-11-wireless").at("mode").get<std::string>(), "ap");
  EXPECT_EQ(saved.at("802-11-wireless").at("band").get<std::string>(), "bg");
  EXPECT_EQ(saved.at("ipv4").at("method").get<std::string>(), "shared");

  tree.write("var/lib/NetworkManager/dnsmasq-wlp2s0.leases",
             "1765400000 aa:bb:cc:dd:ee:01 10.42.0.10 phone 01:aa:bb:cc:dd:ee:01\n"
             "1765400000 aa:bb:cc:dd:ee:02 10.42.0.11 * *\n"
             "garbage\n");
  auto clients = list_hotspot_clients();
  ASSERT_TRUE(clients.has_value()) << clients.error();
  const std::vector<HotspotClient> expected{{"phone", std::nullopt}, {"aa:bb:cc:dd:ee:02", std::nullopt}};
  EXPECT_EQ(*clients, expected);

  ASSERT_TRUE(dispatcher.set_hotspot(false).has_value());
  EXPECT_EQ(get_radio_state()->hotspot, false);
  EXPECT_TRUE(list_hotspot_clients()->empty());
  ASSERT_TRUE(dispatcher.set_hotspot(true).has_value());
  EXPECT_EQ(get_radio_state()->hotspot, true);

  // A second configuration reuses the saved profile.
  ASSERT_TRUE(configure_hotspot({"Renamed", SecretString("hotspot-pass"), 0}).has_value());
  EXPECT_EQ(list_saved_network_profiles()->size(), 1u);
  EXPECT_EQ(nm.settings_of(path).at("802-11-wireless").at("ssid").get<std::vector<std::uint8_t>>(), bytes("Renamed"));
}

}  // namespace

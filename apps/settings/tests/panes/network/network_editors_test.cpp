// The network pane's editors and joins: each acts on a press of its key and ends in a sentence.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fmt/format.h>

#include "mounted_pane.h"
#include "orvo_log/log.h"
#include "panes/network/network_keys.h"

namespace settings::panes::network::testing {
namespace {

constexpr std::string_view kHomeUuid = "1234567890ab";
constexpr std::string_view kWiredUuid = "abcdef01-2345";

bool all_zero(std::span<const char> storage) {
  return std::all_of(storage.begin(), storage.end(), [](char c) { return c == 0; });
}

TEST(NetworkTypedLists, SplitTrimDropEmptyAndKeepSeventeen) {
  EXPECT_EQ(typed_list(" 1.1.1.1 , ,  9.9.9.9 "), (std::vector<std::string>{"1.1.1.1", "9.9.9.9"}));
  EXPECT_TRUE(typed_list(" , ").empty());
  std::string twenty;
  for (int i = 1; i <= 20; ++i) twenty += fmt::format("10.0.0.{},", i);
  const auto kept = typed_list(twenty);
  ASSERT_EQ(kept.size(), 17u);
  EXPECT_EQ(kept.back(), "10.0.0.17");
  EXPECT_EQ(typed_optional("  "), std::nullopt);
  EXPECT_EQ(typed_optional(" 192.0.2.1 "), "192.0.2.1");
}

TEST(NetworkHotspot, ApplyQrAndFailure) {
  // An empty name applies under the default name; the hotspot is then reported on.
  Mounted applied;
  applied.pane->hotspot_password()->assign("correct horse");
  applied.machine->clients = {{"phone", -40}};
  applied.put_text(kHotspotSsidKey, "");
  applied.press(kHotspotApplyKey);
  EXPECT_EQ(applied.machine->hotspot_ssid, kDefaultHotspotName);
  EXPECT_EQ(applied.pane->status_message(), "Hotspot is active.");
  EXPECT_EQ(applied.flag(kHotspotKey), true);
  EXPECT_EQ(applied.pane->radio().hotspot, true);
  EXPECT_EQ(applied.pane->hotspot_clients().size(), 1u);
  EXPECT_EQ(applied.machine->count("set_hotspot"), 0u);

  // The QR toggle with a password too short: the validation sentence, the QR stays hidden.
  Mounted invalid;
  invalid.pane->hotspot_password()->assign("short");
  invalid.press(kHotspotQrKey);
  net::HotspotConfiguration expected{std::string(kDefaultHotspotName), orvo_secret::SecretString("short"), 0};
  EXPECT_EQ(invalid.pane->status_message(), expected.validate().error());
  EXPECT_FALSE(invalid.pane->hotspot_qr_shown());
  EXPECT_EQ(invalid.machine->count("configure_hotspot"), 0u);

  // A valid password shows the QR and applies nothing; the band is kept.
  Mounted shown;
  shown.pane->hotspot_password()->assign("correct horse");
  shown.put_text(kHotspotBandKey, "5 GHz");
  shown.press(kHotspotQrKey);
  EXPECT_TRUE(shown.pane->hotspot_qr_shown());
  EXPECT_EQ(shown.pane->hotspot_band(), "5 GHz");
  EXPECT_EQ(shown.machine->count("configure_hotspot"), 0u);

  Mounted failed([](FakeMachine& m) { m.refused.insert("configure_hotspot"); });
  failed.pane->hotspot_password()->assign("correct horse");
  failed.press(kHotspotApplyKey);
  EXPECT_EQ(failed.pane->status_message(), "Hotspot failed: refused");
  EXPECT_EQ(failed.flag(kHotspotKey), false);
}

TEST(NetworkIpv4Editor, ReadsTheFormAndRefusesAnUnreadableProfile) {
  Mounted mounted;
  mounted.put(ipv4_key(kWiredUuid, "automatic"), false);
  mounted.put_text(ipv4_key(kWiredUuid, "address"), "192.0.2.10/24");
  mounted.put_text(ipv4_key(kWiredUuid, "gateway"), "  ");
  mounted.put_text(ipv4_key(kWiredUuid, "dns"), " 1.1.1.1 , , 9.9.9.9 ");
  mounted.press(ipv4_key(kWiredUuid, "apply"));
  ASSERT_TRUE(mounted.machine->ipv4);
  EXPECT_FALSE(mounted.machine->ipv4->automatic);
  EXPECT_EQ(mounted.machine->ipv4->addresses, std::vector<std::string>{"192.0.2.10/24"});
  EXPECT_EQ(mounted.machine->ipv4->gateway, std::nullopt);
  EXPECT_EQ(mounted.machine->ipv4->dns, (std::vector<std::string>{"1.1.1.1", "9.9.9.9"}));
  EXPECT_EQ(mounted.pane->status_message(), "Applied IP settings to Wired connection 1.");
  EXPECT_EQ(mounted.flag(ipv4_key(kWiredUuid, "apply")), false);

  mounted.machine->refused.insert("configure_ipv4");
  mounted.press(ipv4_key(kWiredUuid, "apply"));
  EXPECT_EQ(mounted.pane->status_message(), "IP settings were not applied: refused");

  Mounted unreadable([](FakeMachine& m) {
    net::ConnectionProfileSettings other;  // another IPv4 method: nothing readable
    m.settings[std::string(kWiredUuid)] = other;
  });
  unreadable.press(ipv4_key(kWiredUuid, "apply"));
  EXPECT_EQ(unreadable.pane->status_message(),
            "IP settings were not applied because the profile could not be read safely.");
  EXPECT_EQ(unreadable.machine->count("configure_ipv4"), 0u);
}

TEST(NetworkPolicyEditor, SendsOnlyWhatChanges) {
  // The seeded values equal the current ones: the platform is still called, with nothing to change.
  Mounted same;
  same.press(policy_key(kHomeUuid));
  ASSERT_EQ(same.machine->count("configure_connection_policy_patch"), 1u);
  ASSERT_TRUE(same.machine->patch);
  EXPECT_FALSE(same.machine->patch->metered);
  EXPECT_FALSE(same.machine->patch->mac_policy);
  EXPECT_FALSE(same.machine->patch->proxy);
  EXPECT_EQ(same.pane->status_message(), "Applied advanced policy to Home.");

  Mounted changed;
  changed.put_text(metered_key(kHomeUuid), "Metered");
  changed.put_text(mac_key(kHomeUuid), "Random each connection");
  changed.put_text(proxy_key(kHomeUuid), " https://proxy.example/proxy.pac ");
  changed.press(policy_key(kHomeUuid));
  ASSERT_TRUE(changed.machine->patch);
  EXPECT_EQ(changed.machine->patch->metered, net::Metered::Metered);
  EXPECT_EQ(changed.machine->patch->mac_policy, net::MacPolicy::Random);
  EXPECT_EQ(changed.machine->patch->proxy, std::optional<std::optional<std::string>>("https://proxy.example/proxy.pac"));

  // Unknown current values are never overwritten; unreadable settings refuse the apply.
  Mounted unknown([](FakeMachine& m) {
    net::ConnectionProfileSettings settings;
    settings.method_readable = "auto";
    m.settings[std::string(kHomeUuid)] = settings;
  });
  unknown.put_text(metered_key(kHomeUuid), "Metered");
  unknown.put_text(proxy_key(kHomeUuid), "https://proxy.example/proxy.pac");
  unknown.press(policy_key(kHomeUuid));
  ASSERT_TRUE(unknown.machine->patch);
  EXPECT_FALSE(unknown.machine->patch->metered);
  EXPECT_FALSE(unknown.machine->patch->proxy);

  Mounted unreadable([](FakeMachine& m) { m.settings[std::string(kHomeUuid)] = std::nullopt; });
  unreadable.press(policy_key(kHomeUuid));
  EXPECT_EQ(unreadable.pane->status_message(),
            "Policy was not applied because NetworkManager's current values could not be read.");
  EXPECT_EQ(unreadable.machine->count("configure_connection_policy_patch"), 0u);
}

TEST(NetworkEnterprise, MethodsAreExactAndTheFormIsRead) {
  struct Case {
    std::string_view method;
    net::EapMethod expected;
  };
  for (const Case& c : {Case{"TTLS", net::EapMethod::Ttls}, Case{"TLS", net::EapMethod::Tls},
                        Case{"tls", net::EapMethod::Peap}, Case{"PEAP", net::EapMethod::Peap}}) {
    SCOPED_TRACE(c.method);
    Mounted mounted;
    mounted.pane->secret_input(kEnterprisePasswordField)->assign("hunter22");
    mounted.put_text(kEnterpriseMethodKey, c.method);
    mounted.put_text("network.enterprise.ssid", "Campus");
    mounted.put_text("network.enterprise.anonymous", "  ");
    mounted.put_text("network.enterprise.client_cert", " /etc/cert.pem ");
    mounted.press(kEnterpriseConnectKey);
    EXPECT_EQ(mounted.pane->status_message(), "Connecting to enterprise Wi-Fi…");
    EXPECT_TRUE(mounted.pane->secret_input(kEnterprisePasswordField)->empty());
    pass_until(*mounted.pane, [&] { return mounted.pane->status_message() != "Connecting to enterprise Wi-Fi…"; });
    ASSERT_TRUE(mounted.machine->enterprise);
    EXPECT_EQ(mounted.machine->enterprise->method, c.expected);
    EXPECT_EQ(mounted.machine->enterprise->ssid, "Campus");
    EXPECT_EQ(mounted.machine->enterprise->phase2, "mschapv2");
    EXPECT_EQ(mounted.machine->enterprise->anonymous_identity, std::nullopt);
    EXPECT_EQ(mounted.machine->enterprise->client_certificate, "/etc/cert.pem");
    EXPECT_EQ(mounted.pane->status_message(), "Enterprise Wi-Fi connected.");
  }
}

TEST(NetworkEnterprise, TheCaChooserPressedTwiceStartsOneChooser) {
  auto machine = std::make_shared<FakeMachine>();
  auto opened = std::make_shared<std::atomic<int>>(0);
  auto release = std::make_shared<std::atomic<bool>>(false);
  NetworkServices services = fake_services(machine);
  services.choose_ca_certificate = [opened, release]() -> CaChoice {
    ++*opened;
    while (!*release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return std::optional<std::string>("/etc/ssl/campus-ca.pem");
  };
  NetworkPane pane(std::move(services));
  orvo_doc::Document frame;
  settle(pane, &frame);
  for (int press = 0; press < 2; ++press) {
    (void)frame.put(orvo_doc::kRoot, kEnterpriseCaChooseKey, orvo_doc::ScalarValue::boolean(true));
    PaneHarness::pass(pane, &frame);
  }
  pass_until(pane, [&] { return opened->load() > 0; }, &frame);
  *release = true;
  pass_until(pane, [&] { return !pane.ca_chooser_open(); }, &frame);
  EXPECT_EQ(opened->load(), 1);
  EXPECT_EQ(lib::read_text(frame, orvo_doc::kRoot, kEnterpriseCaKey), "/etc/ssl/campus-ca.pem");
  EXPECT_EQ(pane.status_message(), "CA certificate selected.");
}

TEST(NetworkCaptivePortal, BothFailureWordings) {
  Mounted no_address([](FakeMachine& m) { m.refused.insert("captive_portal_uri"); });
  no_address.press(kCaptivePortalKey);
  EXPECT_EQ(no_address.pane->status_message(), "Could not open network sign-in: refused");
  EXPECT_EQ(no_address.machine->count("open_uri"), 0u);

  Mounted opened;
  opened.press(kCaptivePortalKey);
  EXPECT_EQ(opened.machine->count("open_uri"), 1u);
  EXPECT_EQ(opened.pane->status_message(), std::nullopt);

  // The desktop portal's own failure, worded by the system's services (no session bus here).
  const char* saved = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  const std::string previous = saved ? saved : "";
  setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/orvo-test-bus", 1);
  const Done portal = real_network_services().open_uri("http://portal.example/");
  if (saved) setenv("DBUS_SESSION_BUS_ADDRESS", previous.c_str(), 1); else unsetenv("DBUS_SESSION_BUS_ADDRESS");
  ASSERT_FALSE(portal);
  EXPECT_TRUE(portal.error().starts_with("could not open browser through the desktop portal: ")) << portal.error();

  Mounted refused([&](FakeMachine&) {});
  NetworkServices services = fake_services(refused.machine);
  services.open_uri = [&](std::string_view) -> Done { return std::unexpected(portal.error()); };
  NetworkPane pane(std::move(services));
  orvo_doc::Document frame;
  settle(pane, &frame);
  (void)frame.put(orvo_doc::kRoot, kCaptivePortalKey, orvo_doc::ScalarValue::boolean(true));
  settle(pane, &frame);
  EXPECT_EQ(pane.status_message(), "Could not open network sign-in: " + portal.error());
}

TEST(NetworkVpnStudio, PressesOpenTheToolAndAFailureWarns) {
  Mounted mounted;
  mounted.put(vpn_studio_key("Office"), true);
  mounted.press(kVpnStudioOpenKey);
  // Each launch runs on a worker of its own, in any order.
  auto launched = mounted.machine->studio_profiles;
  std::sort(launched.begin(), launched.end());
  EXPECT_EQ(launched, (std::vector<std::optional<std::string>>{std::nullopt, "Office"}));
  EXPECT_EQ(mounted.flag(vpn_studio_key("Office")), false);
  EXPECT_EQ(mounted.flag(kVpnStudioOpenKey), false);

  mounted.machine->refused.insert("open_vpn_studio");
  orvo_log::CaptureScope log;
  mounted.press(kVpnStudioOpenKey);
  EXPECT_EQ(log.count("could not open VPN Studio"), 1u);
}

TEST(NetworkJoins, ConnectAndJoinFollowTheRow) {
  // Connect on the open row of a secured network closes it without joining.
  Mounted expanded;
  expanded.pane->set_expanded_network(expanded.doc(), "Home");
  expanded.press(connect_key("Home"));
  EXPECT_EQ(expanded.pane->expanded_network(), std::nullopt);
  EXPECT_TRUE(expanded.pane->joins_in_flight().empty());
  EXPECT_EQ(expanded.machine->count("connect_wifi"), 0u);

  // An open network joins at once, without a password.
  Mounted open;
  open.press(connect_key("Cafe"));
  pass_until(*open.pane, [&] { return open.pane->joins_in_flight().empty(); });
  EXPECT_EQ(open.machine->joins, (std::vector<std::pair<std::string, bool>>{{"Cafe", false}}));
  EXPECT_EQ(open.pane->status_message(), "Connected to Cafe.");

  // Join with an empty buffer joins without a password; a typed one is handed on and wiped.
  for (const std::string typed : {"", "cafe password"}) {
    SCOPED_TRACE(typed);
    Mounted join;
    join.pane->set_expanded_network(join.doc(), "Home");
    auto buffer = join.pane->wifi_password("Home");
    ASSERT_TRUE(buffer);
    buffer->assign(typed);
    join.press(join_key("Home"));
    EXPECT_TRUE(buffer->empty());
    EXPECT_TRUE(all_zero(buffer->storage_for_testing()));
    EXPECT_EQ(join.pane->expanded_network(), std::nullopt);
    EXPECT_EQ(join.pane->wifi_password("Home"), nullptr);
    pass_until(*join.pane, [&] { return join.pane->joins_in_flight().empty(); });
    EXPECT_EQ(join.machine->joins, (std::vector<std::pair<std::string, bool>>{{"Home", !typed.empty()}}));
  }
}

TEST(NetworkSim, ChosenByLabelElseIdAndAnEmptyPinIsRefused) {
  const auto with_sims = [](FakeMachine& m) {
    m.sims = {{"/sim/0", "Carrier A", "111", "/modem/0"}, {"/sim/1", "Carrier B", "222", "/modem/0"}};
  };
  struct Case {
    std::optional<std::string_view> chosen;
    std::string_view path;
  };
  for (const Case& c : {Case{std::nullopt, "/sim/0"}, Case{"Carrier B", "/sim/1"}, Case{"222", "/sim/1"},
                        Case{"Nobody", "/sim/0"}}) {
    SCOPED_TRACE(c.chosen.value_or("(seeded)"));
    Mounted mounted(with_sims);
    EXPECT_EQ(mounted.text(kMobileSimKey), "Carrier A");
    if (c.chosen) mounted.put_text(kMobileSimKey, *c.chosen);
    mounted.pane->secret_input(kMobilePinField)->assign("1234");
    mounted.press(kMobileUnlockKey);
    EXPECT_EQ(mounted.pane->status_message(), "Unlocking SIM…");
    pass_until(*mounted.pane, [&] { return mounted.pane->status_message() != "Unlocking SIM…"; });
    EXPECT_EQ(mounted.machine->unlocked_sim, c.path);
    EXPECT_EQ(mounted.pane->status_message(), "SIM unlocked.");
  }

  Mounted empty(with_sims);
  empty.pane->secret_input(kMobilePinField)->assign("");
  empty.press(kMobileUnlockKey);
  EXPECT_EQ(empty.pane->status_message(), "Enter the SIM PIN first.");
  EXPECT_EQ(empty.machine->count("unlock_mobile_sim_on"), 0u);
}

TEST(NetworkEditors, PickersAndEditorToggles) {
  Mounted mounted([](FakeMachine& m) { m.profiles.push_back({"Office", "fedcba9876", "802-11-wireless", true}); });
  EXPECT_EQ(mounted.pane->selected_advanced_profile(), std::string(kHomeUuid));
  mounted.put_text(kAdvancedProfileKey, "Office · fedcba98");
  mounted.pass();
  EXPECT_EQ(mounted.pane->selected_advanced_profile(), "fedcba9876");
  mounted.put_text(kAdvancedProfileKey, "Nobody · 00000000");
  mounted.pass();
  EXPECT_EQ(mounted.pane->selected_advanced_profile(), "fedcba9876");

  mounted.press(kAdvancedKey);
  EXPECT_TRUE(mounted.pane->advanced_open());
  mounted.press(kEnterpriseEditorKey);
  EXPECT_TRUE(mounted.pane->enterprise_editor_open());
  mounted.press(kEnterpriseEditorKey);
  EXPECT_FALSE(mounted.pane->enterprise_editor_open());

  mounted.put_text(kMobileProfileKey, "Carrier");
  mounted.put_text(kMobileApnKey, "internet");
  mounted.press(kMobileCreateKey);
  EXPECT_EQ(mounted.pane->status_message(), "Creating mobile profile…");
  pass_until(*mounted.pane, [&] { return mounted.pane->status_message() != "Creating mobile profile…"; });
  EXPECT_EQ(mounted.pane->status_message(), "Mobile profile created.");
}

TEST(NetworkPaneThreads, APassNeverWaitsForTheMachineAndAnOperationWaitsForTheFirstLook) {
  using settings_app::OperationStatus;
  PaneHarness harness;
  auto machine = std::make_shared<FakeMachine>();
  machine->hold(true);
  NetworkPane pane = NetworkPane(fake_services(machine))
                         .with_pane_operation(harness.operation_cell())
                         .with_operation_status(harness.status_cell());
  const std::string key =
      harness.hand_over(settings_app::PaneOperation(actions::NetworkOperation::SetWifiEnabled{false}));
  PaneHarness::pass(pane);  // every call of the machine waits: the pass does not
  PaneHarness::pass(pane);
  EXPECT_FALSE(pane.loaded());
  EXPECT_FALSE(harness.operation_cell().snapshot().has_value());
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Running{key}));
  const auto texts = panes::testing::texts_of(*pane.content());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Reading the network state…"), texts.end());

  machine->hold(false);
  settle(pane);
  EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Succeeded{key, "Wi-Fi disabled."}));
  EXPECT_FALSE(machine->wifi);
  std::lock_guard guard(machine->lock);
  EXPECT_FALSE(machine->threads.contains(std::this_thread::get_id()));
}

TEST(NetworkPaneThreads, NoPlatformCallRunsOnTheInterfaceThread) {
  Mounted mounted;
  mounted.pane->hotspot_password()->assign("correct horse");
  mounted.put(kWiredEnabledKey, false);
  mounted.put(kAirplaneModeKey, true);
  mounted.put(vpn_key("Office"), true);
  mounted.put(autoconnect_key(kHomeUuid), false);
  for (const std::string& key : {std::string(kRefreshKey), std::string(kDiagnosticsRunKey), std::string(kHotspotApplyKey),
                                 std::string(kCaptivePortalKey), std::string(kVpnStudioOpenKey),
                                 ipv4_key(kWiredUuid, "apply"), policy_key(kHomeUuid), forget_key(kHomeUuid)}) {
    mounted.put(key, true);
  }
  mounted.pass();
  for (std::string call : {"set_wired", "set_airplane_mode", "set_vpn_connection", "set_network_autoconnect",
                           "list_wifi_networks", "connection_diagnostics", "configure_hotspot", "captive_portal_uri",
                           "open_vpn_studio", "configure_ipv4", "configure_connection_policy_patch",
                           "forget_network_profile"}) {
    EXPECT_EQ(mounted.machine->count(call), 1u) << call;
  }
  std::lock_guard guard(mounted.machine->lock);
  EXPECT_FALSE(mounted.machine->threads.contains(std::this_thread::get_id()));
}

}  // namespace
}  // namespace settings::panes::network::testing

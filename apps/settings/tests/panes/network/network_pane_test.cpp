// The network pane's pass: handed-over operations, switches, refresh, seeding, worker replies,
// VPN and saved-profile actions, and the secret buffers.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "fake_network.h"
#include "mounted_pane.h"
#include "harness/pane_harness.h"
#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "panes/network/network_keys.h"
#include "panes/network/network_pane.h"

namespace settings::panes::network::testing {
namespace {

using actions::NetworkOperation;
using panes::testing::PaneHarness;
using settings_app::OperationStatus;
using settings_app::PaneOperation;

OperationStatus ended(bool succeeded, const std::string& key, std::string message) {
  return succeeded ? OperationStatus(OperationStatus::Succeeded{key, std::move(message)})
                   : OperationStatus(OperationStatus::Failed{key, std::move(message)});
}

struct HandOverCase {
  std::string_view name;
  NetworkOperation operation;
  std::function<void(FakeMachine&)> setup;
  bool succeeded;
  std::string_view message;
};

TEST(NetworkPaneHandOver, EveryOperationEndsWithItsSentenceUnderItsKey) {
  const auto refuse = [](std::string call) { return [call](FakeMachine& m) { m.refused.insert(call); }; };
  const std::vector<HandOverCase> cases = {
      {"refresh", NetworkOperation::Refresh{}, {}, true, "Network list refreshed."},
      {"refresh, scan fails", NetworkOperation::Refresh{}, refuse("list_wifi_networks"), false,
       "Could not refresh network list: refused"},
      {"Wi-Fi off", NetworkOperation::SetWifiEnabled{false}, {}, true, "Wi-Fi disabled."},
      {"Wi-Fi already on", NetworkOperation::SetWifiEnabled{true}, {}, true, "Wi-Fi enabled."},
      {"Wi-Fi refused", NetworkOperation::SetWifiEnabled{false}, refuse("set_wifi"), false,
       "Could not change Wi-Fi power: refused"},
      {"wired off", NetworkOperation::SetWiredEnabled{false}, {}, true, "Wired networking disabled."},
      {"wired already on", NetworkOperation::SetWiredEnabled{true}, {}, true, "Wired networking enabled."},
      {"wired refused", NetworkOperation::SetWiredEnabled{false}, refuse("set_wired"), false,
       "Could not change wired networking: refused"},
      {"wired device gone", NetworkOperation::SetWiredEnabled{false},
       [](FakeMachine& m) { m.wired = {}; }, false,
       "Could not change wired networking: wired networking is unavailable on this device"},
      {"airplane on", NetworkOperation::SetAirplaneMode{true}, {}, true, "Airplane mode enabled."},
      {"airplane already off", NetworkOperation::SetAirplaneMode{false}, {}, true, "Airplane mode disabled."},
      {"airplane unreported", NetworkOperation::SetAirplaneMode{true},
       [](FakeMachine& m) { m.radio.airplane_mode.reset(); }, false,
       "Could not change airplane mode: its state is not reported"},
      {"hotspot refused", NetworkOperation::SetHotspot{true}, refuse("set_hotspot"), false,
       "Could not change the Wi-Fi hotspot: refused"},
      {"hotspot unreported", NetworkOperation::SetHotspot{true}, [](FakeMachine& m) { m.radio.hotspot.reset(); },
       false, "Could not change the Wi-Fi hotspot: its state is not reported"},
      {"mobile off", NetworkOperation::SetMobileBroadband{false}, {}, true, "Mobile broadband disabled."},
      {"mobile unreported", NetworkOperation::SetMobileBroadband{false},
       [](FakeMachine& m) { m.radio.mobile_broadband.reset(); }, false,
       "Could not change mobile broadband: its state is not reported"},
      {"diagnostics", NetworkOperation::RunDiagnostics{}, {}, true, "Network diagnostics completed."},
      {"diagnostics fail", NetworkOperation::RunDiagnostics{}, refuse("connection_diagnostics"), false,
       "Diagnostics unavailable: refused"},
  };
  for (const HandOverCase& row : cases) {
    SCOPED_TRACE(row.name);
    Mounted mounted(row.setup);
    const std::string key = mounted.harness.hand_over(PaneOperation(row.operation));
    mounted.pass();
    EXPECT_FALSE(mounted.harness.operation_cell().snapshot().has_value());
    EXPECT_EQ(mounted.harness.status(), ended(row.succeeded, key, std::string(row.message)));
    EXPECT_EQ(mounted.pane->status_message(), std::string(row.message));
    const auto version = mounted.harness.status_cell().version();
    mounted.pass();
    EXPECT_EQ(mounted.harness.status_cell().version(), version);
  }
}

TEST(NetworkPaneHandOver, ARefusedSwitchIsWrittenBackAndARepeatedValueCallsNothing) {
  Mounted refused([](FakeMachine& m) { m.refused.insert("set_wifi"); });
  refused.harness.hand_over(PaneOperation(NetworkOperation::SetWifiEnabled{false}));
  refused.pass();
  EXPECT_EQ(refused.flag(kWifiEnabledKey), true);

  Mounted repeated;
  repeated.harness.hand_over(PaneOperation(NetworkOperation::SetWifiEnabled{true}));
  repeated.pass();
  EXPECT_EQ(repeated.machine->count("set_wifi"), 0u);
}

TEST(NetworkPaneHandOver, OtherAreasAndOtherKeysAreLeftAlone) {
  Mounted other_area;
  other_area.harness.hand_over(PaneOperation(actions::BluetoothOperation::SetPowered{true}));
  const OperationStatus before = other_area.harness.status();
  other_area.pass();
  EXPECT_TRUE(other_area.harness.operation_cell().snapshot().has_value());
  EXPECT_EQ(other_area.harness.status(), before);

  // Running under another key: the switch acts on the document's radios, publishes nothing.
  Mounted other_key;
  const std::string key = other_key.harness.hand_over(PaneOperation(NetworkOperation::SetAirplaneMode{true}));
  other_key.harness.mark_running(key + " ");
  other_key.pass();
  EXPECT_EQ(other_key.harness.status(), OperationStatus(OperationStatus::Running{key + " "}));
  EXPECT_EQ(other_key.machine->radio.airplane_mode, true);
}

TEST(NetworkPaneSwitches, UnbackedChangesAndUnreportedRadios) {
  // Wi-Fi flipped while another operation runs: written back, the platform is not called.
  Mounted wifi;
  wifi.harness.mark_running("settings.display-operation:{}");
  wifi.put(kWifiEnabledKey, false);
  wifi.pass();
  EXPECT_EQ(wifi.flag(kWifiEnabledKey), true);
  EXPECT_EQ(wifi.machine->count("set_wifi"), 0u);

  // Wired flipped in the pane: carried out while nothing runs, written back while another runs.
  Mounted idle;
  idle.put(kWiredEnabledKey, false);
  idle.pass();
  EXPECT_EQ(idle.machine->count("set_wired"), 1u);
  EXPECT_FALSE(idle.pane->wired().enabled);
  Mounted busy;
  busy.harness.mark_running("settings.display-operation:{}");
  busy.put(kWiredEnabledKey, false);
  busy.pass();
  EXPECT_EQ(busy.machine->count("set_wired"), 0u);
  EXPECT_EQ(busy.flag(kWiredEnabledKey), true);

  // A radio whose state is not reported ignores its key.
  Mounted radios([](FakeMachine& m) { m.radio.hotspot.reset(); });
  radios.put(kHotspotKey, true);
  radios.put(kAirplaneModeKey, true);
  radios.pass();
  EXPECT_EQ(radios.machine->count("set_hotspot"), 0u);
  EXPECT_EQ(radios.machine->count("set_airplane_mode"), 1u);
}

TEST(NetworkPaneSwitches, ARefreshWithAFailingScanReadsEverythingElseAndWritesItsKeys) {
  Mounted mounted;
  mounted.machine->refused.insert("list_wifi_networks");
  mounted.machine->radio = {true, true, false, true, true, true};
  mounted.machine->wired.enabled = false;
  mounted.machine->wifi = false;
  mounted.machine->profiles.pop_back();
  mounted.machine->vpns[0].active = true;
  mounted.put(kRefreshKey, true);
  mounted.pass();
  for (std::string call : {"get_wired", "get_radio_state", "list_hotspot_clients", "get_connectivity",
                           "list_saved_network_profiles", "list_vpn_connections"}) {
    EXPECT_EQ(mounted.machine->count(call), 1u) << call;
  }
  EXPECT_EQ(mounted.flag(kRefreshKey), false);
  EXPECT_EQ(mounted.flag(kAirplaneModeKey), true);
  EXPECT_EQ(mounted.flag(kHotspotKey), true);
  EXPECT_EQ(mounted.flag(kMobileBroadbandKey), false);
  EXPECT_EQ(mounted.flag(kWiredEnabledKey), false);
  EXPECT_EQ(mounted.flag(kWifiEnabledKey), false);
  EXPECT_EQ(mounted.flag(vpn_key("Office")), true);
  EXPECT_EQ(mounted.pane->saved_profiles().size(), 1u);
  EXPECT_EQ(mounted.pane->connectivity(), net::Connectivity::Full);
  EXPECT_EQ(mounted.pane->wifi_networks().size(), 2u);
  // The next pass does not undo the changes made elsewhere.
  mounted.machine->calls.clear();
  mounted.pass();
  EXPECT_TRUE(mounted.machine->calls.empty());
}

TEST(NetworkPaneSeeding, WritesAbsentKeysOnlyAndStopsAtAnUnknownRadio) {
  PaneHarness harness;
  auto machine = std::make_shared<FakeMachine>();
  machine->radio.airplane_mode.reset();
  NetworkPane pane(fake_services(machine));  // keeps no cells: works on the frame's document
  orvo_doc::Document frame;
  (void)frame.put(orvo_doc::kRoot, kWiredEnabledKey, orvo_doc::ScalarValue::boolean(false));
  settle(pane, &frame);
  const auto flag = [&](std::string_view key) { return lib::read_bool(frame, orvo_doc::kRoot, key); };
  EXPECT_EQ(flag(kWifiEnabledKey), true);
  for (std::string_view key : {kAirplaneModeKey, kHotspotKey, kMobileBroadbandKey}) EXPECT_FALSE(flag(key)) << key;
  for (std::string_view key : kSeededFalseKeys) EXPECT_EQ(flag(key), false) << key;
  EXPECT_EQ(flag(kRefreshKey), false);
  EXPECT_EQ(flag(share_key("1234567890ab")), false);
  EXPECT_EQ(flag(autoconnect_key("1234567890ab")), true);
  EXPECT_EQ(lib::read_text(frame, orvo_doc::kRoot, kAdvancedProfileKey), "Home · 12345678");
  EXPECT_EQ(lib::read_text(frame, orvo_doc::kRoot, ipv4_key("1234567890ab", "dns")), "1.1.1.1, 9.9.9.9");
  EXPECT_EQ(lib::read_text(frame, orvo_doc::kRoot, kEnterpriseMethodKey), "PEAP");
  // The user's wired value is kept, and as the pane is unattached it acts on it.
  EXPECT_EQ(machine->count("set_wired"), 1u);
  EXPECT_FALSE(pane.wired().enabled);
}

struct ReplyCase {
  std::string_view name;
  std::vector<NetworkJobReply> replies;
  std::string_view status;
  std::optional<std::string> expanded;  // the open row afterwards; "Home" was open before
  std::size_t rereads;                  // network and profile list reads the replies caused
};

TEST(NetworkPaneReplies, EachReplyGivesItsSentenceAndStateInOrder) {
  using namespace outcome;
  const std::vector<ReplyCase> cases = {
      {"two in one frame, in order",
       {{job::MobileProfile{}, Message{"Mobile profile created."}}, {job::SimUnlock{}, Failed{"wrong PIN"}}},
       "Could not configure SIM: wrong PIN", "Home", 0},
      {"connected closes the row", {{job::WifiJoin{"Home"}, Connected{}}}, "Connected to Home.", std::nullopt, 1},
      {"connected with a note", {{job::WifiJoin{"Home"}, Connected{"Password could not be shared: busy"}}},
       "Connected to Home. Password could not be shared: busy", std::nullopt, 1},
      {"password needed opens the row", {{job::WifiJoin{"Cafe"}, PasswordNeeded{}}}, "Enter the password for Cafe.",
       "Cafe", 0},
      {"password needed with a reason", {{job::WifiJoin{"Cafe"}, PasswordNeeded{"no broker"}}},
       "Enter the password for Cafe. Shared password unavailable: no broker", "Cafe", 0},
      {"sealed names the profile", {{job::ProfileShare{"1234567890ab", "Home"}, Sealed{}}},
       "Home is sealed for your certified devices. Device-specific profile settings were not shared.", "Home", 0},
  };
  for (const ReplyCase& row : cases) {
    SCOPED_TRACE(row.name);
    Mounted mounted;
    mounted.pane->set_expanded_network(mounted.doc(), "Home");
    for (const auto& reply : row.replies) ASSERT_TRUE(mounted.pane->reply_sender().send(reply));
    mounted.pass();
    EXPECT_EQ(mounted.pane->status_message(), std::string(row.status));
    EXPECT_EQ(mounted.pane->expanded_network(), row.expanded);
    EXPECT_EQ(lib::read_text(mounted.doc(), orvo_doc::kRoot, kExpandedKey), row.expanded.value_or(""));
    EXPECT_EQ(mounted.machine->count("list_wifi_networks"), row.rereads);
    EXPECT_EQ(mounted.machine->count("list_saved_network_profiles"), row.rereads);
  }
}

// A look-up that waits until the test lets it answer.
class HeldContinuity final : public os_actions::continuity::WifiContinuityBackend {
 public:
  os_actions::continuity::WifiContinuityReply command(const os_actions::continuity::WifiContinuityRequest&) const override {
    std::unique_lock guard(lock_);
    ++asked_;
    asked_changed_.notify_all();
    released_changed_.wait(guard, [&] { return released_; });
    return os_actions::continuity::NoCredential{};
  }
  void release() {
    std::lock_guard guard(lock_);
    released_ = true;
    released_changed_.notify_all();
  }
  int asked() const {
    std::lock_guard guard(lock_);
    return asked_;
  }

 private:
  mutable std::mutex lock_;
  mutable std::condition_variable asked_changed_, released_changed_;
  mutable int asked_ = 0;
  bool released_ = false;
};

TEST(NetworkPaneReplies, AJoinInFlightStartsOnceAndAShareOfItsNameDoesNotEndIt) {
  PaneHarness harness;
  auto machine = std::make_shared<FakeMachine>();
  auto continuity = std::make_shared<HeldContinuity>();
  NetworkServices services = fake_services(machine);
  services.continuity = continuity;
  NetworkPane pane(std::move(services));
  orvo_doc::Document frame;
  pane.connect_wifi("Home", 1, std::nullopt, true);
  pane.connect_wifi("Home", 1, std::nullopt, true);
  EXPECT_EQ(pane.status_message(), "Connecting to Home…");
  ASSERT_TRUE(pane.reply_sender().send({job::ProfileShare{"1234567890ab", "Home"}, outcome::Failed{"refused"}}));
  PaneHarness::pass(pane, &frame);
  EXPECT_EQ(pane.joins_in_flight(), std::vector<std::string>{"Home"});
  EXPECT_EQ(pane.status_message(), "Could not configure Home: refused");

  continuity->release();
  for (int i = 0; i < 500 && !pane.joins_in_flight().empty(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    PaneHarness::pass(pane, &frame);
  }
  EXPECT_TRUE(pane.joins_in_flight().empty());
  EXPECT_EQ(continuity->asked(), 1);
  EXPECT_EQ(pane.status_message(), "Enter the password for Home.");
  EXPECT_EQ(pane.expanded_network(), "Home");
}

TEST(NetworkPaneJobs, NoSimAndACancelledChooserChangeNothingElse) {
  PaneHarness harness;
  auto machine = std::make_shared<FakeMachine>();
  NetworkPane pane(fake_services(machine));
  orvo_doc::Document frame;
  settle(pane, &frame);
  pane.secret_input(kMobilePinField)->assign("1234");
  pane.start_sim_unlock(std::nullopt);
  pane.start_ca_chooser();
  EXPECT_EQ(pane.status_message(), "Unlocking SIM…");
  for (int i = 0; i < 500 && (pane.ca_chooser_open() || pane.status_message() == "Unlocking SIM…"); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    PaneHarness::pass(pane, &frame);
  }
  EXPECT_EQ(pane.status_message(), "Could not configure SIM: No SIM is available");
  EXPECT_EQ(machine->count("unlock_mobile_sim_on"), 0u);
  EXPECT_TRUE(pane.secret_input(kMobilePinField)->empty());
  EXPECT_FALSE(pane.ca_chooser_open());
  EXPECT_EQ(lib::read_text(frame, orvo_doc::kRoot, kEnterpriseCaKey), "");
}

TEST(NetworkPaneProfiles, VpnAutoconnectForgetAndShare) {
  Mounted mounted([](FakeMachine& m) {
    m.refused = {"set_vpn_connection", "set_network_autoconnect"};
    m.profiles.push_back({"Home", "fedcba9876", "802-11-wireless", true});
  });
  mounted.put(vpn_key("Office"), true);
  mounted.put(autoconnect_key("1234567890ab"), false);
  {
    orvo_log::CaptureScope log;
    mounted.pass();
    ASSERT_EQ(log.count("VPN action failed"), 1u);
    const auto events = log.events();
    const auto vpn = std::find_if(events.begin(), events.end(), [](const auto& e) { return e.message == "VPN action failed"; });
    ASSERT_NE(vpn, events.end());
    EXPECT_TRUE(std::any_of(vpn->fields.begin(), vpn->fields.end(), [](const auto& field) {
      return field.first == "action" && field.second == "set_vpn_connection";
    }));
  }
  EXPECT_EQ(mounted.flag(vpn_key("Office")), false);
  EXPECT_FALSE(mounted.pane->vpn_connections()[0].active);
  EXPECT_EQ(mounted.flag(autoconnect_key("1234567890ab")), true);
  EXPECT_EQ(mounted.pane->status_message(), "Could not update Home: refused");

  mounted.machine->refused = {"forget_network_profile"};
  mounted.put(forget_key("fedcba9876"), true);
  mounted.pass();
  EXPECT_EQ(mounted.pane->status_message(), "Could not forget Home: refused");
  EXPECT_EQ(mounted.pane->saved_profiles().size(), 3u);
  mounted.machine->refused.clear();
  mounted.put(forget_key("fedcba9876"), true);
  mounted.pass();
  EXPECT_EQ(mounted.pane->status_message(), "Forgot Home.");
  EXPECT_EQ(mounted.pane->saved_profiles().size(), 2u);
  EXPECT_EQ(mounted.flag(forget_key("fedcba9876")), false);

  // Sharing only for Wi-Fi profiles; the wired profile's press is not taken.
  mounted.put(share_key("abcdef01-2345"), true);
  mounted.pass();
  EXPECT_EQ(mounted.flag(share_key("abcdef01-2345")), true);
  mounted.put(share_key("1234567890ab"), true);
  mounted.pass();
  EXPECT_EQ(mounted.flag(share_key("1234567890ab")), false);
  EXPECT_EQ(mounted.pane->status_message(), "Sealing Home for your devices…");
}

TEST(NetworkPaneSecrets, DroppingThePaneWipesEveryBufferAndSsidBuffersStandApart) {
  auto machine = std::make_shared<FakeMachine>();
  auto pane = std::make_unique<NetworkPane>(fake_services(machine));
  orvo_doc::Document frame;
  settle(*pane, &frame);
  pane->secret_input(kMobilePinField)->assign("1234");
  pane->secret_input(kEnterprisePasswordField)->assign("enterprise secret");
  pane->hotspot_password()->assign("hotspot secret");

  // An access point named like the PIN field has a buffer of its own; closing its row leaves the PIN.
  pane->set_expanded_network(frame, "__mobile_pin");
  auto row = pane->wifi_password("__mobile_pin");
  ASSERT_TRUE(row);
  EXPECT_NE(row, pane->secret_input(kMobilePinField));
  row->assign("row secret");
  pane->set_expanded_network(frame, "Cafe");
  EXPECT_TRUE(row->empty());
  EXPECT_EQ(pane->secret_input(kMobilePinField)->copy().view(), "1234");
  pane->wifi_password("Cafe")->assign("cafe secret");

  std::vector<std::shared_ptr<orvo_secret::SecretBuffer>> held = {
      pane->secret_input(kMobilePinField), pane->secret_input(kEnterprisePasswordField), pane->hotspot_password(),
      pane->wifi_password("Cafe")};
  pane.reset();
  for (const auto& buffer : held) {
    EXPECT_TRUE(buffer->empty());
    const auto storage = buffer->storage_for_testing();
    EXPECT_TRUE(std::all_of(storage.begin(), storage.end(), [](char c) { return c == 0; }));
  }
}

}  // namespace
}  // namespace settings::panes::network::testing

// The Bluetooth pane's pass: the seven operations the shell hands over and how each ends, the rows'
// requests, forgetting, pairing, renaming, trust and the device keys.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "fake_bluetooth.h"
#include "harness/pane_harness.h"
#include "lib/settings_document.h"
#include "panes/bluetooth/bluetooth_keys.h"
#include "panes/bluetooth/bluetooth_pane.h"

namespace settings::panes::bluetooth {
namespace {

using panes::testing::PaneHarness;
using settings_app::OperationStatus;
using testing::device;
using testing::FakeBluetooth;
using Op = actions::BluetoothOperation;

constexpr const char* kHeadset = "/org/bluez/hci0/dev_AA";
constexpr const char* kMouse = "/org/bluez/hci0/dev_BB";

// One pass, then more until the adapter worker has answered (within 5 s).
void settle(BluetoothPane& pane, orvo_doc::Document* frame = nullptr) {
  PaneHarness::pass(pane, frame);
  for (int i = 0; i < 500 && pane.busy(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    PaneHarness::pass(pane, frame);
  }
  ASSERT_FALSE(pane.busy());
}

class BluetoothPaneTest : public ::testing::Test {
 protected:
  BluetoothPaneTest() {
    fake->list = {device(kHeadset, "Headset"), device(kMouse, "Mouse", true, true)};
    fake->adapter_powered = true;
  }

  // The pane as the shell mounts it, after its first pass.
  void open() {
    pane = std::make_unique<BluetoothPane>(BluetoothPane::create(fake)
                                               .with_pane_operation(harness.operation_cell())
                                               .with_operation_status(harness.status_cell()));
    pass();
  }
  // One pass, then more until the adapter worker has answered.
  void pass() { settle(*pane); }
  orvo_doc::Document& document() { return *pane->own_document(); }

  // A row's request, as its button writes it, and one pass.
  void press(std::string_view path, std::string_view word) {
    (void)document().put(orvo_doc::kRoot, bluetooth_device_key(path, word), orvo_doc::ScalarValue::boolean(true));
    pass();
  }
  std::optional<bool> flag(std::string_view key) { return lib::read_bool(document(), orvo_doc::kRoot, key); }

  // Hands the operation over and passes until it ends (a pairing within 5 s).
  OperationStatus run(Op operation) {
    const std::string key = harness.hand_over(std::move(operation));
    for (int i = 0; i < 500 && harness.status().is_running(key); ++i) {
      pass();
      if (harness.status().is_running(key)) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return harness.status();
  }
  // Passes until the notice reads `text` (within 5 s): connections run on workers.
  void pass_until_notice(std::string_view text) {
    for (int i = 0; i < 500 && pane->notice() != text; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      pass();
    }
    EXPECT_EQ(pane->notice(), text);
  }
  // Passes until no pairing runs (within 5 s).
  void finish_pairing() {
    for (int i = 0; i < 500 && pane->pairing(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      pass();
    }
    ASSERT_FALSE(pane->pairing());
  }
  std::string key_of(Op operation) { return handed_operation_key(settings_app::PaneOperation(std::move(operation))); }

  PaneHarness harness;
  std::shared_ptr<FakeBluetooth> fake = std::make_shared<FakeBluetooth>();
  std::unique_ptr<BluetoothPane> pane;
};

OperationStatus succeeded(const std::string& key, std::string message) {
  return OperationStatus::Succeeded{key, std::move(message)};
}
OperationStatus failed(const std::string& key, std::string message) {
  return OperationStatus::Failed{key, std::move(message)};
}

struct OperationCase {
  const char* name;
  std::function<void(FakeBluetooth&)> setup;
  Op operation;
  bool succeeds;
  const char* sentence;
  const char* change;  // the backend call it makes, "" for none
};

TEST_F(BluetoothPaneTest, EachOperationEndsWithItsSentence) {
  const OperationCase cases[] = {
      {"power off", {}, Op::SetPowered{false}, true, "Bluetooth disabled.", "set_powered off"},
      {"power on", [](auto& f) { f.adapter_powered = false; }, Op::SetPowered{true}, true, "Bluetooth enabled.",
       "set_powered on"},
      {"power refused", [](auto& f) { f.fail.power = "Blocked through rfkill"; }, Op::SetPowered{false}, false,
       "Could not change Bluetooth power: Blocked through rfkill", "set_powered off"},
      {"power already so", {}, Op::SetPowered{true}, true, "Bluetooth enabled.", ""},
      {"scan starts", {}, Op::StartScan{}, true, "Bluetooth discovery started.", "start_scan"},
      {"scan stops", [](auto& f) { f.discovering = true; }, Op::StartScan{}, true, "Bluetooth discovery stopped.",
       "stop_scan"},
      {"scan refused", [](auto& f) { f.fail.scan = "Not Ready"; }, Op::StartScan{}, false,
       "Could not change Bluetooth discovery: Not Ready", "start_scan"},
      {"refresh", {}, Op::Refresh{}, true, "Bluetooth devices refreshed.", ""},
      {"refresh fails", [](auto& f) { f.fail.devices = "no bus"; }, Op::Refresh{}, false,
       "Could not refresh Bluetooth devices: no bus", ""},
      {"pair", {}, Op::Pair{kHeadset}, true, "Headset is paired and connected.", "pair /org/bluez/hci0/dev_AA"},
      {"pair without connection", [](auto& f) { f.fail.follow_up_connect = "Page Timeout"; }, Op::Pair{kHeadset}, true,
       "Headset paired, but did not connect: Page Timeout Use Connect to retry.", "pair /org/bluez/hci0/dev_AA"},
      {"pair refused", [](auto& f) { f.fail.pair = "Authentication Failed"; }, Op::Pair{kHeadset}, false,
       "Could not pair Headset: Authentication Failed Check that it is awake and in pairing mode, then retry.",
       "pair /org/bluez/hci0/dev_AA"},
      {"connect", {}, Op::Connect{kMouse}, true, "Connected Mouse.", "connect /org/bluez/hci0/dev_BB"},
      {"connect refused", [](auto& f) { f.fail.connect = "Host is down"; }, Op::Connect{kMouse}, false,
       "Could not connect Mouse: Host is down Check that it is awake and in range, then retry.",
       "connect /org/bluez/hci0/dev_BB"},
      {"disconnect", {}, Op::Disconnect{kMouse}, true, "Disconnected Mouse.", "disconnect /org/bluez/hci0/dev_BB"},
      {"disconnect refused", [](auto& f) { f.fail.connect = "Not Connected"; }, Op::Disconnect{kMouse}, false,
       "Could not disconnect Mouse: Not Connected Check that it is awake and in range, then retry.",
       "disconnect /org/bluez/hci0/dev_BB"},
      {"forget in one request", {}, Op::Forget{kMouse}, true, "Forgot Mouse.", "forget /org/bluez/hci0/dev_BB"},
      {"forget refused", [](auto& f) { f.fail.forget = "Does Not Exist"; }, Op::Forget{kMouse}, false,
       "Could not forget Mouse: Does Not Exist", "forget /org/bluez/hci0/dev_BB"},
      {"pair a device gone since the check", [](auto& f) { f.list.erase(f.list.begin()); }, Op::Pair{kHeadset}, false,
       "Bluetooth device is no longer available.", ""},
      {"connect a device gone", [](auto& f) { f.list.clear(); }, Op::Connect{kMouse}, false,
       "Bluetooth device is no longer available.", ""},
      {"disconnect a device gone", [](auto& f) { f.list.clear(); }, Op::Disconnect{kMouse}, false,
       "Bluetooth device is no longer available.", ""},
      {"forget a device gone", [](auto& f) { f.list.clear(); }, Op::Forget{kMouse}, false,
       "Bluetooth device is no longer available.", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fake = std::make_shared<FakeBluetooth>();
    fake->list = {device(kHeadset, "Headset"), device(kMouse, "Mouse", true, true)};
    fake->adapter_powered = true;
    open();
    if (c.setup) fake->edit(c.setup);
    const std::string key = key_of(c.operation);
    const OperationStatus ended = run(c.operation);
    EXPECT_EQ(ended, c.succeeds ? succeeded(key, c.sentence) : failed(key, c.sentence));
    const auto calls = fake->calls();
    if (*c.change) {
      EXPECT_EQ(calls, std::vector<std::string>{c.change});
    } else {
      EXPECT_TRUE(calls.empty()) << calls.front();
    }
    pane.reset();
  }
}

TEST_F(BluetoothPaneTest, ASecondPairingIsDroppedWithItsSentence) {
  open();
  fake->hold_pairing();
  press(kHeadset, "pair");
  ASSERT_EQ(pane->pairing(), kHeadset);
  EXPECT_EQ(pane->notice(), "Pairing Headset… Security prompts appear in system UI.");

  fake->edit([](auto& f) { f.list.push_back(device("/org/bluez/hci0/dev_CC", "Keyboard")); });
  const OperationStatus ended = run(Op::Pair{"/org/bluez/hci0/dev_CC"});
  EXPECT_EQ(ended, failed(key_of(Op::Pair{"/org/bluez/hci0/dev_CC"}), "Another Bluetooth pairing is in progress."));
  EXPECT_EQ(flag(bluetooth_device_key("/org/bluez/hci0/dev_CC", "pair")), false);

  fake->release_pairing();
  finish_pairing();
  EXPECT_EQ(pane->notice(), "Headset is paired and connected.");
  EXPECT_EQ(fake->calls(), std::vector<std::string>{"pair /org/bluez/hci0/dev_AA"});
  EXPECT_TRUE(pane->devices().front().paired) << "the list is read again after pairing";
}

TEST_F(BluetoothPaneTest, APairingResultForAVanishedDeviceNamesItDevice) {
  open();
  fake->hold_pairing();
  fake->fail.pair = "Connection refused";
  press(kHeadset, "pair");
  fake->edit([](auto& f) { f.list.erase(f.list.begin()); });
  press(kMouse, "details");  // any pass that reads the list again
  (void)document().put(orvo_doc::kRoot, "bluetooth.refresh", orvo_doc::ScalarValue::boolean(true));
  pass();
  ASSERT_EQ(pane->devices().size(), 1u);
  fake->release_pairing();
  finish_pairing();
  EXPECT_EQ(pane->notice(),
            "Could not pair Device: Connection refused Check that it is awake and in pairing mode, then retry.");
}

TEST_F(BluetoothPaneTest, CancellingAPairingLeavesItToEndThroughItsResult) {
  open();
  fake->hold_pairing();
  press(kHeadset, "pair");
  press(kHeadset, "cancel");
  EXPECT_EQ(pane->notice(), "Cancelled pairing Headset.");
  EXPECT_EQ(pane->pairing(), kHeadset);
  fake->fail.cancel = "Does Not Exist";
  press(kHeadset, "cancel");
  EXPECT_EQ(pane->notice(), "Could not cancel pairing: Does Not Exist");
  fake->release_pairing();
  finish_pairing();
}

TEST_F(BluetoothPaneTest, ForgetAsksFirstByHandAndActsAtOnceUnderItsOperation) {
  open();
  press(kMouse, "forget");
  EXPECT_EQ(pane->pending_forget(), kMouse);
  EXPECT_EQ(pane->notice(), "Forget Mouse? This removes its bond and keys.");
  EXPECT_TRUE(fake->calls().empty());

  fake->fail.forget = "In Progress";
  press(kMouse, "forget");
  EXPECT_EQ(pane->notice(), "Could not forget Mouse: In Progress");
  EXPECT_EQ(pane->pending_forget(), kMouse) << "a failed forget still waits for its confirmation";

  fake->fail.forget.reset();
  press(kMouse, "forget");
  EXPECT_EQ(pane->notice(), "Forgot Mouse. Pair it again to reconnect.");
  EXPECT_FALSE(pane->pending_forget());
  EXPECT_EQ(pane->devices().size(), 1u);
  EXPECT_EQ(harness.status(), OperationStatus{}) << "a request by hand publishes nothing";
}

TEST_F(BluetoothPaneTest, AStandAlonePaneWorksOnTheFrameDocument) {
  BluetoothPane alone = BluetoothPane::create(fake);
  orvo_doc::Document frame;
  settle(alone, &frame);
  PaneHarness::pass(alone, &frame);
  EXPECT_EQ(lib::read_bool(frame, orvo_doc::kRoot, "bluetooth.enabled"), true);
  (void)frame.put(orvo_doc::kRoot, bluetooth_device_key(kMouse, "forget"), orvo_doc::ScalarValue::boolean(true));
  settle(alone, &frame);
  EXPECT_EQ(alone.pending_forget(), kMouse);
  (void)frame.put(orvo_doc::kRoot, "bluetooth.enabled", orvo_doc::ScalarValue::boolean(false));
  settle(alone, &frame);
  EXPECT_FALSE(alone.powered()) << "with no shared status a switch acts at once";
}

TEST_F(BluetoothPaneTest, RowRequestsActWithNoOperationRunning) {
  open();
  press(kMouse, "disconnect");
  EXPECT_EQ(pane->notice(), "Disconnecting Mouse…");
  pass_until_notice("Disconnected Mouse.");
  EXPECT_FALSE(pane->devices()[1].connected);
  press(kMouse, "details");
  EXPECT_EQ(pane->expanded(), kMouse);
  press(kMouse, "details");
  EXPECT_FALSE(pane->expanded());
  EXPECT_EQ(flag(bluetooth_device_key(kMouse, "details")), false);

  (void)document().put(orvo_doc::kRoot, "bluetooth.scan", orvo_doc::ScalarValue::boolean(true));
  pass();
  EXPECT_TRUE(pane->scanning());
  EXPECT_EQ(pane->notice(), "Discovery started. Use Refresh as devices wake up.");
  EXPECT_EQ(harness.status(), OperationStatus{});
  EXPECT_EQ(fake->calls(), (std::vector<std::string>{"disconnect /org/bluez/hci0/dev_BB", "start_scan"}));
}

TEST_F(BluetoothPaneTest, APowerSwitchNoOperationBacksIsWrittenBack) {
  open();
  (void)document().put(orvo_doc::kRoot, "bluetooth.enabled", orvo_doc::ScalarValue::boolean(false));
  pass();
  EXPECT_EQ(flag("bluetooth.enabled"), true);
  EXPECT_TRUE(pane->powered());
  harness.mark_running(key_of(Op::SetPowered{true}));
  (void)document().put(orvo_doc::kRoot, "bluetooth.enabled", orvo_doc::ScalarValue::boolean(false));
  pass();
  EXPECT_EQ(flag("bluetooth.enabled"), true) << "another operation's key does not back it";
  EXPECT_TRUE(fake->calls().empty());
}

TEST_F(BluetoothPaneTest, ARefreshFailureKeepsTheListAndRereadsNothing) {
  open();
  const int power_reads = fake->power_reads();
  fake->fail.devices = "the Bluetooth service is not running";
  fake->adapter_powered = false;
  (void)document().put(orvo_doc::kRoot, "bluetooth.refresh", orvo_doc::ScalarValue::boolean(true));
  pass();
  EXPECT_EQ(pane->devices().size(), 2u);
  EXPECT_TRUE(pane->powered());
  EXPECT_EQ(fake->power_reads(), power_reads);
  EXPECT_EQ(pane->notice(), "Could not refresh devices: the Bluetooth service is not running");
}

TEST_F(BluetoothPaneTest, RenameSendsTheTextAsTypedAndReportsItTrimmed) {
  open();
  const auto alias = lib::ensure_text_object(document(), orvo_doc::kRoot, bluetooth_device_key(kMouse, "alias"));
  ASSERT_TRUE(alias.has_value());
  (void)document().splice_text(*alias, 0, 0, "  Desk mouse ");
  press(kMouse, "rename");
  EXPECT_EQ(fake->calls(), std::vector<std::string>{"alias /org/bluez/hci0/dev_BB [  Desk mouse ]"});
  EXPECT_EQ(pane->notice(), "Renamed device to Desk mouse.");

  fake->fail.alias = "Invalid Length";
  press(kHeadset, "rename");
  EXPECT_EQ(fake->calls().back(), "alias /org/bluez/hci0/dev_AA []") << "no alias typed is an empty one";
  EXPECT_EQ(pane->notice(), "Could not rename Headset: Invalid Length");
}

TEST_F(BluetoothPaneTest, TrustFollowsTheDeviceAfterEveryReload) {
  open();
  const std::string trusted = bluetooth_device_key(kMouse, "trusted");
  (void)document().put(orvo_doc::kRoot, trusted, orvo_doc::ScalarValue::boolean(true));
  pass();
  EXPECT_EQ(pane->notice(), "Mouse is now trusted.");

  // Changed elsewhere, then read again: the key follows and nothing is sent back.
  fake->edit([](auto& f) { f.list[1].trusted = false; });
  (void)document().put(orvo_doc::kRoot, "bluetooth.refresh", orvo_doc::ScalarValue::boolean(true));
  pass();
  pass();
  EXPECT_EQ(flag(trusted), false);
  EXPECT_EQ(fake->calls(), std::vector<std::string>{"trust /org/bluez/hci0/dev_BB yes"});

  // A device found later gets its keys.
  fake->edit([](auto& f) {
    f.list.push_back(device("/org/bluez/hci0/dev_CC", "Keyboard", true));
    f.list.back().trusted = true;
  });
  (void)document().put(orvo_doc::kRoot, "bluetooth.refresh", orvo_doc::ScalarValue::boolean(true));
  pass();
  EXPECT_EQ(flag(bluetooth_device_key("/org/bluez/hci0/dev_CC", "trusted")), true);
  EXPECT_EQ(flag(bluetooth_device_key("/org/bluez/hci0/dev_CC", "forget")), false);

  fake->fail.trust = "Not Authorized";
  (void)document().put(orvo_doc::kRoot, trusted, orvo_doc::ScalarValue::boolean(true));
  pass();
  EXPECT_EQ(pane->notice(), "Could not change device trust: Not Authorized");
  EXPECT_EQ(flag(trusted), false);
}

TEST(BluetoothDeviceKeys, SegmentIsTheLastPartOfThePathWithDotsMadeUnderscores) {
  const std::pair<const char*, const char*> cases[] = {
      {"/org/bluez/hci0/dev_A", "dev_A"},
      {"/org/bluez/hci0/dev.1.2", "dev_1_2"},
      {"dev.A", "dev_A"},
      {"", ""},
  };
  for (const auto& [path, segment] : cases) EXPECT_EQ(bluetooth_device_segment(path), segment) << path;
  EXPECT_EQ(bluetooth_device_key("/org/bluez/hci0/dev_A", "pair"), "bluetooth.device.dev_A.pair");
}

TEST_F(BluetoothPaneTest, AnOperationActsOnItsOwnDeviceWhenTwoAdaptersShareASegment) {
  fake->list = {device("/org/bluez/hci0/dev_A", "Left", true, false), device("/org/bluez/hci1/dev_A", "Right", true, false)};
  open();
  const OperationStatus ended = run(Op::Connect{"/org/bluez/hci1/dev_A"});
  EXPECT_EQ(ended, succeeded(key_of(Op::Connect{"/org/bluez/hci1/dev_A"}), "Connected Right."));
  EXPECT_EQ(fake->calls(), std::vector<std::string>{"connect /org/bluez/hci1/dev_A"});
}

TEST_F(BluetoothPaneTest, AnOperationForADeviceFoundSinceTheLastReadReachesIt) {
  open();
  fake->edit([](auto& f) { f.list.push_back(device("/org/bluez/hci0/dev_CC", "Keyboard", true)); });
  const OperationStatus ended = run(Op::Connect{"/org/bluez/hci0/dev_CC"});
  EXPECT_EQ(ended, succeeded(key_of(Op::Connect{"/org/bluez/hci0/dev_CC"}), "Connected Keyboard."));
}

// The service may be slow to answer (a busy adapter, a stuck daemon): the pass never waits for it.
TEST(BluetoothPaneConstruction, ASlowServiceNeverHoldsThePass) {
  struct Slow final : BluetoothBackend {
    std::shared_future<void> gate;
    std::expected<std::vector<BluetoothDevice>, std::string> devices() const override {
      gate.wait();
      return std::vector<BluetoothDevice>{device(kMouse, "Mouse", true, true)};
    }
    std::expected<bool, std::string> is_powered() const override { return true; }
    std::expected<bool, std::string> is_scanning() const override { return false; }
  };
  std::promise<void> release;
  auto slow = std::make_shared<Slow>();
  slow->gate = release.get_future().share();
  BluetoothPane pane = BluetoothPane::create(slow);
  orvo_doc::Document frame;
  PaneHarness::pass(pane, &frame);
  PaneHarness::pass(pane, &frame);
  EXPECT_TRUE(pane.busy());
  EXPECT_TRUE(pane.devices().empty());
  EXPECT_EQ(lib::read_bool(frame, orvo_doc::kRoot, "bluetooth.enabled"), std::nullopt) << "nothing shown before the read";

  release.set_value();
  settle(pane, &frame);
  EXPECT_TRUE(pane.powered());
  EXPECT_EQ(pane.devices().size(), 1u);
  PaneHarness::pass(pane, &frame);
  EXPECT_EQ(lib::read_bool(frame, orvo_doc::kRoot, "bluetooth.enabled"), true);
}

TEST(BluetoothPaneConstruction, FailedReadsGiveNoDevicesAndEverythingOff) {
  struct Broken final : BluetoothBackend {
    std::expected<std::vector<BluetoothDevice>, std::string> devices() const override {
      return std::unexpected(std::string("down"));
    }
    std::expected<bool, std::string> is_powered() const override { return std::unexpected(std::string("down")); }
    std::expected<bool, std::string> is_scanning() const override { return std::unexpected(std::string("down")); }
  };
  BluetoothPane pane = BluetoothPane::create(std::make_shared<Broken>());
  orvo_doc::Document frame;
  settle(pane, &frame);
  EXPECT_TRUE(pane.devices().empty());
  EXPECT_FALSE(pane.notice()) << "a service that cannot be read at opening shows as one with nothing on";
  EXPECT_FALSE(pane.powered());
  EXPECT_FALSE(pane.scanning());
}

}  // namespace
}  // namespace settings::panes::bluetooth

// The Bluetooth page as the widget tree shows it: the discovery and refresh buttons, the power
// switch, the captions, and the device rows with their buttons, details and status lines.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include <algorithm>

#include "fake_bluetooth.h"
#include "../../support/picture.h"
#include "harness/pane_harness.h"
#include "orvo_ui/render.h"
#include "orvo_ui/scene.h"
#include "orvo_ui/text.h"
#include "orvo_ui/theme.h"
#include "orvo_ui/layout.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/text_input.h"
#include "panes/bluetooth/bluetooth_keys.h"
#include "panes/bluetooth/bluetooth_pane.h"

namespace settings::panes::bluetooth {
namespace {

using panes::testing::find_widget;
using panes::testing::PaneHarness;
using panes::testing::PaneInALoop;
using panes::testing::texts_of;
using testing::device;
using testing::FakeBluetooth;

constexpr const char* kSpeaker = "/org/bluez/hci0/dev_A1";
constexpr const char* kPhone = "/org/bluez/hci0/dev_B2";
constexpr const char* kMouse = "/org/bluez/hci0/dev_C3";
constexpr const char* kWatch = "/org/bluez/hci0/dev_D4";

class BluetoothView : public ::testing::Test {
 protected:
  BluetoothView() {
    fake->adapter_powered = true;
    BluetoothDevice speaker = device(kSpeaker, "Kitchen speaker");
    speaker.icon = "audio-speakers";
    speaker.rssi_dbm = -60;
    speaker.address = "A1:A1:A1:A1:A1:A1";
    BluetoothDevice phone = device(kPhone, "Phone", true, true);
    phone.battery_percent = 80;
    BluetoothDevice watch = device(kWatch, "Watch", false, true);
    fake->list = {speaker, phone, device(kMouse, "Mouse", true, false), watch};
  }
  ~BluetoothView() override {
    fake->release_pairing();
    loop.reset();
    pane.reset();
  }

  void open(std::uint32_t width = 1280, std::uint32_t height = 800) {
    pane = std::make_unique<BluetoothPane>(BluetoothPane::create(fake)
                                               .with_pane_operation(harness.operation_cell())
                                               .with_operation_status(harness.status_cell()));
    loop = std::make_unique<PaneInALoop>(*pane, width, height);
    frames_until_idle();
  }
  // Frames until the adapter worker has answered, and one that shows the result.
  void frames_until_idle() {
    loop->frame();
    for (int i = 0; i < 500 && pane->busy(); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      loop->frame();
    }
    loop->frame();
  }
  // A row's request, then frames that act on it and show the result.
  void request(std::string_view path, std::string_view word) {
    (void)pane->own_document()->put(orvo_doc::kRoot, bluetooth_device_key(path, word), orvo_doc::ScalarValue::boolean(true));
    frames_until_idle();
  }
  std::string label(std::string_view id) {
    auto* button = dynamic_cast<orvo_ui::Button*>(find_widget(*pane, id));
    return button ? button->label() : "(no button " + std::string(id) + ")";
  }
  bool shows(std::string_view text) {
    const auto texts = texts_of(*pane);
    return std::find(texts.begin(), texts.end(), text) != texts.end();
  }

  PaneHarness harness;
  std::shared_ptr<FakeBluetooth> fake = std::make_shared<FakeBluetooth>();
  std::unique_ptr<BluetoothPane> pane;
  std::unique_ptr<PaneInALoop> loop;
};

TEST_F(BluetoothView, EachRowOffersTheActionThatFitsItsDevice) {
  fake->hold_pairing();
  open();
  request(kMouse, "pair");  // a paired device being paired again still offers only to cancel
  const std::pair<const char*, const char*> expected[] = {
      {"settings.bluetooth.dev_A1.pair", "Pair"},
      {"settings.bluetooth.dev_B2.disconnect", "Disconnect"},
      {"settings.bluetooth.dev_C3.cancel", "Cancel pairing"},
      {"settings.bluetooth.dev_D4.pair", "Pair"},
  };
  for (const auto& [id, text] : expected) EXPECT_EQ(label(id), text) << id;
  EXPECT_EQ(label("settings.bluetooth.details.dev_A1"), "Details");
  EXPECT_TRUE(shows("Connected · Battery 80%"));
  EXPECT_TRUE(shows("Paired"));
  EXPECT_TRUE(shows("Nearby"));
  EXPECT_TRUE(shows("Connected")) << "a connected but unpaired device says so and offers Pair";
}

TEST_F(BluetoothView, AnUnpairedDevicesDetailsShowOnlyWhatItHas) {
  open();
  request(kSpeaker, "details");
  EXPECT_EQ(label("settings.bluetooth.details.dev_A1"), "Less");
  EXPECT_TRUE(shows("Address"));
  EXPECT_TRUE(shows("A1:A1:A1:A1:A1:A1"));
  EXPECT_TRUE(shows("-60 dBm"));
  EXPECT_TRUE(shows("Sound exposes profiles and codecs only when PipeWire reports selectable capabilities."));
  for (const char* id : {"settings.bluetooth.trusted.dev_A1", "bluetooth.alias.dev_A1", "settings.bluetooth.rename.dev_A1",
                         "settings.bluetooth.forget.dev_A1"}) {
    EXPECT_EQ(find_widget(*pane, id), nullptr) << id;
  }
}

TEST_F(BluetoothView, APairedDeviceCanBeTrustedRenamedAndForgottenAfterConfirming) {
  open();
  request(kPhone, "details");
  EXPECT_NE(find_widget(*pane, "settings.bluetooth.trusted.dev_B2"), nullptr);
  auto* alias = dynamic_cast<orvo_ui::TextInput*>(find_widget(*pane, "bluetooth.alias.dev_B2"));
  ASSERT_NE(alias, nullptr);
  EXPECT_EQ(label("settings.bluetooth.rename.dev_B2"), "Rename");
  EXPECT_EQ(label("settings.bluetooth.forget.dev_B2"), "Forget…");
  EXPECT_FALSE(shows("Sound exposes profiles and codecs only when PipeWire reports selectable capabilities."));

  loop->click(*find_widget(*pane, "settings.bluetooth.forget.dev_B2"));
  loop->frame();
  EXPECT_EQ(label("settings.bluetooth.forget.dev_B2"), "Confirm forget");
  request(kMouse, "details");
  EXPECT_EQ(label("settings.bluetooth.forget.dev_C3"), "Forget…") << "only the row that asked confirms";
  EXPECT_TRUE(fake->calls().empty());
}

TEST_F(BluetoothView, DiscoveryButtonAndCaptionsFollowTheAdapter) {
  fake->list.clear();
  open();
  EXPECT_EQ(label("settings.bluetooth.scan"), "Find devices");
  EXPECT_EQ(label("settings.bluetooth.refresh"), "Refresh");
  EXPECT_TRUE(shows("No devices found. Put a device in pairing mode, then start discovery."));

  loop->click(*find_widget(*pane, "settings.bluetooth.scan"));
  frames_until_idle();
  EXPECT_EQ(label("settings.bluetooth.scan"), "Stop discovery");
  EXPECT_TRUE(shows("Looking for nearby devices…"));
  EXPECT_TRUE(shows("Discovery started. Use Refresh as devices wake up."));
  EXPECT_EQ(fake->calls(), std::vector<std::string>{"start_scan"});
}

TEST_F(BluetoothView, ThePowerSwitchIsBoundToTheSectionsAction) {
  open();
  orvo_ui::Widget* toggle = find_widget(*pane, "bluetooth.toggle");
  ASSERT_NE(toggle, nullptr);
  const auto bindings = toggle->control_action_bindings();
  ASSERT_EQ(bindings.size(), 1u);
  const auto* target = std::get_if<std::pair<std::string, std::string>>(&bindings[0].target);
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->second, "bluetooth");
}

// The page with four devices, one open and one pairing, as a wide and a narrow window's content
// area show it; the pictures are written beside the test for a look.
TEST_F(BluetoothView, DrawsFourDevicesWithinTheWidth) {
  fake->hold_pairing();
  for (const int width : {960, 560}) {
    open(width, 800);
    request(kPhone, "details");
    request(kSpeaker, "pair");
    orvo_ui::TextRenderer text(orvo_ui::TextRenderer::Metrics::Fonts);
    settings::testing::lay_out(*pane, text, width, 800);
    for (const char* id : {"settings.bluetooth.dev_A1.cancel", "settings.bluetooth.forget.dev_B2", "bluetooth.toggle"}) {
      orvo_ui::Widget* widget = find_widget(*pane, id);
      ASSERT_NE(widget, nullptr) << id;
      EXPECT_LE(widget->get_rect().x1, width + 0.5) << id << " at " << width;
    }
    const std::string path = "bluetooth_page_" + std::to_string(width) + ".png";
    ASSERT_TRUE(settings::testing::write_picture(*pane, text, width, 800, path, "bluetooth page"));
    fake->release_pairing();
    loop.reset();
    pane.reset();
    fake->hold_pairing();
  }
}

}  // namespace
}  // namespace settings::panes::bluetooth

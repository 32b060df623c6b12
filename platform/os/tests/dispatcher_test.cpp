#include "os_actions/dispatcher.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace os_actions {
namespace {

TEST(Dispatcher, SlotsNotYetFilledAnswerTheirSentence) {
  struct Slot {
    std::function<DispatchResult(const Dispatcher&)> call;
    std::string_view sentence;
  };
  const Slot slots[] = {
      {[](const Dispatcher& d) { return d.set_brightness(40); }, "Brightness control is not available on this system."},
      {[](const Dispatcher& d) { return d.set_volume(40); }, "Volume control is not available on this system."},
      {[](const Dispatcher& d) { return d.set_wifi(true); }, "Wi-Fi control is not available on this system."},
      {[](const Dispatcher& d) { return d.set_bluetooth(true); }, "Bluetooth control is not available on this system."},
      {[](const Dispatcher& d) { return d.connect_bluetooth("/org/bluez/hci0/dev_00"); },
       "Connecting Bluetooth devices is not available on this system."},
      {[](const Dispatcher& d) { return d.disconnect_bluetooth("/org/bluez/hci0/dev_00"); },
       "Disconnecting Bluetooth devices is not available on this system."},
      {[](const Dispatcher& d) { return d.set_wired(false); }, "Wired network control is not available on this system."},
      {[](const Dispatcher& d) { return d.set_airplane_mode(true); }, "Airplane mode is not available on this system."},
      {[](const Dispatcher& d) { return d.set_hotspot(true); }, "The Wi-Fi hotspot is not available on this system."},
      {[](const Dispatcher& d) { return d.set_mobile_broadband(true); }, "Mobile broadband is not available on this system."},
      {[](const Dispatcher& d) { return d.set_vpn_connection("Office", true); }, "VPN control is not available on this system."},
      {[](const Dispatcher& d) { return d.connect_wifi("HomeNet", orvo_secret::SecretString("pw")); },
       "Joining Wi-Fi networks is not available on this system."},
      {[](const Dispatcher& d) { return d.set_power_profile("balanced"); },
       "Power profile control is not available on this system."},
      {[](const Dispatcher& d) { return d.toggle_mute(); }, "Mute control is not available on this system."},
      {[](const Dispatcher& d) { return d.set_mute(true); }, "Mute control is not available on this system."},
  };
  static_assert(std::size(slots) == 15);
  const Dispatcher provided;
  for (const Slot& slot : slots) {
    const DispatchResult answer = slot.call(provided);
    ASSERT_FALSE(answer.has_value()) << slot.sentence;
    EXPECT_EQ(answer.error(), slot.sentence);
  }
}

TEST(Dispatcher, ABackendOverridesOnlyItsOwnSlots) {
  struct Brightness final : Dispatcher {
    DispatchResult set_brightness(float percent) const override {
      if (percent > 100) return std::unexpected(std::string("out of range"));
      return {};
    }
  };
  const Brightness brightness;
  EXPECT_TRUE(brightness.set_brightness(50).has_value());
  EXPECT_EQ(brightness.set_brightness(150).error(), "out of range");
  EXPECT_EQ(brightness.set_volume(10).error(), "Volume control is not available on this system.");
}

}  // namespace
}  // namespace os_actions

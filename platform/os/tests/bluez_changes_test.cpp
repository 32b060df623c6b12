#include <gtest/gtest.h>

#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"
#include "os_actions/bluez.h"
#include "os_actions/dispatcher.h"

namespace {

using namespace std::chrono_literals;
namespace bluez = os_actions::bluez;

// The failure text, or "" for a success.
template <typename T>
std::string error_of(const std::expected<T, std::string>& result) {
  return result ? std::string() : result.error();
}

constexpr const char* kKeyboard = "/org/bluez/hci0/dev_11_22_33_44_55_66";
constexpr const char* kHeadphones = "/org/bluez/hci0/dev_AA_BB_CC_DD_EE_FF";

// The Bluetooth service's stand-in with adapter hci0 and two unpaired devices.
class BluezChanges : public ::testing::Test {
 protected:
  void SetUp() override {
    auto started = orvo_dbus_testing::StandInBus::start();
    if (!started) GTEST_SKIP() << "stand-in bus unavailable: " << started.error();
    bus_ = std::move(*started);
    if (auto mock = bus_->start_mock({"--template", "bluez5"}, "org.bluez"); !mock) {
      GTEST_SKIP() << "bluez5 stand-in unavailable: " << mock.error();
    }
    auto client = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
    ASSERT_TRUE(client.has_value());
    client_.emplace(std::move(*client));
    ASSERT_TRUE(mock_call("AddAdapter", std::string("hci0"), std::string("laptop")));
    ASSERT_TRUE(mock_call("AddDevice", std::string("hci0"), std::string("11:22:33:44:55:66"), std::string("Keyboard")));
    ASSERT_TRUE(mock_call("AddDevice", std::string("hci0"), std::string("AA:BB:CC:DD:EE:FF"), std::string("Headphones")));
  }

  template <typename... In>
  bool mock_call(std::string_view method, const In&... in) {
    return client_->call<std::string>(orvo_dbus::Target{"org.bluez", "/"}, "org.bluez.Mock", method, 2s, in...).has_value();
  }

  bool adapter_flag(const char* name) {
    auto value = client_->property(orvo_dbus::Target{"org.bluez", "/org/bluez/hci0"}, "org.bluez.Adapter1", name);
    return value && orvo_dbus::get<bool>(*value).value_or(false);
  }

  bluez::BluetoothDevice device(std::string_view path) {
    auto listed = bluez::devices();
    EXPECT_TRUE(listed.has_value());
    for (auto& each : listed.value_or(std::vector<bluez::BluetoothDevice>{})) {
      if (each.path == path) return each;
    }
    ADD_FAILURE() << "no device " << path;
    return {};
  }

  std::unique_ptr<orvo_dbus_testing::StandInBus> bus_;
  std::optional<orvo_dbus::Connection> client_;
};

TEST_F(BluezChanges, PowerAndDiscoveryFollowTheAdapter) {
  EXPECT_EQ(bluez::is_powered(), true);
  EXPECT_EQ(bluez::is_scanning(), false);

  ASSERT_TRUE(bluez::set_powered(false).has_value());
  EXPECT_FALSE(adapter_flag("Powered"));
  EXPECT_EQ(bluez::is_powered(), false);
  ASSERT_TRUE(os_actions::RealDispatcher().set_bluetooth(true).has_value());
  EXPECT_TRUE(adapter_flag("Powered"));

  // The stand-in refuses discovery until a filter was set, as a check that one always is.
  auto started = bluez::start_scan();
  ASSERT_TRUE(started.has_value()) << started.error();
  EXPECT_TRUE(adapter_flag("Discovering"));
  EXPECT_EQ(bluez::is_scanning(), true);
  ASSERT_TRUE(bluez::stop_scan().has_value());
  EXPECT_FALSE(adapter_flag("Discovering"));
}

TEST_F(BluezChanges, PairConnectsAndPairingAgainGivesTheServiceWords) {
  auto paired = bluez::pair(kKeyboard);
  ASSERT_TRUE(paired.has_value()) << paired.error();
  EXPECT_EQ(*paired, std::nullopt);
  EXPECT_TRUE(device(kKeyboard).paired);

  auto again = bluez::pair(kKeyboard);
  ASSERT_FALSE(again.has_value());
  EXPECT_EQ(again.error(), "Device already paired");
  EXPECT_TRUE(bluez::cancel_pairing(kHeadphones).has_value());
}

TEST_F(BluezChanges, ConnectAndDisconnectReportRefusals) {
  const os_actions::RealDispatcher dispatcher;
  EXPECT_EQ(error_of(bluez::disconnect(kHeadphones)), "Not Connected");
  ASSERT_TRUE(dispatcher.connect_bluetooth(kHeadphones).has_value());
  EXPECT_EQ(error_of(bluez::connect(kHeadphones)), "Already Connected");
  ASSERT_TRUE(dispatcher.disconnect_bluetooth(kHeadphones).has_value());
  EXPECT_EQ(error_of(dispatcher.disconnect_bluetooth(kHeadphones)), "Not Connected");
  EXPECT_FALSE(bluez::connect("/org/bluez/hci0/dev_00_00_00_00_00_00").has_value());
}

TEST_F(BluezChanges, TrustAliasAndForgetChangeTheDevice) {
  ASSERT_TRUE(bluez::set_trusted(kKeyboard, true).has_value());
  EXPECT_TRUE(device(kKeyboard).trusted);
  ASSERT_TRUE(bluez::set_alias(kKeyboard, " Desk keyboard ").has_value());
  EXPECT_EQ(device(kKeyboard).name, " Desk keyboard ");

  ASSERT_TRUE(bluez::forget(kKeyboard).has_value());
  auto listed = bluez::devices();
  ASSERT_TRUE(listed.has_value());
  ASSERT_EQ(listed->size(), 1u);
  EXPECT_EQ(listed->front().path, kHeadphones);
  EXPECT_FALSE(bluez::forget(kKeyboard).has_value());
}

TEST(BluezWithoutAdapter, ReadsAndChangesSayWhy) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.bluez", "--template", "bluez5");
  EXPECT_EQ(bluez::devices().value_or(std::vector<bluez::BluetoothDevice>{{}}).size(), 0u);
  EXPECT_EQ(error_of(bluez::is_powered()), "no Bluetooth adapter is present");
  EXPECT_EQ(error_of(bluez::is_scanning()), "no Bluetooth adapter is present");
  EXPECT_EQ(error_of(bluez::set_powered(true)), "no Bluetooth adapter is present");
  EXPECT_EQ(error_of(bluez::start_scan()), "no Bluetooth adapter is present");
}

TEST(BluezWithoutService, ReadsAndChangesSayTheServiceIsNotRunning) {
  ORVO_STAND_IN_BUS(bus);
  constexpr std::string_view kStopped = "the Bluetooth service is not running";
  EXPECT_FALSE(bluez::devices().has_value());
  EXPECT_EQ(error_of(bluez::is_powered()), kStopped);
  EXPECT_EQ(error_of(bluez::is_scanning()), kStopped);
  EXPECT_EQ(error_of(bluez::start_scan()), kStopped);
  EXPECT_EQ(error_of(bluez::pair(kKeyboard)), kStopped);
  EXPECT_EQ(error_of(bluez::forget(kKeyboard)), kStopped);
}

}  // namespace

#include "os_actions/bluez.h"

#include <gtest/gtest.h>

#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"

namespace {

using namespace std::chrono_literals;

TEST(BluezDevices, ListsDevicesWithTheirPairedAndConnectedState) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.bluez", "--template", "bluez5");
  auto client = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  ASSERT_TRUE(client.has_value());
  const orvo_dbus::Target mock{"org.bluez", "/"};

  auto empty = os_actions::bluez::devices();
  ASSERT_TRUE(empty.has_value()) << empty.error();
  EXPECT_TRUE(empty->empty());

  ASSERT_TRUE(client->call<std::string>(mock, "org.bluez.Mock", "AddAdapter", 2s, std::string("hci0"),
                                        std::string("laptop")).has_value());
  for (const auto& [address, alias] : {std::pair{"11:22:33:44:55:66", "Keyboard"}, std::pair{"AA:BB:CC:DD:EE:FF", "Headphones"}}) {
    ASSERT_TRUE(client->call<std::string>(mock, "org.bluez.Mock", "AddDevice", 2s, std::string("hci0"),
                                          std::string(address), std::string(alias)).has_value());
  }
  ASSERT_TRUE(client->call<>(mock, "org.bluez.Mock", "PairDevice", 2s, std::string("hci0"),
                             std::string("AA:BB:CC:DD:EE:FF"), std::int32_t{0x240404}).has_value());
  ASSERT_TRUE(client->call<>(mock, "org.bluez.Mock", "ConnectDevice", 2s, std::string("hci0"),
                             std::string("AA:BB:CC:DD:EE:FF")).has_value());

  auto devices = os_actions::bluez::devices();
  ASSERT_TRUE(devices.has_value()) << devices.error();
  ASSERT_EQ(devices->size(), 2u);
  const auto& keyboard = (*devices)[0];
  EXPECT_EQ(keyboard.path, "/org/bluez/hci0/dev_11_22_33_44_55_66");
  EXPECT_EQ(keyboard.name, "Keyboard");
  EXPECT_EQ(keyboard.address, "11:22:33:44:55:66");
  EXPECT_EQ(keyboard.rssi_dbm, -79);
  EXPECT_FALSE(keyboard.paired);
  EXPECT_FALSE(keyboard.connected);
  const auto& headphones = (*devices)[1];
  EXPECT_EQ(headphones.path, "/org/bluez/hci0/dev_AA_BB_CC_DD_EE_FF");
  EXPECT_EQ(headphones.name, "Headphones");
  EXPECT_TRUE(headphones.paired);
  EXPECT_TRUE(headphones.connected);
}

TEST(BluezDevices, StoppedServiceGivesASentence) {
  ORVO_STAND_IN_BUS(bus);
  auto devices = os_actions::bluez::devices();
  ASSERT_FALSE(devices.has_value());
  EXPECT_EQ(devices.error(), "Could not list Bluetooth devices: the Bluetooth service is not running");
}

}  // namespace

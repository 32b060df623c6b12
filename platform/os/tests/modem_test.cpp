// SIMs against a stand-in of the modem service built from dbusmock's generic object.
#include "os_actions/modem.h"

#include <gtest/gtest.h>

#include "network_stand_in.h"

namespace {

using namespace os_actions::modem;
using os_actions_testing::Methods;
using orvo_secret::SecretString;

constexpr const char* kMm = "org.freedesktop.ModemManager1";
constexpr const char* kRoot = "/org/freedesktop/ModemManager1";
constexpr const char* kSim0 = "/org/freedesktop/ModemManager1/SIM/0";
constexpr const char* kSim1 = "/org/freedesktop/ModemManager1/SIM/1";
constexpr const char* kModem = "/org/freedesktop/ModemManager1/Modem/0";

TEST(Modem, SimsListedAndUnlocked) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, kMm, "-s", "-m", kMm, kRoot, kMm);
  auto client = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  ASSERT_TRUE(client.has_value());
  auto add = [&](const std::string& path, const std::string& interface, const orvo_dbus::Properties& properties,
                 const Methods& methods) {
    auto reply = client->call<>({kMm, kRoot}, os_actions_testing::kMock, "AddObject", std::chrono::seconds(2), path,
                                interface, properties, methods);
    ASSERT_TRUE(reply.has_value()) << reply.error().text();
  };
  const Methods send_pin{{"SendPin", "s", "",
                          "if args[0] != '1234': raise dbus.exceptions.DBusException('Incorrect password', "
                          "name='org.freedesktop.ModemManager1.Error.MobileEquipment.IncorrectPassword')"}};
  add(kSim0, "org.freedesktop.ModemManager1.Sim",
      {{"SimIdentifier", sdbus::Variant(std::string("8944100000000000001"))},
       {"OperatorName", sdbus::Variant(std::string("Orvo Mobile"))}},
      send_pin);
  add(kSim1, "org.freedesktop.ModemManager1.Sim",
      {{"SimIdentifier", sdbus::Variant(std::string("8901200000000000002"))}, {"OperatorName", sdbus::Variant(std::string())}},
      send_pin);
  add(kModem, "org.freedesktop.ModemManager1.Modem",
      {{"Sim", sdbus::Variant(sdbus::ObjectPath(kSim0))},
       {"SimSlots", sdbus::Variant(std::vector<sdbus::ObjectPath>{sdbus::ObjectPath(kSim0), sdbus::ObjectPath(kSim1)})}},
      {});

  auto sims = list_mobile_sims();
  ASSERT_TRUE(sims.has_value()) << sims.error();
  const std::vector<MobileSim> expected{{kSim0, "Orvo Mobile", "8944100000000000001", kModem},
                                        {kSim1, "8901200000000000002", "8901200000000000002", kModem}};
  EXPECT_EQ(*sims, expected);

  EXPECT_EQ(unlock_mobile_sim_on(kSim0, SecretString("0000")).error(), "Incorrect password");
  EXPECT_TRUE(unlock_mobile_sim_on(kSim0, SecretString("1234")).has_value());
  EXPECT_EQ(unlock_mobile_sim_on(kSim0, SecretString("12a4")).error(), "a PIN has 4 to 8 digits");
  EXPECT_EQ(unlock_mobile_sim_on("", SecretString("1234")).error(), "no SIM is selected");
}

TEST(Modem, StoppedServiceGivesItsReason) {
  ORVO_STAND_IN_BUS(bus);
  EXPECT_EQ(list_mobile_sims().error(), "the modem service is not running");
  EXPECT_EQ(unlock_mobile_sim_on(kSim0, SecretString("1234")).error(), "the modem service is not running");
}

}  // namespace

#include "orvo_dbus/connection.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "orvo_dbus_testing/stand_in_bus.h"

namespace {

using namespace std::chrono_literals;
using orvo_dbus::Bus;
using orvo_dbus::Connection;
using orvo_dbus::Target;

const Target kTimedate{"org.freedesktop.timedate1", "/org/freedesktop/timedate1"};
constexpr std::string_view kTimedateInterface = "org.freedesktop.timedate1";

TEST(DbusConnection, MissingBusFailsAtOnceWithASentence) {
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/orvo/bus", 1);
  const auto started = std::chrono::steady_clock::now();
  auto connection = Connection::open(Bus::System);
  ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
  ASSERT_FALSE(connection.has_value());
  EXPECT_TRUE(connection.error().text().starts_with("the system bus is not available")) << connection.error().text();
  EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
}

TEST(DbusConnection, ServiceThatIsNotRunningAnswersAtOnce) {
  ORVO_STAND_IN_BUS(bus);
  auto connection = Connection::open(Bus::System);
  ASSERT_TRUE(connection.has_value()) << connection.error().text();
  const auto started = std::chrono::steady_clock::now();
  auto reply = connection->property(kTimedate, kTimedateInterface, "Timezone");
  ASSERT_FALSE(reply.has_value());
  EXPECT_TRUE(reply.error().service_missing()) << reply.error().name;
  EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
}

TEST(DbusConnection, CallsMethodsAndReadsProperties) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.freedesktop.timedate1", "--template", "timedated");
  auto connection = Connection::open(Bus::System);
  ASSERT_TRUE(connection.has_value());

  auto zone = connection->property(kTimedate, kTimedateInterface, "Timezone");
  ASSERT_TRUE(zone.has_value()) << zone.error().text();
  EXPECT_EQ(orvo_dbus::get<std::string>(*zone), "Etc/Utc");

  auto set = connection->call<>(kTimedate, kTimedateInterface, "SetTimezone", 2s, std::string("Europe/Berlin"), false);
  ASSERT_TRUE(set.has_value()) << set.error().text();
  auto all = connection->all_properties(kTimedate, kTimedateInterface);
  ASSERT_TRUE(all.has_value());
  EXPECT_EQ(orvo_dbus::get<std::string>(*all, "Timezone"), "Europe/Berlin");
  EXPECT_EQ(orvo_dbus::get<bool>(*all, "NTP"), true);
  EXPECT_EQ(orvo_dbus::get<std::string>(*all, "NTP"), std::nullopt);  // wrong type reads as absent

  auto wrong = connection->call<>(kTimedate, kTimedateInterface, "NoSuchMethod", 2s);
  ASSERT_FALSE(wrong.has_value());
  EXPECT_FALSE(wrong.error().text().empty());
}

TEST(DbusConnection, ServiceThatHangsIsCutOffByTheTimeLimit) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.orvo.Hang", "--system", "org.orvo.Hang", "/org/orvo/Hang", "org.orvo.Hang");
  auto connection = Connection::open(Bus::System);
  ASSERT_TRUE(connection.has_value());
  const Target hang{"org.orvo.Hang", "/org/orvo/Hang"};
  auto added = connection->call<>(hang, "org.freedesktop.DBus.Mock", "AddMethod", 2s, std::string("org.orvo.Hang"),
                                  std::string("Wait"), std::string(""), std::string(""),
                                  std::string("import time; time.sleep(5)"));
  ASSERT_TRUE(added.has_value()) << added.error().text();

  const auto started = std::chrono::steady_clock::now();
  auto reply = connection->call<>(hang, "org.orvo.Hang", "Wait", 300ms);
  ASSERT_FALSE(reply.has_value());
  EXPECT_EQ(reply.error().text(), "the service did not answer in time");
  EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
}

}  // namespace

// Brightness against a backlight tree in a temporary root, set through a stand-in login manager or
// the device file.
#include "os_actions/display.h"

#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"
#include "orvo_runtime/system_paths.h"
#include "os_actions/dispatcher.h"
#include "temp_tree.h"

namespace {

namespace display = os_actions::display;
using os_actions_testing::TempTree;

void add_backlight(const TempTree& tree, std::string_view name, std::string_view kind, std::uint32_t max,
                   std::uint32_t actual) {
  const std::string dir = "sys/class/backlight/" + std::string(name) + "/";
  tree.write(dir + "type", std::string(kind) + "\n");
  tree.write(dir + "max_brightness", std::to_string(max) + "\n");
  tree.write(dir + "actual_brightness", std::to_string(actual) + "\n");
  tree.write(dir + "brightness", std::to_string(actual) + "\n");
}

std::string brightness_file(const TempTree& tree, std::string_view name) {
  std::ifstream in(tree.root() / "sys/class/backlight" / name / "brightness");
  std::string value;
  in >> value;
  return value;
}

TEST(Brightness, ReadsThePreferredKindOfDeviceAsAFraction) {
  TempTree tree;
  system_paths::ScopedOverride root(tree.root());
  add_backlight(tree, "amdgpu_bl0", "raw", 255, 0);
  add_backlight(tree, "thinkpad_screen", "platform", 15, 15);
  add_backlight(tree, "acpi_video1", "firmware", 0, 0);  // no usable range: passed over
  add_backlight(tree, "acpi_video0", "firmware", 100, 40);
  EXPECT_FLOAT_EQ(display::get_brightness().value(), 0.4f);

  std::filesystem::remove_all(tree.root() / "sys/class/backlight/acpi_video0");
  EXPECT_FLOAT_EQ(display::get_brightness().value(), 1.0f);  // platform, at its maximum

  std::filesystem::remove_all(tree.root() / "sys/class/backlight/thinkpad_screen");
  EXPECT_FLOAT_EQ(display::get_brightness().value(), 0.0f);  // raw, off
}

TEST(Brightness, MissingBacklightOrUnreadableLevelGivesItsReason) {
  TempTree tree;
  system_paths::ScopedOverride root(tree.root());
  EXPECT_EQ(display::get_brightness().error(), "no backlight device was found");
  EXPECT_EQ(display::set_brightness(50).error(), "no backlight device was found");

  tree.write("sys/class/backlight/intel_backlight/max_brightness", "1000\n");
  tree.write("sys/class/backlight/intel_backlight/actual_brightness", "bright\n");
  EXPECT_EQ(display::get_brightness().error(), "could not read the brightness of intel_backlight");
}

TEST(Brightness, RefusesPercentagesOutsideTheRangeAndChangesNothing) {
  TempTree tree;
  system_paths::ScopedOverride root(tree.root());
  add_backlight(tree, "intel_backlight", "raw", 1000, 300);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  for (const float percent : {-1.0f, -0.01f, 100.5f, 150.0f, nan, inf, -inf}) {
    const auto set = display::set_brightness(percent);
    ASSERT_FALSE(set.has_value()) << percent;
    EXPECT_TRUE(set.error().starts_with("brightness must be a percentage from 0 to 100, not ")) << set.error();
    EXPECT_EQ(brightness_file(tree, "intel_backlight"), "300");
  }
}

// The SetBrightness calls the stand-in session received: (subsystem, device, value) each.
std::vector<std::tuple<std::string, std::string, std::uint32_t>> session_calls(orvo_dbus::Connection& bus) {
  using Call = sdbus::Struct<std::uint64_t, std::vector<sdbus::Variant>>;
  auto calls = bus.call<std::vector<Call>>({"org.freedesktop.login1", "/org/freedesktop/login1/session/auto"},
                                           "org.freedesktop.DBus.Mock", "GetMethodCalls", orvo_dbus::kDefaultTimeout,
                                           std::string("SetBrightness"));
  EXPECT_TRUE(calls.has_value()) << calls.error().text();
  std::vector<std::tuple<std::string, std::string, std::uint32_t>> seen;
  if (!calls) return seen;
  for (const auto& call : std::get<0>(*calls)) {
    const auto& args = std::get<1>(call);
    if (args.size() != 3) continue;
    seen.emplace_back(args[0].get<std::string>(), args[1].get<std::string>(), args[2].get<std::uint32_t>());
  }
  return seen;
}

TEST(Brightness, SetsThroughTheCallersLoginSessionScaledToTheMaximum) {
  TempTree tree;
  system_paths::ScopedOverride root(tree.root());
  add_backlight(tree, "intel_backlight", "raw", 255, 10);
  ORVO_STAND_IN_BUS(stand_in);
  ORVO_STAND_IN_MOCK(stand_in, "org.freedesktop.login1", "--template", "logind");
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  ASSERT_TRUE(bus.has_value());
  // The login manager resolves "auto" to the caller's session; the stand-in names one so.
  const auto session = bus->call<std::string>({"org.freedesktop.login1", "/org/freedesktop/login1"},
                                                     "org.freedesktop.DBus.Mock", "AddSession", orvo_dbus::kDefaultTimeout,
                                                     std::string("auto"), std::string("seat0"), std::uint32_t{1000},
                                                     std::string("user"), true);
  ASSERT_TRUE(session.has_value()) << session.error().text();
  ASSERT_TRUE((bus->call<>({"org.freedesktop.login1", "/org/freedesktop/login1/session/auto"},
                           "org.freedesktop.DBus.Mock", "AddMethod", orvo_dbus::kDefaultTimeout,
                           std::string("org.freedesktop.login1.Session"), std::string("SetBrightness"),
                           std::string("ssu"), std::string(""), std::string(""))
                   .has_value()));

  const os_actions::RealDispatcher dispatcher;
  ASSERT_TRUE(dispatcher.set_brightness(50).has_value());
  ASSERT_TRUE(display::set_brightness(100).has_value());
  ASSERT_TRUE(display::set_brightness(0).has_value());
  using Seen = std::tuple<std::string, std::string, std::uint32_t>;
  EXPECT_EQ(session_calls(*bus), (std::vector<Seen>{{"backlight", "intel_backlight", 128},
                                                     {"backlight", "intel_backlight", 255},
                                                     {"backlight", "intel_backlight", 0}}));
  EXPECT_EQ(brightness_file(tree, "intel_backlight"), "10");  // the session did the writing
}

TEST(Brightness, WritesTheDeviceFileWhenNoLoginManagerRuns) {
  TempTree tree;
  system_paths::ScopedOverride root(tree.root());
  add_backlight(tree, "intel_backlight", "raw", 937, 100);
  ORVO_STAND_IN_BUS(stand_in);  // a bus with no login manager on it
  const os_actions::RealDispatcher dispatcher;
  ASSERT_TRUE(dispatcher.set_brightness(100).has_value());
  EXPECT_EQ(brightness_file(tree, "intel_backlight"), "937");
  ASSERT_TRUE(display::set_brightness(33.3f).has_value());
  EXPECT_EQ(brightness_file(tree, "intel_backlight"), "312");
  ASSERT_TRUE(display::set_brightness(0).has_value());
  EXPECT_EQ(brightness_file(tree, "intel_backlight"), "0");
}

}  // namespace

namespace {

TEST(AmbientLightSensor, FoundFromAnIlluminanceDeviceOrTheSensorProxy) {
  TempTree tree;
  system_paths::ScopedOverride root(tree.root());
  ORVO_STAND_IN_BUS(stand_in);  // no sensor proxy yet
  tree.write("sys/bus/iio/devices/iio:device0/in_accel_x_raw", "12\n");
  EXPECT_FALSE(display::has_ambient_light_sensor());  // an accelerometer only

  for (const char* file : {"in_illuminance_raw", "in_illuminance_input"}) {
    const auto path = tree.write(std::string("sys/bus/iio/devices/iio:device1/") + file, "250\n");
    EXPECT_TRUE(display::has_ambient_light_sensor()) << file;
    std::filesystem::remove(path);
  }

  const std::string proxy = "net.hadess.SensorProxy";
  ORVO_STAND_IN_MOCK(stand_in, proxy, "-s", proxy, "/net/hadess/SensorProxy", proxy);
  auto bus = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  ASSERT_TRUE(bus.has_value());
  const orvo_dbus::Target object{proxy, "/net/hadess/SensorProxy"};
  const auto added = bus->call<>(object, "org.freedesktop.DBus.Mock", "AddProperty", orvo_dbus::kDefaultTimeout,
                                 proxy, std::string("HasAmbientLight"), sdbus::Variant(false));
  ASSERT_TRUE(added.has_value()) << added.error().text();
  EXPECT_FALSE(display::has_ambient_light_sensor());

  const auto updated = bus->call<>(object, "org.freedesktop.DBus.Mock", "UpdateProperties",
                                   orvo_dbus::kDefaultTimeout, proxy,
                                   std::map<std::string, sdbus::Variant>{{"HasAmbientLight", sdbus::Variant(true)}});
  ASSERT_TRUE(updated.has_value()) << updated.error().text();
  EXPECT_TRUE(display::has_ambient_light_sensor());
}

}  // namespace

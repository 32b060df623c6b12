// The network page in the application started offscreen against the network service's stand-in
// (one Wi-Fi device, two access points), opened from outside with the developer tool.
#include <gtest/gtest.h>

#include <cairo.h>

#include <chrono>
#include <csignal>
#include <set>

#include "../../door/offscreen_app.h"
#include "orvo_dbus/connection.h"
#include "orvo_dbus_testing/stand_in_bus.h"

namespace settings::panes::network::testing {
namespace {

using door_tests::ToolRun;
using namespace std::chrono_literals;

constexpr const char* kNm = "org.freedesktop.NetworkManager";

// The colours of a strip of the picture.
std::set<std::uint32_t> colours_in(cairo_surface_t* picture, int left, int top, int right, int bottom) {
  std::set<std::uint32_t> colours;
  const unsigned char* data = cairo_image_surface_get_data(picture);
  const int stride = cairo_image_surface_get_stride(picture);
  for (int y = top; y < bottom; ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(data + y * stride);
    for (int x = left; x < right; ++x) colours.insert(row[x] & 0x00FFFFFF);
  }
  return colours;
}

TEST(NetworkPageEndToEnd, TheSectionOpensOnTheWholePage) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, kNm, "--template", "networkmanager");
  auto client = orvo_dbus::Connection::open(orvo_dbus::Bus::System);
  ASSERT_TRUE(client.has_value());
  const orvo_dbus::Target mock{kNm, "/org/freedesktop"};
  auto device = client->call<std::string>(mock, "org.freedesktop.DBus.Mock", "AddWiFiDevice", 2s,
                                          std::string("mock_wlan0"), std::string("wlan0"), std::int32_t{100});
  ASSERT_TRUE(device.has_value());
  for (const auto& [name, ssid, strength, security] :
       {std::tuple{"ap_home", "Home", std::uint8_t{80}, std::uint32_t{0x100}},
        std::tuple{"ap_cafe", "Cafe", std::uint8_t{40}, std::uint32_t{0}}}) {
    auto added = client->call<std::string>(mock, "org.freedesktop.DBus.Mock", "AddAccessPoint", 2s,
                                           std::get<0>(*device), std::string(name), std::string(ssid),
                                           std::string("00:11:22:33:44:55"), std::uint32_t{2}, std::uint32_t{2437},
                                           std::uint32_t{54000}, strength, security);
    ASSERT_TRUE(added.has_value()) << name;
  }

  door_tests::OffscreenApp app;
  const auto png = app.home() / "network.png";
  app.write_png_at_end(png);
  ASSERT_TRUE(app.start()) << app.process().err();
  ToolRun open = app.tool({"--timeout", "20", "invoke", "settings.section:network", "open"});
  EXPECT_EQ(open.status, 0) << open.err;
  // Give the first look at the machine a moment to come back and the page to be drawn.
  std::this_thread::sleep_for(1500ms);

  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();

  cairo_surface_t* picture = cairo_image_surface_create_from_png(png.c_str());
  ASSERT_EQ(cairo_surface_status(picture), CAIRO_STATUS_SUCCESS) << png;
  const int width = cairo_image_surface_get_width(picture);
  const int height = cairo_image_surface_get_height(picture);
  ASSERT_GE(height, 100);
  // The page's cards reach the window's lower edge: its last strip is not bare background.
  EXPECT_GT(colours_in(picture, width / 2, height - 40, width - 20, height - 4).size(), 1u);
  cairo_surface_destroy(picture);
}

}  // namespace
}  // namespace settings::panes::network::testing

// The application started offscreen beside the stand-in compositor: the tool opens the Displays
// page, whose cards reach the window's lower edge, and the run ends with its picture.
#include <cairo.h>
#include <gtest/gtest.h>

#include <fstream>

#include "../../door/offscreen_app.h"
#include "orvo_runtime/system_paths.h"
#include "settings_store/display_transaction.h"

namespace settings::panes::display::testing {
namespace {

namespace hw = settings_store::hardware;

std::uint32_t pixel(cairo_surface_t* image, int x, int y) {
  const unsigned char* data = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  return *reinterpret_cast<const std::uint32_t*>(data + y * stride + x * 4) & 0x00ffffff;
}

TEST(DisplayViewEndToEnd, TheOpenedPageFillsTheWindow) {
  door_tests::OffscreenApp app;
  system_paths::ScopedOverride paths(app.home(), app.config(), app.runtime());
  const auto base = door_tests::environment_with(
      {{"XDG_RUNTIME_DIR", app.runtime().native()}, {"XDG_CONFIG_HOME", app.config().native()}});
  std::filesystem::create_directories(app.home() / "standin");
  door_tests::ChildProcess stand_in(ORVO_DISPLAY_STANDIN, {"eDP-1:1920x1080:builtin", "HDMI-A-1:3840x2160"}, base,
                                    app.home() / "standin");
  for (int i = 0; i < 500 && !hw::DisplayTransaction::service_running(); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(hw::DisplayTransaction::service_running()) << stand_in.err();

  // Enough frames for the tool to open the page before the script ends.
  std::ofstream script(app.home() / "script");
  script << "resize 1280 800\n";
  for (int i = 0; i < 200; ++i) script << "frames 20\n";
  script.close();
  const auto png = app.home() / "page.png";
  const auto env = door_tests::environment_with({{"ORVO_UI_BACKEND", "offscreen"},
                                                 {"ORVO_UI_SCRIPT", (app.home() / "script").native()},
                                                 {"ORVO_UI_PNG", png.native()},
                                                 {"ORVO_UI_STATE", (app.home() / "state.json").native()},
                                                 {"XDG_RUNTIME_DIR", app.runtime().native()},
                                                 {"XDG_CONFIG_HOME", app.config().native()},
                                                 {"XDG_STATE_HOME", (app.home() / "state").native()},
                                                 {"HOME", app.home().native()}});
  std::filesystem::create_directories(app.home() / "app");
  door_tests::ChildProcess settings(ORVO_SETTINGS, {}, env, app.home() / "app");
  const auto socket = app.runtime() / "so.orvo.settings.actions.sock";
  for (int i = 0; i < 600 && !std::filesystem::exists(socket); ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::filesystem::create_directories(app.home() / "tool");
  door_tests::ChildProcess tool(ORVO_SETTINGS_ACTIONS, {"--timeout", "20", "invoke", "settings.section:displays", "open"},
                                env, app.home() / "tool");
  EXPECT_EQ(tool.wait(), 0) << tool.err();
  ASSERT_EQ(settings.wait(), 0) << settings.err();
  ASSERT_TRUE(std::filesystem::exists(png));

  cairo_surface_t* image = cairo_image_surface_create_from_png(png.c_str());
  ASSERT_EQ(cairo_surface_status(image), CAIRO_STATUS_SUCCESS);
  EXPECT_EQ(cairo_image_surface_get_width(image), 1280);
  EXPECT_EQ(cairo_image_surface_get_height(image), 800);
  // At the lower edge a card is under the middle of the page, not the page's own background.
  const int bottom = cairo_image_surface_get_height(image) - 2;
  EXPECT_NE(pixel(image, 760, bottom), pixel(image, 272, bottom));
  EXPECT_EQ(pixel(image, 272, bottom), pixel(image, 272, 95)) << "the gutter is page background";
  cairo_surface_destroy(image);
}

}  // namespace
}  // namespace settings::panes::display::testing

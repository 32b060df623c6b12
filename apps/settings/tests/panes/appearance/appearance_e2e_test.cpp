// The application started offscreen: driven by input events only (the search field opens
// Appearance, Shift+Tab reaches the page's last control and Space flips it: only the pane's commit
// of its control can put the new value into the preferences file), and driven from outside while
// the page is open.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <cairo.h>
#include <cstdint>
#include <optional>
#include <signal.h>
#include <string>
#include <vector>

#include "../../door/offscreen_app.h"

namespace settings::panes::appearance {
namespace {

TEST(AppearanceEndToEnd, SpaceOnTheLastControlReducesMotion) {
  door_tests::OffscreenApp app(R"({"appearance":{"theme":"Nord","high_contrast":false,"reduce_motion":false,)"
                               R"("text_scale":1.0,"ui_scale":1.25},"other":{"kept":true}})");
  ASSERT_EQ(app.run_script("click 130 26\ntext appearance\nkey enter\nframes 5\n"
                           "key shift+tab\nkey space\nframes 10\n"),
            0)
      << app.process().err();

  const auto saved = nlohmann::json::parse(door_tests::read_file(app.settings_file()));
  EXPECT_EQ(saved["appearance"]["reduce_motion"], true) << saved.dump();
  EXPECT_EQ(saved["appearance"]["theme"], "Nord");
  EXPECT_EQ(saved["appearance"]["high_contrast"], false);
  EXPECT_EQ(saved["other"]["kept"], true);
}

TEST(AppearanceEndToEnd, AChoiceFromOutsideStaysWhileThePageIsOpen) {
  door_tests::OffscreenApp app(R"({"appearance":{"theme":"Nord","high_contrast":false,"reduce_motion":false,)"
                               R"("text_scale":1.0,"ui_scale":1.0}})");
  ASSERT_TRUE(app.start()) << app.process().err();
  auto open = app.tool({"invoke", "settings.section:appearance", "open"});
  ASSERT_EQ(open.status, 0) << open.err;

  auto theme = app.tool({"invoke", "settings.section:appearance", "theme", R"({"choice":"Light"})"});
  EXPECT_EQ(theme.status, 0) << theme.err;
  auto size = app.tool({"invoke", "settings.section:appearance", "text_size", R"({"choice":"Large"})"});
  EXPECT_EQ(size.status, 0) << size.err;
  // Later requests run after the page's passes over the new values: the page must not put its
  // older values back.
  EXPECT_EQ(app.tool({"tree"}).status, 0);
  EXPECT_EQ(app.tool({"tree"}).status, 0);

  const auto saved = nlohmann::json::parse(door_tests::read_file(app.settings_file()));
  EXPECT_EQ(saved["appearance"]["theme"], "Light") << saved.dump();
  EXPECT_EQ(saved["appearance"]["text_scale"], 1.15) << saved.dump();
}

// The colour of one pixel of a PNG.
std::optional<std::uint32_t> pixel(const std::filesystem::path& png, int x, int y) {
  cairo_surface_t* surface = cairo_image_surface_create_from_png(png.c_str());
  std::optional<std::uint32_t> colour;
  if (cairo_surface_status(surface) == CAIRO_STATUS_SUCCESS && x < cairo_image_surface_get_width(surface) &&
      y < cairo_image_surface_get_height(surface)) {
    cairo_surface_flush(surface);
    const unsigned char* row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    colour = reinterpret_cast<const std::uint32_t*>(row)[x] & 0xffffff;
  }
  cairo_surface_destroy(surface);
  return colour;
}

TEST(PreferencePanesEndToEnd, TheToolReachesEveryPaneAndTheWindowFollowsTheTheme) {
  door_tests::OffscreenApp app(R"({"appearance":{"theme":"Nord"},"other":{"kept":true}})");
  app.keep_last_frame();
  ASSERT_TRUE(app.start()) << app.process().err();
  const auto invoke = [&](std::string_view section, std::string_view action, std::string_view args = "") {
    std::vector<std::string> words{"invoke", "settings.section:" + std::string(section), std::string(action)};
    if (!args.empty()) words.emplace_back(args);
    const auto run = app.tool(words);
    EXPECT_EQ(run.status, 0) << section << " " << action << ": " << run.err;
  };
  invoke("appearance", "open");
  invoke("appearance", "theme", R"({"choice":"Light"})");
  invoke("region_formats", "open");
  invoke("region_formats", "currency", R"({"choice":"EUR"})");
  invoke("notifications", "open");
  invoke("notifications", "dnd");
  EXPECT_EQ(app.tool({"tree"}).status, 0);
  ASSERT_EQ(app.stop(), 0) << app.process().err();

  const auto saved = nlohmann::json::parse(door_tests::read_file(app.settings_file()));
  EXPECT_EQ(saved["appearance"]["theme"], "Light") << saved.dump();
  EXPECT_EQ(saved["locale"]["currency"], "EUR") << saved.dump();
  EXPECT_EQ(saved["notifications"]["do_not_disturb"], true) << saved.dump();
  EXPECT_EQ(saved["other"]["kept"], true);
  // The page left the Appearance section, and the window still wears the chosen theme: the
  // bottom-right corner is the page's background.
  EXPECT_EQ(pixel(app.last_frame(), 1270, 790), 0xf4f5f7u);
}

}  // namespace
}  // namespace settings::panes::appearance

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

}  // namespace
}  // namespace settings::panes::appearance

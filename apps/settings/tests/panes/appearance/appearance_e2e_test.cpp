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

using door_tests::ChildProcess;
using door_tests::environment_with;

struct Home {
  std::filesystem::path dir = [] {
    char pattern[] = "/tmp/orvo-appearance-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::filesystem::path(made ? made : "/tmp");
  }();
  ~Home() { std::filesystem::remove_all(dir); }
};

TEST(AppearanceEndToEnd, SpaceOnTheLastControlReducesMotion) {
  Home home;
  const auto runtime = home.dir / "runtime";
  std::filesystem::create_directories(runtime);
  ::chmod(runtime.c_str(), 0700);
  std::filesystem::create_directories(home.dir / "config/orvo");
  std::filesystem::create_directories(home.dir / "state");
  const auto file = home.dir / "config/orvo/settings.json";
  std::ofstream(file) << R"({"appearance":{"theme":"Nord","high_contrast":false,"reduce_motion":false,)"
                         R"("text_scale":1.0,"ui_scale":1.25},"other":{"kept":true}})";
  std::ofstream(home.dir / "script") << "click 130 26\ntext appearance\nkey enter\nframes 5\n"
                                        "key shift+tab\nkey space\nframes 10\n";
  const auto env = environment_with({{"ORVO_UI_BACKEND", "offscreen"},
                                     {"ORVO_UI_SCRIPT", (home.dir / "script").native()},
                                     {"ORVO_UI_PNG", std::nullopt},
                                     {"ORVO_UI_STATE", std::nullopt},
                                     {"XDG_RUNTIME_DIR", runtime.native()},
                                     {"XDG_CONFIG_HOME", (home.dir / "config").native()},
                                     {"XDG_STATE_HOME", (home.dir / "state").native()},
                                     {"HOME", home.dir.native()}});
  ChildProcess app(ORVO_SETTINGS, {}, env, home.dir);
  ASSERT_TRUE(app.started());
  ASSERT_EQ(app.wait(), 0) << app.err();

  const auto saved = nlohmann::json::parse(std::ifstream(file));
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

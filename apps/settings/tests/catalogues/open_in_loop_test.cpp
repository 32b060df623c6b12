// An outside request to open a section, taken by the frame loop's action host like the door hands it
// over, switches the page the running root shows.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "../settings_app/root_support.h"
#include "orvo_testing/scoped_env.h"
#include "orvo_testing/temp_dir.h"
#include "orvo_ui/widgets/toggle.h"

namespace settings::settings_app {
namespace {

struct OpenInTheLoop : ::testing::Test {
  orvo_testing::TempDir dir;
  orvo_testing::ScopedEnv config{"XDG_CONFIG_HOME", (dir.root() / "config").string()};
  testing::RootInALoop loop;

  // Hands the loop an outside request to open the section, as the door does.
  std::vector<orvo_ui::RequestReport> reports;
  void open(std::string_view section) {
    loop.loop().host().set_accepts_outside_requests(true);
    loop.loop().host().submit({{"settings.section:" + std::string(section), "open"}, "{}",
                               [this](const orvo_ui::RequestReport& report) { reports.push_back(report); }});
  }

  // The value a toggle of the shown page holds, none when the page shows no such toggle.
  std::optional<bool> toggle(std::string_view id) {
    std::optional<bool> found;
    std::function<void(const orvo_ui::Widget&)> walk = [&](const orvo_ui::Widget& w) {
      if (auto* t = dynamic_cast<const orvo_ui::Toggle*>(&w); t && t->widget_id() == id) found = t->value();
      w.for_each_child(walk);
    };
    walk(loop.root());
    return found;
  }
};

TEST_F(OpenInTheLoop, SwitchesThePageTheRootShows) {
  loop.frame();
  ASSERT_EQ(loop.state()["selected_category"], "network");
  open("bluetooth");
  loop.run("frames 2");
  ASSERT_EQ(reports.size(), 1u);
  const auto* started = std::get_if<orvo_ui::RequestStarted>(&reports.front());
  ASSERT_NE(started, nullptr);
  EXPECT_TRUE(std::holds_alternative<orvo_ui::start::Completed>(started->answer));
  EXPECT_EQ(loop.state()["selected_category"], "bluetooth");
}

// The loop runs two frames for a request: the one that takes it and the one after (then it sleeps
// until something happens). The page must show its stored values in the second, not wait for input.
TEST_F(OpenInTheLoop, APageOpenedFromOutsideShowsItsStoredValuesInTheFrameItIsBuiltIn) {
  loop.frame();
  open("notifications");
  loop.frame();
  loop.frame();
  EXPECT_EQ(toggle("notifications.banners"), true) << "banners are on unless the user turned them off";
  EXPECT_EQ(toggle("notifications.dnd"), false);
}

}  // namespace
}  // namespace settings::settings_app

// An outside request to open a section, taken by the frame loop's action host like the door hands it
// over, switches the page the running root shows.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "../settings_app/root_support.h"

namespace settings::settings_app {
namespace {

TEST(OpenInTheLoop, SwitchesThePageTheRootShows) {
  char pattern[] = "/tmp/orvo-settings-open-XXXXXX";
  const std::filesystem::path dir = ::mkdtemp(pattern);
  const char* old_config = std::getenv("XDG_CONFIG_HOME");
  const std::optional<std::string> saved = old_config ? std::optional<std::string>(old_config) : std::nullopt;
  ::setenv("XDG_CONFIG_HOME", (dir / "config").c_str(), 1);
  {
    testing::RootInALoop loop;
    loop.frame();
    ASSERT_EQ(loop.state()["selected_category"], "network");

    std::vector<orvo_ui::RequestReport> reports;
    loop.loop().host().set_accepts_outside_requests(true);
    loop.loop().host().submit({{"settings.section:bluetooth", "open"}, "{}",
                               [&](const orvo_ui::RequestReport& report) { reports.push_back(report); }});
    loop.run("frames 2");
    ASSERT_EQ(reports.size(), 1u);
    const auto* started = std::get_if<orvo_ui::RequestStarted>(&reports.front());
    ASSERT_NE(started, nullptr);
    EXPECT_TRUE(std::holds_alternative<orvo_ui::start::Completed>(started->answer));
    EXPECT_EQ(loop.state()["selected_category"], "bluetooth");
  }
  if (saved) {
    ::setenv("XDG_CONFIG_HOME", saved->c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace settings::settings_app

// The application started offscreen with stand-ins for the sound server's tools first on its PATH,
// and driven from outside with the developer tool.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>

#include "../../door/offscreen_app.h"
#include "harness/stub_programs.h"
#include "orvo_testing/temp_dir.h"

namespace settings::panes::sound::testing {
namespace {

using door_tests::ToolRun;
using namespace std::chrono_literals;

std::string fixture(const char* name) { return orvo_testing::read_file(std::string(ORVO_SOUND_FIXTURES) + "/" + name); }

TEST(AudioPaneEndToEnd, VolumeRepeatsAtOnceAndFreesTheRunner) {
  door_tests::OffscreenApp app;
  panes::testing::StubPrograms stubs(app.home() / "stubs");
  stubs.answer("wpctl", "Volume: 0.50\n");
  stubs.answer("pw-dump", fixture("pw-dump-two-outputs.json"));
  stubs.answer("pw-metadata", "");
  stubs.script("pw-cat", "exec /bin/cat > /dev/null\n");
  ASSERT_TRUE(app.start()) << app.process().err();

  const std::vector<std::string> volume = {"--timeout", "20", "invoke", "settings.section:sound", "volume",
                                           R"({"value":0.4})"};
  ToolRun first = app.tool(volume);
  EXPECT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(first.out, "Output volume set to 40%.\n") << first.err;
  const auto log = stubs.log();
  EXPECT_NE(std::find(log.begin(), log.end(), "wpctl set-volume @DEFAULT_AUDIO_SINK@ 0.40"), log.end());

  const auto started = std::chrono::steady_clock::now();
  ToolRun again = app.tool(volume);
  EXPECT_LT(std::chrono::steady_clock::now() - started, 5s) << "ends at once, not when the tool gives up";
  EXPECT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.out, "Output volume set to 40%.\n") << again.err;

  ToolRun muted = app.tool({"--timeout", "20", "invoke", "settings.section:sound", "muted", R"({"value":true})"});
  EXPECT_EQ(muted.status, 0) << muted.err;
  EXPECT_EQ(muted.out, "Output muted.\n") << muted.err;
  const auto after = stubs.log();
  EXPECT_NE(std::find(after.begin(), after.end(), "wpctl set-mute @DEFAULT_AUDIO_SINK@ 1"), after.end());

  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::panes::sound::testing

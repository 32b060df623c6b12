#include "media/audio_control.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>

#include "os_actions/audio.h"
#include "os_actions/dispatcher.h"
#include "temp_tree.h"

namespace {

using namespace std::chrono_literals;
using media::audio::ControlResult;
using media::audio::DeviceChoice;
using os_actions_testing::PathPrefix;
using os_actions_testing::TempTree;
using orvo_testing::read_file;

std::string expected_long_error() {
  // The stub's error output less its control characters, the invalid byte replaced, cut to 512
  // characters and trimmed of its two leading spaces.
  return "Error: node\xEF\xBF\xBD gone\t" + std::string(492, 'x');
}

TEST(RunWpctl, OutcomesOfTheCommand) {
  struct Case {
    const char* name;
    const char* script;  // null: no wpctl on PATH
    std::optional<std::string> error;
  };
  const Case cases[] = {
      {"success", "exit 0", std::nullopt},
      {"long error output",
       "printf '\\001  Error: node\\377 gone\\t' >&2; /bin/head -c 600 /dev/zero | /bin/tr '\\000' x >&2; printf '\\033\\n' >&2; "
       "exit 1",
       expected_long_error()},
      {"silent failure", "exit 3", "wpctl exited with status 3"},
      {"past the time limit", "/bin/sleep 5", "wpctl control failed: \"wpctl\" did not finish within 300 ms and was stopped"},
      {"missing program", nullptr, "wpctl control failed: program \"wpctl\" was not found"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempTree tree;
    std::filesystem::create_directories(tree.root() / "bin");
    if (c.script != nullptr) tree.script("bin/wpctl", c.script);
    PathPrefix path(tree.root() / "bin", /*only=*/true);
    const ControlResult result = media::audio::run_wpctl(std::vector<std::string>{"status"}, 300ms);
    if (!c.error) {
      EXPECT_TRUE(result.has_value()) << result.error();
      continue;
    }
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error(), *c.error);
  }
}

TEST(WpctlStatus, ReadsTheAudioSinksAndSourcesOfACapturedListing) {
  const auto lists = media::audio::parse_wpctl_status(read_file(std::string(ORVO_OS_FIXTURES) + "/wpctl-status.txt"));
  EXPECT_EQ(lists.sinks, (std::vector<DeviceChoice>{{"Built-in Audio Analog Stereo", 51, false},
                                                    {"Headphones WH-1000", 78, true}}));
  // The entry with a broken id is skipped; the camera under "Video" is no microphone.
  EXPECT_EQ(lists.sources, (std::vector<DeviceChoice>{{"Built-in Audio Analog Stereo", 52, true},
                                                      {"Headphones WH-1000 Microphone", 79, false}}));
}

TEST(WpctlStatus, SectionsEndAtTheNextHeadingOrUnindentedLine) {
  const auto lists = media::audio::parse_wpctl_status(
      "Sinks:\r\n"
      "  1. First\r\n"
      "  *  2. Second [vol: 1.00]\r\n"
      "Something else\n"
      "  3. Outside any section\n"
      "Audio\n"
      " \xE2\x94\x9C\xE2\x94\x80 Sources:\n"
      " \xE2\x94\x82  4. Microphone\n"
      " \xE2\x94\x82  5. [vol: 0.10]\n"
      " \xE2\x94\x9C\xE2\x94\x80 Filters:\n"
      " \xE2\x94\x82  6. After the section\n");
  EXPECT_EQ(lists.sinks, (std::vector<DeviceChoice>{{"First", 1, false}, {"Second", 2, true}}));
  EXPECT_EQ(lists.sources, (std::vector<DeviceChoice>{{"Microphone", 4, false}}));
}

TEST(VolumeFraction, ClampsAndWritesTwoDecimals) {
  const std::pair<float, const char*> cases[] = {
      {150.0f, "1.00"}, {-5.0f, "0.00"}, {50.0f, "0.50"}, {std::nanf(""), "0.00"}, {33.333f, "0.33"}};
  for (const auto& [percent, text] : cases) EXPECT_EQ(media::audio::volume_fraction(percent), text) << percent;
}

TEST(VolumeState, ReadsTheAnswerOfGetVolume) {
  using os_actions::audio::parse_volume_state;
  auto muted = parse_volume_state("Volume: 0.40 [MUTED]\n");
  ASSERT_TRUE(muted.has_value());
  EXPECT_FLOAT_EQ(muted->volume, 0.40f);
  EXPECT_TRUE(muted->muted);
  auto loud = parse_volume_state("Volume: 1.50\n");
  ASSERT_TRUE(loud.has_value());
  EXPECT_FLOAT_EQ(loud->volume, 1.0f);
  EXPECT_FALSE(loud->muted);
  for (const char* text : {"", "Volume:", "Volume: loud", "Volume: -0.5", "Error: no such node"}) {
    EXPECT_FALSE(parse_volume_state(text).has_value()) << text;
  }
}

TEST(VolumeState, ComesFromWpctlOrSaysWhyNot) {
  TempTree tree;
  tree.script("bin/wpctl", "[ \"$1 $2\" = 'get-volume @DEFAULT_AUDIO_SINK@' ] || exit 2; echo 'Volume: 0.25'");
  {
    PathPrefix path(tree.root() / "bin", /*only=*/true);
    auto state = os_actions::audio::get_volume_state();
    ASSERT_TRUE(state.has_value()) << state.error();
    EXPECT_FLOAT_EQ(state->volume, 0.25f);
    EXPECT_FALSE(state->muted);
  }
  PathPrefix nothing(tree.root() / "empty", /*only=*/true);
  auto missing = os_actions::audio::get_volume_state();
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error(), "Could not read the output volume: program \"wpctl\" was not found");
}

TEST(GraphControl, EachCallRunsItsToolWithItsArguments) {
  TempTree tree;
  const auto log = tree.root() / "calls.log";
  const std::string record = "echo \"${0##*/} $*\" >> '" + log.string() + "'";
  tree.script("bin/wpctl", record);
  tree.script("bin/pw-metadata", record);
  PathPrefix path(tree.root() / "bin", /*only=*/true);

  media::audio::RealGraphControl control;
  os_actions::RealDispatcher dispatcher;
  const std::pair<std::function<ControlResult()>, const char*> cases[] = {
      {[&] { return control.set_default_sink(51); }, "wpctl set-default 51"},
      {[&] { return control.set_default_source(52); }, "wpctl set-default 52"},
      {[&] { return control.route_stream(84, 1207); }, "pw-metadata 84 target.object 1207"},
      {[&] { return control.unroute_stream(84); }, "pw-metadata -d 84 target.object"},
      {[&] { return control.set_node_volume(84, 0.3f); }, "wpctl set-volume 84 0.30"},
      {[&] { return control.set_node_volume(84, 1.7f); }, "wpctl set-volume 84 1.00"},
      {[&] { return control.set_node_mute(84, true); }, "wpctl set-mute 84 1"},
      {[&] { return control.set_node_mute(84, false); }, "wpctl set-mute 84 0"},
      {[&] { return control.set_device_profile(46, 3); }, "wpctl set-profile 46 3"},
      {[&] { return media::audio::source_volume_command(50.0f); }, "wpctl set-volume @DEFAULT_AUDIO_SOURCE@ 0.50"},
      {[&] { return media::audio::AudioDefaultDeviceBackend{}.set_default(7); }, "wpctl set-default 7"},
      {[&] { return dispatcher.set_volume(40.0f); }, "wpctl set-volume @DEFAULT_AUDIO_SINK@ 0.40"},
      {[&] { return dispatcher.set_volume(250.0f); }, "wpctl set-volume @DEFAULT_AUDIO_SINK@ 1.00"},
      {[&] { return dispatcher.toggle_mute(); }, "wpctl set-mute @DEFAULT_AUDIO_SINK@ toggle"},
      {[&] { return dispatcher.set_mute(true); }, "wpctl set-mute @DEFAULT_AUDIO_SINK@ 1"},
      {[&] { return dispatcher.set_mute(false); }, "wpctl set-mute @DEFAULT_AUDIO_SINK@ 0"},
  };
  for (const auto& [call, expected] : cases) {
    std::filesystem::remove(log);
    const ControlResult result = call();
    EXPECT_TRUE(result.has_value()) << expected << ": " << result.error();
    EXPECT_EQ(read_file(log), std::string(expected) + "\n");
  }
}

TEST(GraphControl, AMissingToolIsNamedInTheError) {
  TempTree tree;
  PathPrefix path(tree.root() / "bin", /*only=*/true);
  auto routed = media::audio::RealGraphControl{}.route_stream(1, 2);
  ASSERT_FALSE(routed.has_value());
  EXPECT_EQ(routed.error(), "pw-metadata control failed: program \"pw-metadata\" was not found");
}

}  // namespace

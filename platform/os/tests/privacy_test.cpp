// The privacy status: the camera from sysfs, the microphone's mute from `wpctl`, and the
// applications capturing now from the sound server's graph.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "orvo_runtime/system_paths.h"
#include "os_actions/privacy.h"
#include "temp_tree.h"

namespace {

using os_actions::privacy::KillSwitch;
using os_actions::privacy::MicrophoneMute;
using os_actions::privacy::PrivacyUsage;
using os_actions_testing::PathPrefix;
using os_actions_testing::TempTree;

std::string fixture(const char* name) { return orvo_testing::read_file(std::string(ORVO_OS_FIXTURES) + "/" + name); }

TEST(PrivacyGraph, CaptureStreamsKeepTheirDeviceAndRunningState) {
  const auto graph = media::audio::parse_pw_dump(fixture("pw-dump-capture.json"));
  ASSERT_TRUE(graph.has_value()) << graph.error();
  // Camera streams stay out of the sound lists.
  ASSERT_EQ(graph->video_capture_streams.size(), 2u);
  EXPECT_EQ(graph->video_capture_streams[0].application, "Meeting Room");
  EXPECT_TRUE(graph->video_capture_streams[0].running);
  EXPECT_FALSE(graph->video_capture_streams[1].running) << "a suspended stream";
  ASSERT_EQ(graph->recording_streams.size(), 4u);
  EXPECT_FALSE(graph->recording_streams[2].running) << "an idle stream";
  ASSERT_EQ(graph->playback_streams.size(), 1u);
  EXPECT_TRUE(graph->playback_streams[0].running);
  // A dump without node states (older servers) reads as nothing running.
  const auto older = media::audio::parse_pw_dump(fixture("pw-dump.json"));
  ASSERT_TRUE(older.has_value());
  EXPECT_FALSE(older->recording_streams.at(0).running);
  EXPECT_TRUE(older->video_capture_streams.empty());
}

TEST(PrivacyGraph, UsagesAreRunningCaptureStreamsOncePerApplicationAndDevice) {
  const auto graph = media::audio::parse_pw_dump(fixture("pw-dump-capture.json"));
  ASSERT_TRUE(graph.has_value());
  // Not the idle dictation, the suspended photo booth or the music played; the meeting's two
  // microphone streams are one use.
  const std::vector<PrivacyUsage> expected{
      {"Meeting Room", true}, {"Meeting Room", false}, {"Voice Notes", false}};
  EXPECT_EQ(os_actions::privacy::usages_in(*graph), expected);
  EXPECT_TRUE(os_actions::privacy::usages_in(media::audio::AudioGraph{}).empty());
}

TEST(PrivacyCamera, PresentWhenTheVideoClassListsADevice) {
  TempTree tree;
  system_paths::ScopedOverride root(tree.root());
  EXPECT_FALSE(os_actions::privacy::camera_present()) << "no class directory";
  std::filesystem::create_directories(tree.root() / "sys/class/video4linux");
  EXPECT_FALSE(os_actions::privacy::camera_present()) << "an empty class";
  tree.write("sys/class/video4linux/video0/name", "Integrated Camera\n");
  EXPECT_TRUE(os_actions::privacy::camera_present());
}

TEST(PrivacyMicrophone, MuteComesFromTheDefaultSourcesVolume) {
  const struct {
    const char* name;
    const char* body;
    MicrophoneMute mute;
  } cases[] = {
      {"muted", "echo 'Volume: 0.40 [MUTED]'", MicrophoneMute::Muted},
      {"listening", "echo 'Volume: 0.40'", MicrophoneMute::ListeningAllowed},
      {"an answer that is no volume", "echo 'something else'", MicrophoneMute::ListeningAllowed},
      {"failing", "echo 'no default source' >&2; exit 1", MicrophoneMute::Unavailable},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempTree tree;
    // Only the default source's volume is asked for.
    tree.script("bin/wpctl", std::string("[ \"$*\" = 'get-volume @DEFAULT_AUDIO_SOURCE@' ] || exit 9\n") + c.body);
    PathPrefix path(tree.root() / "bin", true);
    EXPECT_EQ(os_actions::privacy::microphone_mute(), c.mute);
  }
  TempTree empty;
  PathPrefix path(empty.root(), true);
  EXPECT_EQ(os_actions::privacy::microphone_mute(), MicrophoneMute::Unavailable) << "no wpctl";
}

TEST(PrivacyStatus, ReportsNoKillSwitches) {
  TempTree tree;
  tree.write("sys/class/video4linux/video0/name", "Integrated Camera\n");
  tree.script("bin/wpctl", "echo 'Volume: 1.00'");
  system_paths::ScopedOverride root(tree.root());
  PathPrefix path(tree.root() / "bin", true);
  const auto graph = media::audio::parse_pw_dump(fixture("pw-dump-capture.json"));
  ASSERT_TRUE(graph.has_value());
  const auto status = os_actions::privacy::get_privacy_status(*graph);
  EXPECT_TRUE(status.camera_present);
  EXPECT_EQ(status.camera_switch, KillSwitch::None);
  EXPECT_EQ(status.microphone_switch, KillSwitch::None);
  EXPECT_EQ(status.microphone_mute, MicrophoneMute::ListeningAllowed);
  EXPECT_EQ(status.usages.size(), 3u);
}

}  // namespace

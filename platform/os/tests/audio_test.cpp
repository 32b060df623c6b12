#include "media/audio.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "temp_tree.h"

namespace {

using os_actions_testing::PathPrefix;
using os_actions_testing::TempTree;

std::string fixture(const char* name) { return orvo_testing::read_file(std::string(ORVO_OS_FIXTURES) + "/" + name); }

TEST(AudioGraph, ReadsNodesStreamsDevicesAndDefaultsFromACapturedDump) {
  auto graph = media::audio::parse_pw_dump(fixture("pw-dump.json"));
  ASSERT_TRUE(graph.has_value()) << graph.error();

  ASSERT_EQ(graph->sinks.size(), 2u);
  EXPECT_EQ(graph->sinks[0].description, "Built-in Audio Analog Stereo");
  EXPECT_EQ(graph->sinks[0].routing_id, 152u);
  EXPECT_EQ(graph->sinks[1].description, "USB Headset");  // falls back to the nick
  ASSERT_NE(graph->default_sink(), nullptr);
  EXPECT_EQ(graph->default_sink()->id, 60u);  // the current default, not the configured one
  ASSERT_EQ(graph->sources.size(), 1u);
  EXPECT_EQ(graph->sources[0].channels, 1u);    // numbers given as text
  EXPECT_EQ(graph->sources[0].routing_id, 153u);
  ASSERT_NE(graph->default_source(), nullptr);  // metadata value given as JSON text
  EXPECT_EQ(graph->default_source()->id, 53u);

  EXPECT_NE(graph->sink_by_id(52), nullptr);
  EXPECT_EQ(graph->sink_by_id(53), nullptr);  // a source is not a sink
  EXPECT_EQ(graph->sink_by_id(70), nullptr);  // nor is a stream

  ASSERT_EQ(graph->playback_streams.size(), 1u);
  const auto& music = graph->playback_streams[0];
  EXPECT_EQ(music.label(), "Music Player · Track 01");
  EXPECT_EQ(music.target_node, 60u);
  EXPECT_TRUE(music.muted);
  ASSERT_TRUE(music.volume.has_value());
  EXPECT_NEAR(*music.volume, 0.6f, 1e-4);  // cube root of the linear gain 0.216
  ASSERT_EQ(graph->recording_streams.size(), 1u);
  EXPECT_EQ(graph->recording_streams[0].label(), "recorder");
  EXPECT_EQ(graph->recording_streams[0].target_node, 53u);
  EXPECT_FALSE(graph->recording_streams[0].playback);

  ASSERT_EQ(graph->devices.size(), 1u);  // the video device is not audio hardware
  const auto& card = graph->devices[0];
  EXPECT_EQ(card.name, "Built-in Audio");
  EXPECT_EQ(card.active_profile, 1u);
  ASSERT_EQ(card.profiles.size(), 4u);
  EXPECT_TRUE(card.profiles[1].available);
  EXPECT_FALSE(card.profiles[2].available);
  EXPECT_TRUE(card.profiles[3].available);  // "unknown" availability stays selectable
}

TEST(AudioGraph, SignatureIgnoresVolumeButSeesNewStreams) {
  auto graph = media::audio::parse_pw_dump(fixture("pw-dump.json"));
  ASSERT_TRUE(graph.has_value());
  auto louder = *graph;
  louder.playback_streams[0].volume = 1.0f;
  louder.playback_streams[0].muted = false;
  EXPECT_EQ(louder.topology_signature(), graph->topology_signature());
  auto more = *graph;
  media::audio::AudioStream browser;
  browser.application = "Browser";
  browser.id = 99;
  more.playback_streams.push_back(browser);
  EXPECT_NE(more.topology_signature(), graph->topology_signature());
}

TEST(AudioGraph, MalformedDumpsAreErrorsOrSkippedEntriesNeverCrashes) {
  for (const char* text : {"", "{}", "not json", "[1,"}) {
    auto graph = media::audio::parse_pw_dump(text);
    ASSERT_FALSE(graph.has_value()) << text;
    EXPECT_EQ(graph.error(), "the audio graph listing is not a JSON array");
  }
  auto odd = media::audio::parse_pw_dump(
      R"([1, null, {"id": -4, "type": "PipeWire:Interface:Node"},
          {"id": 5, "type": "PipeWire:Interface:Node", "info": {"props": {"media.class": "Audio/Sink", "audio.channels": -2}}},
          {"id": 6, "type": "PipeWire:Interface:Device", "info": {"props": {"media.class": "Audio/Device"},
            "params": {"EnumProfile": [{"name": "no index"}, {"index": 99999999999}], "Profile": "x"}}}])");
  ASSERT_TRUE(odd.has_value());
  ASSERT_EQ(odd->sinks.size(), 1u);
  EXPECT_EQ(odd->sinks[0].channels, 0u);
  ASSERT_EQ(odd->devices.size(), 1u);
  EXPECT_TRUE(odd->devices[0].profiles.empty());
}

TEST(AudioEnumerate, RunsPwDumpFromPath) {
  TempTree tree;
  tree.script("bin/pw-dump", std::string("exec cat '") + ORVO_OS_FIXTURES + "/pw-dump.json'");
  PathPrefix path(tree.root() / "bin");
  auto graph = media::audio::read_graph();
  ASSERT_TRUE(graph.has_value()) << graph.error();
  EXPECT_EQ(graph->sinks.size(), 2u);
  EXPECT_EQ(graph->playback_streams.size(), 1u);
}

TEST(AudioEnumerate, FailuresBecomeSentences) {
  struct Case {
    const char* script;  // null: no pw-dump at all
    const char* error;
  };
  for (const Case& c : {Case{nullptr, "Could not read the audio graph: program \"pw-dump\" was not found"},
                        Case{"echo 'Host is down' >&2; exit 1", "Could not read the audio graph: Host is down"},
                        Case{"exit 1", "Could not read the audio graph: the sound server did not answer"},
                        Case{"echo '{\"not\": \"a list\"}'",
                             "Could not read the audio graph: the audio graph listing is not a JSON array"}}) {
    TempTree tree;
    std::filesystem::create_directories(tree.root() / "bin");
    if (c.script != nullptr) tree.script("bin/pw-dump", c.script);
    // Only the stub directory on PATH: the machine's own tools stay out of reach.
    PathPrefix path(tree.root() / "bin", /*only=*/true);
    auto graph = media::audio::read_graph();
    ASSERT_FALSE(graph.has_value());
    EXPECT_EQ(graph.error(), c.error);
  }
}

}  // namespace

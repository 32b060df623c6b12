// What the graph takes from the parts of a dump that name a stream's chosen target and a
// Bluetooth device's codec.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "media/audio.h"
#include "orvo_testing/temp_dir.h"

namespace {

using nlohmann::json;

std::string fixture(const char* name) { return orvo_testing::read_file(std::string(ORVO_OS_FIXTURES) + "/" + name); }

// The captured dump with `target.object` entries added to its "default" metadata.
std::string with_targets(const json& entries) {
  json dump = json::parse(fixture("pw-dump.json"));
  for (auto& object : dump) {
    if (object["type"] == "PipeWire:Interface:Metadata") {
      for (const auto& entry : entries) object["metadata"].push_back(entry);
    }
  }
  return dump.dump();
}

json target(std::uint32_t stream, json value) {
  return {{"subject", stream}, {"key", "target.object"}, {"type", "Spa:Id"}, {"value", std::move(value)}};
}

TEST(AudioGraphTargets, AChosenTargetOutranksTheLinks) {
  const auto linked = media::audio::parse_pw_dump(fixture("pw-dump.json"));
  ASSERT_TRUE(linked.has_value());
  ASSERT_EQ(linked->playback_streams[0].target_node, 60u);
  ASSERT_EQ(linked->recording_streams[0].target_node, 53u);

  struct Case {
    const char* name;
    json entries;
    std::optional<std::uint32_t> playback;
    std::optional<std::uint32_t> recording;
  };
  const Case cases[] = {
      {"serial as text", json::array({target(70, "152")}), 52u, 53u},
      {"serial as number", json::array({target(70, 152)}), 52u, 53u},
      {"node name", json::array({target(70, "alsa_output.pci-0000_00_1f.3.analog-stereo")}), 52u, 53u},
      // A source cannot take a playback stream, nor can an unknown node any stream.
      {"wrong direction", json::array({target(70, "153")}), 60u, 53u},
      {"unknown node", json::array({target(71, "no-such-node")}), 60u, 53u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto graph = media::audio::parse_pw_dump(with_targets(c.entries));
    ASSERT_TRUE(graph.has_value()) << graph.error();
    EXPECT_EQ(graph->playback_streams[0].target_node, c.playback);
    EXPECT_EQ(graph->recording_streams[0].target_node, c.recording);
  }
  // The pane notices a route changed elsewhere.
  EXPECT_NE(media::audio::parse_pw_dump(with_targets(json::array({target(70, "152")})))->topology_signature(),
            linked->topology_signature());
}

TEST(AudioGraphCodecs, ABluetoothDeviceCarriesItsNodesCodec) {
  const auto graph = media::audio::parse_pw_dump(fixture("pw-dump-bluetooth.json"));
  ASSERT_TRUE(graph.has_value()) << graph.error();
  ASSERT_EQ(graph->devices.size(), 1u);
  EXPECT_EQ(graph->devices[0].name, "WH-1000");
  EXPECT_EQ(graph->devices[0].codec, "aac");
  EXPECT_EQ(graph->devices[0].active_profile, 1u);

  const auto wired = media::audio::parse_pw_dump(fixture("pw-dump.json"));
  ASSERT_TRUE(wired.has_value());
  for (const auto& device : wired->devices) EXPECT_EQ(device.codec, std::nullopt) << device.name;
}

}  // namespace

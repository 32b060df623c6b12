#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogues/resource_tree.h"
#include "catalogues/section_catalogues.h"
#include "fake_media.h"

namespace settings::actions {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace settings::actions::testing;

const std::vector<std::string> kSectionActions{
    "muted",     "volume",           "balance",        "mono",          "input-volume", "diagnostics",
    "test-left", "test-right",       "microphone-meter", "output-device", "input-device"};

media::audio::AudioStream stream(std::uint32_t id, bool playback, std::string application) {
  media::audio::AudioStream s;
  s.id = id;
  s.playback = playback;
  s.application = std::move(application);
  return s;
}

// Two outputs, one input, three cards (one with a mix of available profiles, one with none
// available, one with no profiles) and a playback and a recording stream that share the id 7.
FakeInputs small_machine() {
  FakeInputs fake;
  auto& graph = fake.media.graph;
  graph.sinks = {node(41, "Speakers"), node(42, "HDMI Output")};
  graph.sources = {node(51, "Microphone")};
  media::audio::AudioDevice card;
  card.id = 30;
  card.name = "Built-in Audio";
  card.profiles = {{"Off", 0, true}, {"HDMI", 1, false}, {"Analog Stereo Duplex", 3, true}};
  media::audio::AudioDevice unplugged;
  unplugged.id = 31;
  unplugged.name = "USB Headset";
  unplugged.profiles = {{"Headset", 1, false}};
  media::audio::AudioDevice bare;
  bare.id = 32;
  bare.name = "Virtual";
  graph.devices = {card, unplugged, bare};
  auto music = stream(7, true, "Music");
  music.media = "Song";
  graph.playback_streams = {music};
  graph.recording_streams = {stream(7, false, "Recorder")};
  return fake;
}

TEST(SoundCatalogue, WithoutAGraphTheSectionHoldsOnlyItsOwnActions) {
  FakeInputs fake;
  const auto section = build_settings_actions(settings_app::SettingsSection::Sound, fake.inputs());
  EXPECT_EQ(section.id, "settings.section:sound");
  EXPECT_EQ(section.kind, "settings.section");
  EXPECT_EQ(section.title, "Sound");
  std::vector<std::string> expected{"open"};
  expected.insert(expected.end(), kSectionActions.begin(), kSectionActions.end());
  EXPECT_EQ(action_names(section), expected);
  EXPECT_THAT(choices_of(action_of(section, "output-device")), IsEmpty());
  EXPECT_THAT(choices_of(action_of(section, "input-device")), IsEmpty());
  EXPECT_THAT(section.children, IsEmpty());
}

TEST(SoundCatalogue, SectionActionsCarryTheirShapeKindAndTags) {
  const FakeInputs fake = small_machine();
  const auto section = sound_resource(fake.inputs());
  ASSERT_EQ(action_names(section), kSectionActions);

  struct Row {
    std::string_view name, title, third_tag, description;
  };
  const Row rows[] = {
      {"muted", "Set output mute", "hardware", "On or off on this device"},
      {"volume", "Set output volume", "hardware", "A value from 0 to 1"},
      {"balance", "Set output balance", "session", "A value from 0 to 1"},
      {"mono", "Set mono output", "session", "On or off on this device"},
      {"input-volume", "Set input volume", "hardware", "A value from 0 to 1"},
      {"diagnostics", "Show or hide speaker diagnostics", "diagnostic", ""},
      {"test-left", "Test left speaker", "diagnostic", ""},
      {"test-right", "Test right speaker", "diagnostic", ""},
      {"microphone-meter", "Start or stop microphone meter", "diagnostic", ""},
      {"output-device", "Set output device", "live-device", "Choose a value available on this device"},
      {"input-device", "Set input device", "live-device", "Choose a value available on this device"},
  };
  for (const auto& row : rows) {
    const auto& spec = action_of(section, row.name);
    EXPECT_EQ(spec.title, row.title) << row.name;
    EXPECT_EQ(spec.description(), row.description) << row.name;
    EXPECT_EQ(spec.operation_kind, "settings.audio-operation") << row.name;
    EXPECT_EQ(spec.operation_class, orvo_actions::OperationClass::Effect) << row.name;
    EXPECT_THAT(spec.contract.tags, ElementsAre("device-local", "audio", row.third_tag)) << row.name;
  }
  EXPECT_EQ(action_of(section, "volume").params.at(0).schema, R"({"minimum":0.0,"maximum":1.0})");

  // What the section's actions send.
  EXPECT_EQ(invoke(action_of(section, "muted"), R"({"value":true})"),
            R"(settings.audio-operation {"SetOutputMuted":{"muted":true}})");
  EXPECT_EQ(invoke(action_of(section, "balance"), R"({"value":0.25})"),
            R"(settings.audio-operation {"SetBalance":{"value":0.25}})");
  EXPECT_EQ(invoke(action_of(section, "test-right"), "{}"),
            R"(settings.audio-operation {"TestChannel":{"left":false}})");
  EXPECT_THAT(choices_of(action_of(section, "output-device")), ElementsAre("Speakers", "HDMI Output"));
  EXPECT_EQ(invoke(action_of(section, "output-device"), R"({"choice":"HDMI Output"})"),
            R"(settings.audio-operation {"SelectOutput":{"device_id":42}})");
  EXPECT_EQ(invoke(action_of(section, "input-device"), R"({"choice":"Microphone"})"),
            R"(settings.audio-operation {"SelectInput":{"device_id":51}})");
  EXPECT_THAT(invoke(action_of(section, "input-device"), R"({"choice":"Speakers"})"), ::testing::StartsWith("refused"));
}

TEST(SoundCatalogue, ChildrenForDevicesProfilesAndStreamsInOrder) {
  const FakeInputs fake = small_machine();
  const auto section = sound_resource(fake.inputs());
  EXPECT_THAT(child_ids(section),
              ElementsAre("settings.audio-output:41", "settings.audio-output:42", "settings.audio-input:51",
                          "settings.audio-device:30", "settings.audio-playback:7", "settings.audio-recording:7"));

  const auto& hdmi = child_of(section, "settings.audio-output:42");
  EXPECT_EQ(hdmi.kind, "settings.audio-output");
  EXPECT_EQ(hdmi.title, "HDMI Output");
  EXPECT_EQ(action_of(hdmi, "select").title, "Use as output device");
  EXPECT_EQ(invoke(action_of(hdmi, "select"), "{}"), R"(settings.audio-operation {"SelectOutput":{"device_id":42}})");
  const auto& mic = child_of(section, "settings.audio-input:51");
  EXPECT_EQ(mic.kind, "settings.audio-input");
  EXPECT_EQ(action_of(mic, "select").title, "Use as input device");
  EXPECT_EQ(invoke(action_of(mic, "select"), "{}"), R"(settings.audio-operation {"SelectInput":{"device_id":51}})");

  const auto& card = child_of(section, "settings.audio-device:30");
  EXPECT_EQ(card.kind, "settings.audio-device");
  EXPECT_EQ(card.title, "Built-in Audio");
  const auto& profile = action_of(card, "profile");
  EXPECT_EQ(profile.title, "Set audio device profile");
  EXPECT_THAT(choices_of(profile), ElementsAre("Off", "Analog Stereo Duplex"));
  EXPECT_EQ(invoke(profile, R"({"choice":"Analog Stereo Duplex"})"),
            R"(settings.audio-operation {"SetDeviceProfile":{"device_id":30,"profile_index":3}})");

  const auto& playback = child_of(section, "settings.audio-playback:7");
  const auto& recording = child_of(section, "settings.audio-recording:7");
  EXPECT_EQ(playback.kind, "settings.audio-playback");
  EXPECT_EQ(recording.kind, "settings.audio-recording");
  EXPECT_EQ(playback.title, "Music \u00b7 Song");
  EXPECT_EQ(recording.title, "Recorder");
  EXPECT_THAT(action_names(playback), ElementsAre("route", "volume", "muted"));
  EXPECT_THAT(choices_of(action_of(playback, "route")), ElementsAre("Default", "Speakers", "HDMI Output"));
  EXPECT_THAT(choices_of(action_of(recording, "route")), ElementsAre("Default", "Microphone"));
  EXPECT_EQ(invoke(action_of(playback, "route"), R"({"choice":"Default"})"),
            R"(settings.audio-operation {"RouteStream":{"stream_id":7,"playback":true,"device_id":null}})");
  EXPECT_EQ(invoke(action_of(recording, "route"), R"({"choice":"Microphone"})"),
            R"(settings.audio-operation {"RouteStream":{"stream_id":7,"playback":false,"device_id":51}})");
  EXPECT_EQ(invoke(action_of(recording, "volume"), R"({"value":0.5})"),
            R"(settings.audio-operation {"SetStreamVolume":{"stream_id":7,"value":0.5}})");
  EXPECT_EQ(invoke(action_of(playback, "muted"), R"({"value":true})"),
            R"(settings.audio-operation {"SetStreamMuted":{"stream_id":7,"muted":true}})");
  for (const auto& action : playback.actions) {
    EXPECT_THAT(action.contract.tags, ElementsAre("device-local", "audio", "live-stream")) << action.name;
  }
}

TEST(SoundCatalogue, LiveListsAreCapped) {
  FakeInputs fake;
  auto& graph = fake.media.graph;
  graph.sinks = numbered_nodes(200, 1000, "Output");
  graph.sources = numbered_nodes(3, 2000, "Input");
  media::audio::AudioDevice card;
  card.id = 30;
  card.name = "Card";
  for (std::uint32_t i = 0; i < 200; ++i) card.profiles.push_back({"Profile " + std::to_string(i), i, true});
  graph.devices = {card};
  for (std::uint32_t i = 0; i < 200; ++i) graph.playback_streams.push_back(stream(i, true, "Player"));
  for (std::uint32_t i = 0; i < 100; ++i) graph.recording_streams.push_back(stream(500 + i, false, "Recorder"));
  const auto section = sound_resource(fake.inputs());

  const auto& outputs = choices_of(action_of(section, "output-device"));
  ASSERT_EQ(outputs.size(), 128u);
  EXPECT_EQ(outputs.back(), "Output 128");
  EXPECT_EQ(invoke(action_of(section, "output-device"), R"({"choice":"Output 128"})"),
            R"(settings.audio-operation {"SelectOutput":{"device_id":1127}})");
  EXPECT_THAT(invoke(action_of(section, "output-device"), R"({"choice":"Output 129"})"),
              ::testing::StartsWith("refused"));

  EXPECT_EQ(choices_of(action_of(child_of(section, "settings.audio-device:30"), "profile")).size(), 128u);

  std::size_t outputs_children = 0, streams = 0;
  for (const auto& child : section.children) {
    if (child.kind == "settings.audio-output") ++outputs_children;
    if (child.kind == "settings.audio-playback" || child.kind == "settings.audio-recording") ++streams;
  }
  EXPECT_EQ(outputs_children, 200u);
  EXPECT_EQ(streams, 256u);
  EXPECT_EQ(section.children.back().id, "settings.audio-recording:555");

  const auto& route = choices_of(action_of(child_of(section, "settings.audio-playback:0"), "route"));
  ASSERT_EQ(route.size(), 128u);
  EXPECT_EQ(route.front(), "Default");
  EXPECT_EQ(route.back(), "Output 127");
}

}  // namespace
}  // namespace settings::actions

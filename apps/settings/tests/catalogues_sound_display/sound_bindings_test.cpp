#include "catalogues/sound_bindings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_media.h"

namespace settings::actions {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;
using namespace settings::actions::testing;

AudioDeviceList devices(std::size_t count) {
  AudioDeviceList list;
  for (std::size_t i = 0; i < count; ++i) {
    list.push_back({"Device " + std::to_string(i + 1), static_cast<std::uint32_t>(100 + i)});
  }
  return list;
}

TEST(SoundBindings, SectionButtonsBindOnlyTheNullarySectionActions) {
  for (const auto* name : {"diagnostics", "test-left", "test-right", "microphone-meter"}) {
    const auto binding = sound_unit_binding(name);
    ASSERT_TRUE(binding) << name;
    EXPECT_EQ(binding->resource, "settings.section:sound");
  }
  EXPECT_EQ(invoke(sound_unit_binding("test-left")->spec, "{}"),
            R"(settings.audio-operation {"TestChannel":{"left":true}})");
  EXPECT_FALSE(sound_unit_binding("volume"));  // takes a value
  EXPECT_FALSE(sound_unit_binding("open"));
  EXPECT_FALSE(sound_unit_binding("reset"));
}

TEST(SoundBindings, SwitchesAndSlidersOnTheSoundSectionWrapper) {
  const auto mono = sound_toggle_binding("mono");
  ASSERT_TRUE(mono);
  EXPECT_EQ(mono->resource, "settings.section:sound");
  EXPECT_EQ(mono->spec.title, "Set mono output");
  EXPECT_THAT(mono->spec.contract.tags, ElementsAre("device-local", "audio", "session"));
  EXPECT_EQ(mono->arguments(true).to_json_text(), R"({"value":true})");
  EXPECT_TRUE(sound_toggle_binding("muted"));
  EXPECT_FALSE(sound_toggle_binding("volume"));

  const auto balance = sound_level_binding("balance");
  ASSERT_TRUE(balance);
  EXPECT_EQ(balance->spec.params.at(0).schema, R"({"minimum":0.0,"maximum":1.0})");
  EXPECT_THAT(balance->spec.contract.tags, ElementsAre("device-local", "audio", "session"));
  EXPECT_EQ(invoke(balance->spec, balance->arguments(0.75).to_json_text()),
            R"(settings.audio-operation {"SetBalance":{"value":0.75}})");
  EXPECT_THAT(sound_level_binding("input-volume")->spec.contract.tags,
              ElementsAre("device-local", "audio", "hardware"));
  EXPECT_FALSE(sound_level_binding("mute"));
  EXPECT_FALSE(sound_level_binding("muted"));
}

TEST(SoundBindings, DeviceDropdownTakesOneTo128Devices) {
  EXPECT_FALSE(audio_device_choice_binding("output-device", devices(0)));
  EXPECT_FALSE(audio_device_choice_binding("output-device", devices(129)));
  EXPECT_FALSE(audio_device_choice_binding("default-device", devices(2)));

  const auto output = audio_device_choice_binding("output-device", devices(128));
  ASSERT_TRUE(output);
  EXPECT_EQ(output->resource, "settings.section:sound");
  EXPECT_EQ(output->spec.title, "Set output device");
  EXPECT_EQ(choices_of(output->spec).size(), 128u);
  EXPECT_EQ(invoke(output->spec, output->arguments("Device 128").to_json_text()),
            R"(settings.audio-operation {"SelectOutput":{"device_id":227}})");

  const auto input = audio_device_choice_binding("input-device", devices(2));
  ASSERT_TRUE(input);
  EXPECT_EQ(input->spec.title, "Set input device");
  EXPECT_EQ(invoke(input->spec, input->arguments("Device 2").to_json_text()),
            R"(settings.audio-operation {"SelectInput":{"device_id":101}})");
  EXPECT_THAT(invoke(input->spec, input->arguments("Device 3").to_json_text()), StartsWith("refused"));
}

TEST(SoundBindings, ProfileDropdownLivesOnTheDevicesResource) {
  EXPECT_FALSE(audio_profile_binding(42, {}));
  AudioProfileList too_many(129, AudioProfileEntry{"Profile", 1});
  EXPECT_FALSE(audio_profile_binding(42, too_many));

  const auto profile = audio_profile_binding(42, {{"Off", 0}, {"Analog Stereo", 5}});
  ASSERT_TRUE(profile);
  EXPECT_EQ(profile->resource, "settings.audio-device:42");
  EXPECT_EQ(profile->action, "profile");
  EXPECT_EQ(invoke(profile->spec, profile->arguments("Analog Stereo").to_json_text()),
            R"(settings.audio-operation {"SetDeviceProfile":{"device_id":42,"profile_index":5}})");
}

TEST(SoundBindings, StreamControlsLiveOnThePlaybackOrRecordingResource) {
  const auto playback = stream_mute_binding(7, true, "Music");
  const auto recording = stream_mute_binding(7, false, "Recorder");
  ASSERT_TRUE(playback && recording);
  EXPECT_EQ(playback->resource, "settings.audio-playback:7");
  EXPECT_EQ(recording->resource, "settings.audio-recording:7");
  EXPECT_EQ(invoke(recording->spec, recording->arguments(true).to_json_text()),
            R"(settings.audio-operation {"SetStreamMuted":{"stream_id":7,"muted":true}})");

  const auto volume = stream_volume_binding(9, true, "Music");
  ASSERT_TRUE(volume);
  EXPECT_EQ(volume->resource, "settings.audio-playback:9");
  EXPECT_EQ(volume->spec.title, "Set audio stream volume");
  EXPECT_EQ(invoke(volume->spec, volume->arguments(0.3).to_json_text()),
            R"(settings.audio-operation {"SetStreamVolume":{"stream_id":9,"value":0.3}})");
}

TEST(SoundBindings, StreamRouteOffersDefaultAndAtMost127Devices) {
  EXPECT_FALSE(stream_route_binding(7, true, "Music", devices(128)));
  const auto full = stream_route_binding(7, true, "Music", devices(127));
  ASSERT_TRUE(full);
  EXPECT_EQ(choices_of(full->spec).size(), 128u);

  const auto route = stream_route_binding(7, true, "Music", devices(2));
  ASSERT_TRUE(route);
  EXPECT_EQ(route->resource, "settings.audio-playback:7");
  EXPECT_THAT(choices_of(route->spec), ElementsAre("Default", "Device 1", "Device 2"));
  EXPECT_EQ(invoke(route->spec, route->arguments("Device 2").to_json_text()),
            R"(settings.audio-operation {"RouteStream":{"stream_id":7,"playback":true,"device_id":101}})");
  EXPECT_EQ(invoke(route->spec, route->arguments("Default").to_json_text()),
            R"(settings.audio-operation {"RouteStream":{"stream_id":7,"playback":true,"device_id":null}})");

  // With no devices a stream can still go back to the default one.
  const auto bare = stream_route_binding(8, false, "Recorder", {});
  ASSERT_TRUE(bare);
  EXPECT_THAT(choices_of(bare->spec), ElementsAre("Default"));
}

}  // namespace
}  // namespace settings::actions

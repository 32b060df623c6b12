#include "catalogues/choice_lists.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "fake_media.h"

namespace settings::actions {
namespace {

using ::testing::ElementsAre;
using settings_store::OutputDescriptor;

OutputDescriptor output(std::string connector, std::string display_name = {}) {
  OutputDescriptor o;
  o.connector = std::move(connector);
  o.display_name = std::move(display_name);
  return o;
}

TEST(OutputChoiceLists, OneOutputOffersOnlyTheFixedFirstEntries) {
  const std::vector<OutputDescriptor> outputs{output("eDP-1", "Built-in panel")};
  const auto pairs = output_pairs(outputs);
  EXPECT_THAT(output_position_choices("eDP-1", pairs), ElementsAre("Automatic"));
  EXPECT_THAT(output_mirror_choices("eDP-1", pairs), ElementsAre("Extend workspace"));
}

TEST(OutputChoiceLists, EveryOtherOutputInPairOrderNeverTheOutputItself) {
  // Two monitors of the same model: the same display name on different connectors.
  const std::vector<OutputDescriptor> outputs{output("DP-1", "Dell U2720Q"), output("eDP-1"),
                                              output("DP-2", "Dell U2720Q")};
  const auto pairs = output_pairs(outputs);
  ASSERT_THAT(pairs, ElementsAre(OutputPair{"DP-1", "Dell U2720Q"}, OutputPair{"eDP-1", "eDP-1"},
                                 OutputPair{"DP-2", "Dell U2720Q"}));

  EXPECT_THAT(output_position_choices("eDP-1", pairs),
              ElementsAre("Automatic", "Left of Dell U2720Q", "Right of Dell U2720Q", "Above of Dell U2720Q",
                          "Below of Dell U2720Q", "Left of Dell U2720Q", "Right of Dell U2720Q",
                          "Above of Dell U2720Q", "Below of Dell U2720Q"));
  EXPECT_THAT(output_mirror_choices("DP-1", pairs),
              ElementsAre("Extend workspace", "Mirror eDP-1", "Mirror Dell U2720Q"));
  for (const auto& pair : pairs) {
    EXPECT_EQ(output_position_choices(pair.connector, pairs).size(), 1u + 8u) << pair.connector;
    EXPECT_EQ(output_mirror_choices(pair.connector, pairs).size(), 1u + 2u) << pair.connector;
  }
}

TEST(OutputChoiceLists, PairsStopAtTheFirst256Outputs) {
  std::vector<OutputDescriptor> outputs;
  for (int i = 0; i < 300; ++i) outputs.push_back(output("DP-" + std::to_string(i)));
  const auto pairs = output_pairs(outputs);
  ASSERT_EQ(pairs.size(), 256u);
  EXPECT_EQ(pairs.back().connector, "DP-255");
}

TEST(OutputChoiceLists, ColourProfilesNeedANameAndFollowSystemDefault) {
  OutputDescriptor o = output("DP-1");
  o.color_profiles = {"srgb", "unnamed", "p3"};
  o.color_profile_names = {{"p3", "Display P3"}, {"srgb", "sRGB"}};
  EXPECT_THAT(output_color_profile_choices(o),
              ElementsAre("System default", "sRGB \u00b7 srgb", "Display P3 \u00b7 p3"));

  OutputDescriptor none = output("DP-2");
  EXPECT_THAT(output_color_profile_choices(none), ElementsAre("System default"));

  // Only the first 127 ids are looked at; the 128th is never offered even when it has a name.
  OutputDescriptor many = output("DP-3");
  for (int i = 0; i < 130; ++i) {
    const std::string id = "icc-" + std::to_string(i);
    many.color_profiles.push_back(id);
    many.color_profile_names.emplace_back(id, "Profile " + std::to_string(i));
  }
  const auto choices = output_color_profile_choices(many);
  ASSERT_EQ(choices.size(), 128u);
  EXPECT_EQ(choices.back(), "Profile 126 \u00b7 icc-126");
}

TEST(OutputChoiceLists, ModesAreLabelledAndCappedAt128) {
  OutputDescriptor o = output("HDMI-A-1");
  o.modes.push_back({1920, 1080, 60000});
  o.modes.push_back({2560, 1440, 59951});
  for (std::uint32_t i = 0; i < 200; ++i) o.modes.push_back({800 + i, 600, 0});
  const auto choices = output_mode_choices(o);
  ASSERT_EQ(choices.size(), 128u);
  EXPECT_EQ(choices[0], "1920 × 1080 @ 60 Hz");
  EXPECT_EQ(choices[1], "2560 × 1440 @ 59.951 Hz");
  EXPECT_EQ(choices[127], "925 × 600");
}

TEST(AudioChoiceLists, DeviceChoicesStopAfterThe128thDevice) {
  const auto devices = testing::numbered_nodes(129, 40, "Speaker");
  const auto names = audio_device_names(devices);
  ASSERT_EQ(names.size(), 128u);
  EXPECT_EQ(names.front(), "Speaker 1");
  EXPECT_EQ(names.back(), "Speaker 128");
  const auto list = audio_device_list(devices);
  ASSERT_EQ(list.size(), 128u);
  EXPECT_EQ(list.back(), (AudioDeviceEntry{"Speaker 128", 167}));
}

TEST(AudioChoiceLists, ProfilesAreTheAvailableOnesInOrderAtMost128) {
  media::audio::AudioDevice card;
  card.profiles = {{"Off", 0, true}, {"HDMI", 1, false}, {"Analog Stereo", 4, true}};
  EXPECT_THAT(available_profiles(card),
              ElementsAre(AudioProfileEntry{"Off", 0}, AudioProfileEntry{"Analog Stereo", 4}));

  card.profiles = {{"HDMI", 1, false}, {"Pro Audio", 2, false}};
  EXPECT_TRUE(available_profiles(card).empty());

  card.profiles.clear();
  for (std::uint32_t i = 0; i < 200; ++i) card.profiles.push_back({"Profile " + std::to_string(i), i, i != 0});
  const auto profiles = available_profiles(card);
  ASSERT_EQ(profiles.size(), 128u);
  EXPECT_EQ(profiles.front().index, 1u);
  EXPECT_EQ(profiles.back().index, 128u);
}

}  // namespace
}  // namespace settings::actions

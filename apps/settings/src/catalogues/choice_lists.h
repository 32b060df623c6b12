#pragma once
// The choice lists of the Sound and Displays sections, made from the live audio graph and display
// snapshot when a section is built: which entries, in which order, how many, and how they read.
// Each list becomes the allowed values of one choice action; the pair lists are what the action's
// handler looks the chosen name up in.
#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "actions/audio_handlers.h"
#include "media/audio.h"
#include "settings_store/display_hardware.h"

namespace settings::actions {

// At most this many devices are offered as output or input choices, and profiles per device.
inline constexpr std::size_t kAudioChoiceLimit = 128;
// At most this many outputs take part in the display lists.
inline constexpr std::size_t kOutputPairLimit = 256;
// At most this many modes are offered per output.
inline constexpr std::size_t kOutputModeLimit = 128;
// At most this many colour-profile ids of an output are looked at ("System default" comes on top).
inline constexpr std::size_t kColorProfileLimit = 127;

inline constexpr std::string_view kAutomaticPosition = "Automatic";
inline constexpr std::string_view kExtendWorkspace = "Extend workspace";
inline constexpr std::string_view kSystemDefaultColorProfile = "System default";

// The fixed lists: the desktop and output scales, the orientations and the Night Light warmths.
inline constexpr std::array<std::string_view, 5> kDisplayScaleChoices{"100%", "125%", "150%", "175%", "200%"};
inline constexpr std::array<std::string_view, 4> kOutputTransformChoices{"Landscape", "Portrait right",
                                                                         "Upside down", "Portrait left"};
inline constexpr std::array<std::string_view, 3> kNightLightWarmthChoices{
    "Subtle \u00b7 4500 K", "Warm \u00b7 3700 K", "Very warm \u00b7 2800 K"};

std::vector<std::string> to_choices(std::span<const std::string_view> labels);

// Audio.
// The names of the first 128 devices, in graph order.
std::vector<std::string> audio_device_names(std::span<const media::audio::AudioNode> devices);
// (name, id) of the first 128 devices, in graph order.
AudioDeviceList audio_device_list(std::span<const media::audio::AudioNode> devices);
// The device's available profiles as (name, index), in its order, at most 128; unavailable ones
// are skipped.
AudioProfileList available_profiles(const media::audio::AudioDevice& device);
std::vector<std::string> profile_names(const AudioProfileList& profiles);
std::vector<std::string> device_names(const AudioDeviceList& devices);

// Displays.
// An output as the lists name it: its display name when it has one, else its connector.
std::string output_display_name(const settings_store::OutputDescriptor& output);

struct OutputPair {
  std::string connector;
  std::string display_name;
  bool operator==(const OutputPair&) const = default;
};
// (connector, display name) of the first 256 outputs, in snapshot order.
std::vector<OutputPair> output_pairs(std::span<const settings_store::OutputDescriptor> outputs);

// The labels of the output's first 128 modes, in its order.
std::vector<std::string> output_mode_choices(const settings_store::OutputDescriptor& output);
// "Automatic", then "Left of X", "Right of X", "Above of X", "Below of X" for every other output X
// (every pair whose connector is not `connector`), in pair order.
std::vector<std::string> output_position_choices(std::string_view connector, std::span<const OutputPair> pairs);
// "Extend workspace", then "Mirror X" for every other output X, in pair order.
std::vector<std::string> output_mirror_choices(std::string_view connector, std::span<const OutputPair> pairs);
// "System default", then "name · id" for each of the output's first 127 profile ids that has a
// name; an id without a name is not offered.
std::vector<std::string> output_color_profile_choices(const settings_store::OutputDescriptor& output);

}  // namespace settings::actions

#include "catalogues/choice_lists.h"

#include <algorithm>

namespace settings::actions {
namespace {

template <class T>
std::span<const T> first(std::span<const T> items, std::size_t limit) {
  return items.first(std::min(items.size(), limit));
}

constexpr std::array<std::string_view, 4> kPositionSides{"Left", "Right", "Above", "Below"};

}  // namespace

std::vector<std::string> to_choices(std::span<const std::string_view> labels) {
  return {labels.begin(), labels.end()};
}

std::vector<std::string> audio_device_names(std::span<const media::audio::AudioNode> devices) {
  std::vector<std::string> names;
  for (const auto& device : first(devices, kAudioChoiceLimit)) names.push_back(device.description);
  return names;
}

AudioDeviceList audio_device_list(std::span<const media::audio::AudioNode> devices) {
  AudioDeviceList list;
  for (const auto& device : first(devices, kAudioChoiceLimit)) list.push_back({device.description, device.id});
  return list;
}

AudioProfileList available_profiles(const media::audio::AudioDevice& device) {
  AudioProfileList profiles;
  for (const auto& profile : device.profiles) {
    if (profiles.size() == kAudioChoiceLimit) break;
    if (profile.available) profiles.push_back({profile.description, profile.index});
  }
  return profiles;
}

std::vector<std::string> profile_names(const AudioProfileList& profiles) {
  std::vector<std::string> names;
  names.reserve(profiles.size());
  for (const auto& profile : profiles) names.push_back(profile.name);
  return names;
}

std::vector<std::string> device_names(const AudioDeviceList& devices) {
  std::vector<std::string> names;
  names.reserve(devices.size());
  for (const auto& device : devices) names.push_back(device.name);
  return names;
}

std::string output_display_name(const settings_store::OutputDescriptor& output) {
  return output.display_name.empty() ? output.connector : output.display_name;
}

std::vector<OutputPair> output_pairs(std::span<const settings_store::OutputDescriptor> outputs) {
  std::vector<OutputPair> pairs;
  for (const auto& output : first(outputs, kOutputPairLimit)) {
    pairs.push_back({output.connector, output_display_name(output)});
  }
  return pairs;
}

std::vector<std::string> output_mode_choices(const settings_store::OutputDescriptor& output) {
  std::vector<std::string> labels;
  for (const auto& mode : first(std::span(output.modes), kOutputModeLimit)) labels.push_back(mode.label());
  return labels;
}

std::vector<std::string> output_position_choices(std::string_view connector, std::span<const OutputPair> pairs) {
  std::vector<std::string> choices{std::string(kAutomaticPosition)};
  for (const auto& other : pairs) {
    if (other.connector == connector) continue;
    for (const auto side : kPositionSides) {
      std::string label(side);
      label += " of ";
      label += other.display_name;
      choices.push_back(std::move(label));
    }
  }
  return choices;
}

std::vector<std::string> output_mirror_choices(std::string_view connector, std::span<const OutputPair> pairs) {
  std::vector<std::string> choices{std::string(kExtendWorkspace)};
  for (const auto& other : pairs) {
    if (other.connector != connector) choices.push_back("Mirror " + other.display_name);
  }
  return choices;
}

std::vector<std::string> output_color_profile_choices(const settings_store::OutputDescriptor& output) {
  std::vector<std::string> choices{std::string(kSystemDefaultColorProfile)};
  for (const auto& id : first(std::span(output.color_profiles), kColorProfileLimit)) {
    const auto& names = output.color_profile_names;
    const auto named = std::ranges::find(names, id, &std::pair<std::string, std::string>::first);
    if (named == names.end()) continue;
    choices.push_back(named->second + " \u00b7 " + id);
  }
  return choices;
}

}  // namespace settings::actions

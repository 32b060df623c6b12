#include "catalogues/sound_resources.h"

#include <utility>

#include "actions/hardware_operations.h"
#include "catalogues/choice_lists.h"
#include "catalogues/device_local_params.h"
#include "catalogues/section_shell.h"

namespace settings::actions {
namespace {

constexpr std::string_view kKind = AudioOperation::kKind;

orvo_actions::Resource numbered_resource(std::string_view prefix, std::string_view kind, std::uint32_t id,
                                         std::string title) {
  return orvo_actions::Resource::make(std::string(prefix) + std::to_string(id), std::string(kind), std::move(title));
}

}  // namespace

Tags audio_tags(std::string_view qualifier) { return {"device-local", "audio", std::string(qualifier)}; }

orvo_actions::Resource sound_section_with(orvo_actions::ActionSpec action) {
  return section_shell(settings_app::SettingsSection::Sound).with_action(std::move(action));
}

orvo_actions::Resource audio_stream_shell(std::uint32_t stream_id, bool playback, std::string title) {
  if (playback) return numbered_resource(kAudioPlaybackPrefix, kAudioPlaybackKind, stream_id, std::move(title));
  return numbered_resource(kAudioRecordingPrefix, kAudioRecordingKind, stream_id, std::move(title));
}

orvo_actions::Resource audio_device_shell(std::uint32_t device_id, std::string title) {
  return numbered_resource(kAudioDevicePrefix, kAudioDeviceKind, device_id, std::move(title));
}

orvo_actions::Resource audio_stream_resource(std::uint32_t stream_id, bool playback, std::string title,
                                             orvo_actions::ActionSpec action) {
  return audio_stream_shell(stream_id, playback, std::move(title)).with_action(std::move(action));
}

orvo_actions::Resource audio_device_resource(std::uint32_t device_id, std::string title,
                                             orvo_actions::ActionSpec action) {
  return audio_device_shell(device_id, std::move(title)).with_action(std::move(action));
}

std::optional<AudioSwitch> sound_switch_named(std::string_view name) {
  if (name == "muted") return AudioSwitch::OutputMuted;
  if (name == "mono") return AudioSwitch::Mono;
  return std::nullopt;
}

std::optional<orvo_actions::ActionSpec> sound_switch_spec(AudioSwitch which) {
  if (which == AudioSwitch::OutputMuted) {
    return switch_action("muted", "Set output mute", kKind, audio_switch_handler(which), audio_tags("hardware"));
  }
  return switch_action("mono", "Set mono output", kKind, audio_switch_handler(which), audio_tags("session"));
}

std::optional<AudioLevel> sound_level_named(std::string_view name) {
  if (name == "volume") return AudioLevel::OutputVolume;
  if (name == "input-volume") return AudioLevel::InputVolume;
  if (name == "balance") return AudioLevel::Balance;
  return std::nullopt;
}

std::optional<orvo_actions::ActionSpec> sound_level_spec(AudioLevel which) {
  switch (which) {
    case AudioLevel::OutputVolume:
      return level_action("volume", "Set output volume", kKind, audio_level_handler(which), audio_tags("hardware"));
    case AudioLevel::InputVolume:
      return level_action("input-volume", "Set input volume", kKind, audio_level_handler(which),
                          audio_tags("hardware"));
    case AudioLevel::Balance: break;
  }
  return level_action("balance", "Set output balance", kKind, audio_level_handler(which), audio_tags("session"));
}

std::optional<orvo_actions::ActionSpec> audio_device_choice_spec(std::string_view name, AudioDeviceList devices) {
  std::string title;
  if (name == "output-device") {
    title = "Set output device";
  } else if (name == "input-device") {
    title = "Set input device";
  } else {
    return std::nullopt;
  }
  std::vector<std::string> names = device_names(devices);
  return choice_action(std::string(name), std::move(title), kKind, std::move(names),
                       audio_device_choice_handler(std::move(devices), std::string(name)), audio_tags("live-device"));
}

std::optional<orvo_actions::ActionSpec> audio_profile_spec(std::uint32_t device_id, AudioProfileList profiles) {
  std::vector<std::string> names = profile_names(profiles);
  return choice_action("profile", "Set audio device profile", kKind, std::move(names),
                       audio_device_profile_handler(device_id, std::move(profiles)), audio_tags("live-device"));
}

std::optional<orvo_actions::ActionSpec> stream_route_spec(std::uint32_t stream_id, bool playback,
                                                          AudioDeviceList devices) {
  std::vector<std::string> choices{std::string(kDefaultRoute)};
  for (const auto& device : devices) choices.push_back(device.name);
  return choice_action("route", "Set audio stream route", kKind, std::move(choices),
                       audio_route_stream_handler(stream_id, playback, std::move(devices)), audio_tags("live-stream"));
}

std::optional<orvo_actions::ActionSpec> stream_volume_spec(std::uint32_t stream_id) {
  return level_action("volume", "Set audio stream volume", kKind, audio_stream_volume_handler(stream_id),
                      audio_tags("live-stream"));
}

std::optional<orvo_actions::ActionSpec> stream_mute_spec(std::uint32_t stream_id) {
  return switch_action("muted", "Set audio stream mute", kKind, audio_stream_muted_handler(stream_id),
                       audio_tags("live-stream"));
}

}  // namespace settings::actions

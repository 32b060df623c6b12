#pragma once
// The resources and actions of sound: the Sound section wrapper, the per-device and per-stream
// resources, and the action specs that both the Sound section and the sound pane's bindings use.
// Every action produces a "settings.audio-operation" and carries the operation contract over
// "device-local", "audio" and one qualifying tag.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "actions/audio_handlers.h"
#include "actions/operation_actions.h"
#include "orvo_actions/action_spec.h"
#include "orvo_actions/resource.h"

namespace settings::actions {

inline constexpr std::string_view kAudioOutputPrefix = "settings.audio-output:";
inline constexpr std::string_view kAudioOutputKind = "settings.audio-output";
inline constexpr std::string_view kAudioInputPrefix = "settings.audio-input:";
inline constexpr std::string_view kAudioInputKind = "settings.audio-input";
inline constexpr std::string_view kAudioDevicePrefix = "settings.audio-device:";
inline constexpr std::string_view kAudioDeviceKind = "settings.audio-device";
inline constexpr std::string_view kAudioPlaybackPrefix = "settings.audio-playback:";
inline constexpr std::string_view kAudioPlaybackKind = "settings.audio-playback";
inline constexpr std::string_view kAudioRecordingPrefix = "settings.audio-recording:";
inline constexpr std::string_view kAudioRecordingKind = "settings.audio-recording";

// "device-local", "audio" and the qualifying tag.
Tags audio_tags(std::string_view qualifier);

// A stream route offers "Default" and at most this many devices.
inline constexpr std::size_t kStreamRouteDeviceLimit = 127;

// "settings.section:sound", kind "settings.section", title "Sound", holding only the given action.
orvo_actions::Resource sound_section_with(orvo_actions::ActionSpec action);
// "settings.audio-playback:<id>" or "settings.audio-recording:<id>" by the playback flag, with the
// given title, holding only the given action.
orvo_actions::Resource audio_stream_resource(std::uint32_t stream_id, bool playback, std::string title,
                                             orvo_actions::ActionSpec action);
// "settings.audio-device:<id>", kind "settings.audio-device", with the given title, holding only the
// given action.
orvo_actions::Resource audio_device_resource(std::uint32_t device_id, std::string title,
                                             orvo_actions::ActionSpec action);
// The same two resources before any action is added.
orvo_actions::Resource audio_stream_shell(std::uint32_t stream_id, bool playback, std::string title);
orvo_actions::Resource audio_device_shell(std::uint32_t device_id, std::string title);

// "muted" ("Set output mute", tag "hardware") or "mono" ("Set mono output", tag "session").
std::optional<orvo_actions::ActionSpec> sound_switch_spec(AudioSwitch which);
std::optional<AudioSwitch> sound_switch_named(std::string_view name);
// "volume" ("Set output volume", "hardware"), "input-volume" ("Set input volume", "hardware") or
// "balance" ("Set output balance", "session").
std::optional<orvo_actions::ActionSpec> sound_level_spec(AudioLevel which);
std::optional<AudioLevel> sound_level_named(std::string_view name);
// "output-device" ("Set output device") or "input-device" ("Set input device"), a choice over the
// devices' names that selects the device of the chosen name; none for any other name.
std::optional<orvo_actions::ActionSpec> audio_device_choice_spec(std::string_view name, AudioDeviceList devices);
// "profile" ("Set audio device profile"), a choice over the profiles' names of one device.
std::optional<orvo_actions::ActionSpec> audio_profile_spec(std::uint32_t device_id, AudioProfileList profiles);

// The three actions of a stream, tag "live-stream". The route offers "Default" first, then the
// names of the given devices.
std::optional<orvo_actions::ActionSpec> stream_route_spec(std::uint32_t stream_id, bool playback,
                                                          AudioDeviceList devices);
std::optional<orvo_actions::ActionSpec> stream_volume_spec(std::uint32_t stream_id);
std::optional<orvo_actions::ActionSpec> stream_mute_spec(std::uint32_t stream_id);

}  // namespace settings::actions

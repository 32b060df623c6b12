#pragma once
// The bindings of the sound pane's controls. The section-level buttons bind to the Sound section as
// it is built without live queries; every other binding builds its one action on a one-action
// resource, because its values depend on the devices, profiles and streams present now. Each
// function answers none instead of failing.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "actions/audio_handlers.h"
#include "orvo_actions/binding.h"

namespace settings::actions {

// A button for "diagnostics", "test-left", "test-right" or "microphone-meter" (any nullary action
// of the Sound section).
std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> sound_unit_binding(std::string_view action);
// The output mute and mono switches: "muted" or "mono"; none for any other name.
std::optional<orvo_actions::ActionBinding<bool>> sound_toggle_binding(std::string_view action);
// The output volume, input volume and balance sliders: "volume", "input-volume" or "balance".
std::optional<orvo_actions::ActionBinding<double>> sound_level_binding(std::string_view action);
// The output or input device dropdown ("output-device" or "input-device") over 1 to 128 devices.
std::optional<orvo_actions::ActionBinding<std::string>> audio_device_choice_binding(std::string_view action,
                                                                                    AudioDeviceList devices);
// The profile dropdown of one device over 1 to 128 profiles, on "settings.audio-device:<id>".
std::optional<orvo_actions::ActionBinding<std::string>> audio_profile_binding(std::uint32_t device_id,
                                                                              AudioProfileList profiles);

// The controls of one stream, on its playback or recording resource.
std::optional<orvo_actions::ActionBinding<bool>> stream_mute_binding(std::uint32_t stream_id, bool playback,
                                                                     std::string title);
std::optional<orvo_actions::ActionBinding<double>> stream_volume_binding(std::uint32_t stream_id, bool playback,
                                                                        std::string title);
// "Default" and then the devices, of which there may be at most 127.
std::optional<orvo_actions::ActionBinding<std::string>> stream_route_binding(std::uint32_t stream_id, bool playback,
                                                                             std::string title,
                                                                             AudioDeviceList devices);

}  // namespace settings::actions

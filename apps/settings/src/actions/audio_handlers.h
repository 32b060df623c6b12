#pragma once
// Argument handlers of the Sound section and its streams and devices; each yields a
// "settings.audio-operation". Levels are passed on as given (no clamping).
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "orvo_actions/action_constructors.h"

namespace settings::actions {

// A device as a choice shows it: its display name and its audio-graph id, in display order.
struct AudioDeviceEntry {
  std::string name;
  std::uint32_t id = 0;
  bool operator==(const AudioDeviceEntry&) const = default;
};
using AudioDeviceList = std::vector<AudioDeviceEntry>;

// A profile of one device: its name and its index.
struct AudioProfileEntry {
  std::string name;
  std::uint32_t index = 0;
  bool operator==(const AudioProfileEntry&) const = default;
};
using AudioProfileList = std::vector<AudioProfileEntry>;

// The id (or profile index) sent when a choice names no entry of the list: the operation is still
// sent, and the audio layer refuses the id it does not know.
inline constexpr std::uint32_t kUnmatchedAudioChoice = std::numeric_limits<std::uint32_t>::max();

// The choice that routes a stream to the default device.
inline constexpr std::string_view kDefaultRoute = "Default";

enum class AudioSwitch : std::uint8_t { OutputMuted, Mono };
enum class AudioLevel : std::uint8_t { OutputVolume, InputVolume, Balance };

// "value" as a boolean: SetOutputMuted {muted} ("muted") or SetMono {enabled} ("mono").
orvo_actions::ArgumentHandler audio_switch_handler(AudioSwitch which);
// "value" as a number: SetOutputVolume ("volume"), SetInputVolume ("input-volume") or SetBalance
// ("balance").
orvo_actions::ArgumentHandler audio_level_handler(AudioLevel which);

// Stream "muted" and "volume": SetStreamMuted / SetStreamVolume for the captured stream.
orvo_actions::ArgumentHandler audio_stream_muted_handler(std::uint32_t stream_id);
orvo_actions::ArgumentHandler audio_stream_volume_handler(std::uint32_t stream_id);

// "choice" names a device: SelectOutput ("output-device") or SelectInput ("input-device") with the id
// of the first entry of that name, `kUnmatchedAudioChoice` when none has it.
orvo_actions::ArgumentHandler audio_select_output_handler(AudioDeviceList devices);
orvo_actions::ArgumentHandler audio_select_input_handler(AudioDeviceList devices);
// The device dropdown binding: action "output-device" selects the output, any other the input.
orvo_actions::ArgumentHandler audio_device_choice_handler(AudioDeviceList devices, std::string action_name);

// "choice" names a profile of the captured device: SetDeviceProfile with the index of the first
// profile of that name, `kUnmatchedAudioChoice` when none has it.
orvo_actions::ArgumentHandler audio_device_profile_handler(std::uint32_t device_id, AudioProfileList profiles);

// "choice" names where a stream plays or records: RouteStream with the first device of that name;
// "Default", or a name no device has, routes to the default device (no device id).
orvo_actions::ArgumentHandler audio_route_stream_handler(std::uint32_t stream_id, bool playback,
                                                         AudioDeviceList devices);

}  // namespace settings::actions

#pragma once
// What the sound pane calls on the machine, in one argument: the dispatcher (output volume and
// mute), the graph reader, the graph control (defaults, stream routes, volumes and mutes, device
// profiles), the runtime of the speaker and microphone tests, the input level setter, the default
// device switcher and the `wpctl` reader the pane's first probes use. `real_audio_services` wires
// the system's own; tests hand the pane stand-ins.
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "media/audio.h"
#include "media/audio_control.h"
#include "media/audio_runtime.h"
#include "os_actions/audio.h"
#include "os_actions/dispatcher.h"

namespace settings::panes::sound {

struct AudioServices {
  std::shared_ptr<const os_actions::Dispatcher> dispatcher;
  std::shared_ptr<media::audio::AudioEnumerator> enumerator;
  std::shared_ptr<media::audio::GraphControl> graph_control;
  std::shared_ptr<media::audio_runtime::AudioRuntime> runtime;
  // The default input's level, as a percentage.
  std::function<media::audio::ControlResult(float percent)> set_input_level;
  // Makes a sink or source node the system default.
  std::function<media::audio::ControlResult(std::uint32_t node_id)> set_default_device;
  std::function<std::expected<os_actions::audio::VolumeState, std::string>()> get_volume_state;
  // The standard output of `wpctl` with these arguments when it ran and exited with status zero.
  std::function<std::optional<std::string>(const std::vector<std::string>& arguments)> wpctl_output;
};

AudioServices real_audio_services();

}  // namespace settings::panes::sound

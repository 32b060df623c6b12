#include <algorithm>
#include <array>
#include <span>

#include "actions/operation_actions.h"
#include "catalogues/live_children.h"
#include "catalogues/choice_lists.h"
#include "catalogues/device_local_params.h"
#include "catalogues/queries/media_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "catalogues/sound_resources.h"

namespace settings::actions {
namespace {

using media::audio::AudioGraph;
using media::audio::AudioNode;
using media::audio::AudioStream;
using orvo_actions::Resource;

// Live children of one kind (devices, device records, streams) stop here.

struct FixedSoundAction {
  std::string_view name;
  std::string_view title;
  AudioOperation operation;
};

const std::array<FixedSoundAction, 4>& diagnostic_actions() {
  static const std::array<FixedSoundAction, 4> actions{{
      {"diagnostics", "Show or hide speaker diagnostics", AudioOperation::ToggleDiagnostics{}},
      {"test-left", "Test left speaker", AudioOperation::TestChannel{true}},
      {"test-right", "Test right speaker", AudioOperation::TestChannel{false}},
      {"microphone-meter", "Start or stop microphone meter", AudioOperation::ToggleMicrophoneMeter{}},
  }};
  return actions;
}

enum class DeviceRole : std::uint8_t { Output, Input };

void append_device_children(Resource& section, std::span<const AudioNode> devices, DeviceRole role) {
  const bool output = role == DeviceRole::Output;
  for (const auto& device : devices.first(std::min(devices.size(), kMaxLiveChildren))) {
    std::string id(output ? kAudioOutputPrefix : kAudioInputPrefix);
    id += std::to_string(device.id);
    Resource child = Resource::make(std::move(id), std::string(output ? kAudioOutputKind : kAudioInputKind),
                                    device.description);
    const AudioOperation select = output ? AudioOperation{AudioOperation::SelectOutput{device.id}}
                                         : AudioOperation{AudioOperation::SelectInput{device.id}};
    append_built(child, operation_spec("select", output ? "Use as output device" : "Use as input device", select,
                                       audio_tags("live-device")));
    section.children.push_back(std::move(child));
  }
}

void append_profile_children(Resource& section, const AudioGraph& graph) {
  const std::span devices(graph.devices);
  for (const auto& device : devices.first(std::min(devices.size(), kMaxLiveChildren))) {
    AudioProfileList profiles = available_profiles(device);
    if (profiles.empty()) continue;
    Resource child = audio_device_shell(device.id, device.name);
    append_built(child, audio_profile_spec(device.id, std::move(profiles)));
    section.children.push_back(std::move(child));
  }
}

AudioDeviceList route_devices(std::span<const AudioNode> devices) {
  AudioDeviceList list = audio_device_list(devices);
  if (list.size() > kStreamRouteDeviceLimit) list.resize(kStreamRouteDeviceLimit);
  return list;
}

void append_stream_children(Resource& section, const AudioGraph& graph) {
  const AudioDeviceList outputs = route_devices(graph.sinks);
  const AudioDeviceList inputs = route_devices(graph.sources);
  std::size_t count = 0;
  for (const auto* streams : {&graph.playback_streams, &graph.recording_streams}) {
    for (const AudioStream& stream : *streams) {
      if (count++ == kMaxLiveChildren) return;
      Resource child = audio_stream_shell(stream.id, stream.playback, stream.label());
      append_built(child, stream_route_spec(stream.id, stream.playback, stream.playback ? outputs : inputs));
      append_built(child, stream_volume_spec(stream.id));
      append_built(child, stream_mute_spec(stream.id));
      section.children.push_back(std::move(child));
    }
  }
}

}  // namespace

Resource sound_resource(const SectionInputs& inputs) {
  Resource section = section_shell(settings_app::SettingsSection::Sound);
  append_built(section, sound_switch_spec(AudioSwitch::OutputMuted));
  append_built(section, sound_level_spec(AudioLevel::OutputVolume));
  append_built(section, sound_level_spec(AudioLevel::Balance));
  append_built(section, sound_switch_spec(AudioSwitch::Mono));
  append_built(section, sound_level_spec(AudioLevel::InputVolume));
  for (const auto& action : diagnostic_actions()) {
    append_built(section, operation_spec(std::string(action.name), std::string(action.title), action.operation,
                                         audio_tags("diagnostic")));
  }

  const AudioGraph graph = inputs.queries.media.audio_graph();
  append_built(section, audio_device_choice_spec("output-device", audio_device_list(graph.sinks)));
  append_built(section, audio_device_choice_spec("input-device", audio_device_list(graph.sources)));

  append_device_children(section, graph.sinks, DeviceRole::Output);
  append_device_children(section, graph.sources, DeviceRole::Input);
  append_profile_children(section, graph);
  append_stream_children(section, graph);
  return section;
}

}  // namespace settings::actions

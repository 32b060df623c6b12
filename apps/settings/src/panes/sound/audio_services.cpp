#include "panes/sound/audio_services.h"

#include "orvo_runtime/bounded_command.h"
#include "orvo_runtime/text.h"

namespace settings::panes::sound {

AudioServices real_audio_services() {
  AudioServices services;
  services.dispatcher = std::make_shared<os_actions::RealDispatcher>();
  services.enumerator = std::make_shared<media::audio::RealEnumerator>();
  services.graph_control = std::make_shared<media::audio::RealGraphControl>();
  services.runtime = std::make_shared<media::audio_runtime::RealAudioRuntime>();
  services.set_input_level = [](float percent) { return media::audio::source_volume_command(percent); };
  services.set_default_device = [](std::uint32_t node_id) {
    return media::audio::AudioDefaultDeviceBackend().set_default(node_id);
  };
  services.get_volume_state = [] { return os_actions::audio::get_volume_state(); };
  services.wpctl_output = [](const std::vector<std::string>& arguments) -> std::optional<std::string> {
    auto output = bounded_command::run("wpctl", arguments, std::nullopt, bounded_command::kDefaultOutputLimit,
                                       media::audio::kControlTimeLimit);
    if (!output || !output->status.success()) return std::nullopt;
    return orvo_runtime::text::decode_utf8_lossy(output->standard_output);
  };
  return services;
}

}  // namespace settings::panes::sound

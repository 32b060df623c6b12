#include "os_actions/privacy.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include "media/audio_control.h"
#include "orvo_runtime/bounded_command.h"
#include "orvo_runtime/system_paths.h"
#include "orvo_runtime/text.h"
#include "os_actions/audio.h"

namespace os_actions::privacy {

bool camera_present() {
  std::error_code error;
  std::filesystem::directory_iterator devices(system_paths::sys() / "class/video4linux", error);
  return !error && devices != std::filesystem::directory_iterator();
}

MicrophoneMute microphone_mute() {
  const std::vector<std::string> arguments{"get-volume", "@DEFAULT_AUDIO_SOURCE@"};
  auto output = bounded_command::run("wpctl", arguments, std::nullopt, bounded_command::kDefaultOutputLimit,
                                     media::audio::kControlTimeLimit);
  if (!output || !output->status.success()) return MicrophoneMute::Unavailable;
  const auto state = os_actions::audio::parse_volume_state(orvo_runtime::text::decode_utf8_lossy(output->standard_output));
  return state && state->muted ? MicrophoneMute::Muted : MicrophoneMute::ListeningAllowed;
}

std::vector<PrivacyUsage> usages_in(const media::audio::AudioGraph& graph) {
  std::vector<PrivacyUsage> usages;
  auto add = [&](const std::vector<media::audio::AudioStream>& streams, bool camera) {
    for (const auto& stream : streams) {
      if (!stream.running) continue;
      PrivacyUsage usage{stream.application, camera};
      if (std::find(usages.begin(), usages.end(), usage) == usages.end()) usages.push_back(std::move(usage));
    }
  };
  add(graph.video_capture_streams, true);
  add(graph.recording_streams, false);
  return usages;
}

PrivacyStatus get_privacy_status(const media::audio::AudioGraph& graph) {
  PrivacyStatus status;
  status.camera_present = camera_present();
  status.microphone_mute = microphone_mute();
  status.usages = usages_in(graph);
  return status;
}

PrivacyStatus get_privacy_status() {
  auto graph = media::audio::enumerate();
  return get_privacy_status(graph ? *graph : media::audio::AudioGraph{});
}

}  // namespace os_actions::privacy

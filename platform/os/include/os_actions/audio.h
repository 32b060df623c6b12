#pragma once
// The default output's volume and mute, through `wpctl`.
#include <expected>
#include <string>

namespace os_actions::audio {

struct VolumeState {
  float volume = 0.0f;  // 0..1 on the user's scale
  bool muted = false;
};

std::expected<VolumeState, std::string> get_volume_state();
// Reads the answer of `wpctl get-volume`, such as "Volume: 0.40 [MUTED]".
std::expected<VolumeState, std::string> parse_volume_state(std::string_view text);

std::expected<void, std::string> set_volume(float percent);
std::expected<void, std::string> set_mute(bool muted);
std::expected<void, std::string> toggle_mute();

}  // namespace os_actions::audio

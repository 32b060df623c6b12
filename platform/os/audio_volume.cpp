#include <algorithm>

#include <charconv>
#include <string>
#include <vector>

#include "media/audio_control.h"
#include "orvo_runtime/bounded_command.h"
#include "orvo_runtime/text.h"
#include "os_actions/audio.h"
#include "os_actions/dispatcher.h"

namespace os_actions::audio {
namespace {

const std::string kDefaultSink = "@DEFAULT_AUDIO_SINK@";

}  // namespace

std::expected<VolumeState, std::string> parse_volume_state(std::string_view text) {
  text = text.substr(0, text.find('\n'));
  const auto colon = text.find(':');
  if (colon == std::string_view::npos || !text.starts_with("Volume")) {
    return std::unexpected("the answer is not a volume");
  }
  std::string_view rest = text.substr(colon + 1);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  const auto word_end = rest.find_first_of(" \t\r");
  const std::string word(rest.substr(0, word_end));
  VolumeState state;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), state.volume);
  if (word.empty() || error != std::errc() || end != word.data() + word.size() || !(state.volume >= 0.0f)) {
    return std::unexpected("the answer is not a volume");
  }
  // The server allows raising a volume past 100 %; the user's scale ends there.
  state.volume = std::min(state.volume, 1.0f);
  state.muted = rest.find("[MUTED]") != std::string_view::npos;
  return state;
}

std::expected<VolumeState, std::string> get_volume_state() {
  const std::vector<std::string> arguments{"get-volume", kDefaultSink};
  auto output = bounded_command::run("wpctl", arguments, std::nullopt, bounded_command::kDefaultOutputLimit,
                                     media::audio::kControlTimeLimit);
  if (!output) return std::unexpected("Could not read the output volume: " + output.error().display());
  if (!output->status.success()) {
    auto reason = orvo_runtime::text::clean_error_output(output->standard_error);
    return std::unexpected("Could not read the output volume: " +
                           (reason.empty() ? std::string("the sound server did not answer") : reason));
  }
  auto state = parse_volume_state(output->standard_output);
  if (!state) return std::unexpected("Could not read the output volume: " + state.error());
  return state;
}

std::expected<void, std::string> set_volume(float percent) {
  return media::audio::run_wpctl(
      std::vector<std::string>{"set-volume", kDefaultSink, media::audio::volume_fraction(percent)});
}

std::expected<void, std::string> set_mute(bool muted) {
  return media::audio::run_wpctl(std::vector<std::string>{"set-mute", kDefaultSink, muted ? "1" : "0"});
}

std::expected<void, std::string> toggle_mute() {
  return media::audio::run_wpctl(std::vector<std::string>{"set-mute", kDefaultSink, "toggle"});
}

}  // namespace os_actions::audio

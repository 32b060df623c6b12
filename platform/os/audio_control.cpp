#include "media/audio_control.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>

#include "orvo_runtime/bounded_command.h"
#include "orvo_runtime/text.h"

namespace media::audio {
namespace {

// The box-drawing characters `wpctl status` draws its tree with, each three bytes of UTF-8.
constexpr std::string_view kTreeCharacters[] = {"\u2500", "\u2502", "\u250C", "\u2510", "\u2514",
                                                "\u2518", "\u251C", "\u252C", "\u2534", "\u253C"};

bool starts_with_tree_character(std::string_view text) {
  return std::any_of(std::begin(kTreeCharacters), std::end(kTreeCharacters),
                     [&](std::string_view c) { return text.starts_with(c); });
}

bool starts_with_space(std::string_view text) {
  return !text.empty() && (text[0] == ' ' || text[0] == '\t' || text[0] == '\v' || text[0] == '\f');
}

std::string_view strip_tree(std::string_view text) {
  for (;;) {
    if (starts_with_space(text)) {
      text.remove_prefix(1);
    } else if (starts_with_tree_character(text)) {
      text.remove_prefix(3);
    } else {
      return text;
    }
  }
}

std::optional<DeviceChoice> parse_entry(std::string_view rest) {
  DeviceChoice choice;
  if (rest.starts_with('*')) {
    choice.is_default = true;
    rest = orvo_runtime::text::trim_unicode_whitespace(rest.substr(1));
  }
  const auto dot = rest.find('.');
  if (dot == std::string_view::npos) return std::nullopt;
  const auto id_text = orvo_runtime::text::trim_unicode_whitespace(rest.substr(0, dot));
  const auto [end, error] = std::from_chars(id_text.data(), id_text.data() + id_text.size(), choice.id);
  if (id_text.empty() || error != std::errc() || end != id_text.data() + id_text.size()) return std::nullopt;
  auto name = orvo_runtime::text::trim_unicode_whitespace(rest.substr(dot + 1));
  name = orvo_runtime::text::trim_unicode_whitespace(name.substr(0, name.find('[')));
  if (name.empty()) return std::nullopt;
  choice.name = std::string(name);
  return choice;
}

ControlResult run_audio_tool(std::string_view tool, std::vector<std::string> arguments) {
  if (tool == "wpctl") return run_wpctl(arguments);
  return run_control(tool, arguments);
}

}  // namespace

ControlResult run_control(std::string_view program, std::span<const std::string> arguments,
                          std::chrono::milliseconds time_limit) {
  auto output = bounded_command::run(program, arguments, std::nullopt, bounded_command::kDefaultOutputLimit, time_limit);
  if (!output) return std::unexpected(fmt::format("{} control failed: {}", program, output.error().display()));
  if (output->status.success()) return {};
  auto reason = orvo_runtime::text::clean_error_output(output->standard_error);
  if (!reason.empty()) return std::unexpected(std::move(reason));
  // A silent failure still says what failed.
  if (output->status.code) return std::unexpected(fmt::format("{} exited with status {}", program, *output->status.code));
  return std::unexpected(fmt::format("{} was ended by signal {}", program, output->status.signal.value_or(0)));
}

ControlResult run_wpctl(std::span<const std::string> arguments, std::chrono::milliseconds time_limit) {
  return run_control("wpctl", arguments, time_limit);
}

std::string volume_fraction(float percent) {
  if (!(percent >= 0.0f)) percent = 0.0f;  // also NaN
  const float fraction = std::clamp(std::min(percent, 100.0f) / 100.0f, 0.0f, 1.0f);
  return fmt::format("{:.2f}", fraction);
}

ControlResult source_volume_command(float percent) {
  return run_wpctl(std::vector<std::string>{"set-volume", "@DEFAULT_AUDIO_SOURCE@", volume_fraction(percent)});
}

ControlResult AudioDefaultDeviceBackend::set_default(std::uint32_t node_id) const {
  return run_wpctl(std::vector<std::string>{"set-default", std::to_string(node_id)});
}

DeviceLists parse_wpctl_status(std::string_view text) {
  enum class Section { None, Sinks, Sources };
  DeviceLists lists;
  Section section = Section::None;
  bool in_other_group = false;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);

    const std::string_view rest = strip_tree(line);
    if (rest.empty()) continue;
    const bool indented = starts_with_space(line) || starts_with_tree_character(line);
    // The listing repeats "Sinks:" and "Sources:" under "Video" for cameras; only the audio ones count.
    if (!indented && !rest.ends_with(':')) in_other_group = rest != "Audio";
    if (rest == "Sinks:" && !in_other_group) {
      section = Section::Sinks;
      continue;
    }
    if (rest == "Sources:" && !in_other_group) {
      section = Section::Sources;
      continue;
    }
    if (!indented || rest.ends_with(':')) {
      section = Section::None;
      continue;
    }
    if (section == Section::None) continue;
    if (auto choice = parse_entry(rest)) {
      (section == Section::Sinks ? lists.sinks : lists.sources).push_back(std::move(*choice));
    }
  }
  return lists;
}

ControlResult RealGraphControl::set_default_sink(std::uint32_t node_id) {
  return AudioDefaultDeviceBackend{}.set_default(node_id);
}

ControlResult RealGraphControl::set_default_source(std::uint32_t node_id) {
  return AudioDefaultDeviceBackend{}.set_default(node_id);
}

ControlResult RealGraphControl::route_stream(std::uint32_t stream_id, std::uint32_t routing_id) {
  return run_audio_tool("pw-metadata", {std::to_string(stream_id), "target.object", std::to_string(routing_id)});
}

ControlResult RealGraphControl::unroute_stream(std::uint32_t stream_id) {
  return run_audio_tool("pw-metadata", {"-d", std::to_string(stream_id), "target.object"});
}

ControlResult RealGraphControl::set_node_volume(std::uint32_t node_id, float volume) {
  return run_audio_tool("wpctl", {"set-volume", std::to_string(node_id), volume_fraction(volume * 100.0f)});
}

ControlResult RealGraphControl::set_node_mute(std::uint32_t node_id, bool muted) {
  return run_audio_tool("wpctl", {"set-mute", std::to_string(node_id), muted ? "1" : "0"});
}

ControlResult RealGraphControl::set_device_profile(std::uint32_t device_id, std::uint32_t profile_index) {
  return run_audio_tool("wpctl", {"set-profile", std::to_string(device_id), std::to_string(profile_index)});
}

}  // namespace media::audio

#pragma once
// Changes to the audio graph, made through the sound server's command-line tools (`wpctl`,
// `pw-metadata`) run by the bounded command runner, and the reading of `wpctl status`.
#include <chrono>
#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace media::audio {

using ControlResult = std::expected<void, std::string>;

inline constexpr std::chrono::milliseconds kControlTimeLimit{5000};

// Runs `program` with `arguments` (no standard input, 1 MiB of output, `time_limit`). Exit status
// zero is success; a command that could not run gives "{program} control failed: {reason}"; a
// failing command gives its standard error cleaned by `orvo_runtime::text::clean_error_output`.
ControlResult run_control(std::string_view program, std::span<const std::string> arguments,
                          std::chrono::milliseconds time_limit = kControlTimeLimit);
ControlResult run_wpctl(std::span<const std::string> arguments,
                        std::chrono::milliseconds time_limit = kControlTimeLimit);

// A 0..1 fraction with exactly two decimals, as the tools take it; `percent` is clamped to 0..100
// and a value that is not a number counts as 0.
std::string volume_fraction(float percent);

// Sets the default input's volume (percent).
ControlResult source_volume_command(float percent);

// Makes a node the default sink or source.
class AudioDefaultDeviceBackend {
 public:
  ControlResult set_default(std::uint32_t node_id) const;
};

// An entry of a device list.
struct DeviceChoice {
  std::string name;
  std::uint32_t id = 0;
  bool is_default = false;
  bool operator==(const DeviceChoice&) const = default;
};

struct DeviceLists {
  std::vector<DeviceChoice> sinks;
  std::vector<DeviceChoice> sources;
};

// Reads the sinks and sources from what `wpctl status` prints.
DeviceLists parse_wpctl_status(std::string_view text);

// Changes to the graph; panes hold one so tests can record the calls.
class GraphControl {
 public:
  virtual ~GraphControl() = default;
  virtual ControlResult set_default_sink(std::uint32_t node_id) = 0;
  virtual ControlResult set_default_source(std::uint32_t node_id) = 0;
  // `routing_id` is the target node's routing number (`AudioNode::routing_id`).
  virtual ControlResult route_stream(std::uint32_t stream_id, std::uint32_t routing_id) = 0;
  virtual ControlResult unroute_stream(std::uint32_t stream_id) = 0;
  virtual ControlResult set_node_volume(std::uint32_t node_id, float volume) = 0;
  virtual ControlResult set_node_mute(std::uint32_t node_id, bool muted) = 0;
  virtual ControlResult set_device_profile(std::uint32_t device_id, std::uint32_t profile_index) = 0;
};

class RealGraphControl final : public GraphControl {
 public:
  ControlResult set_default_sink(std::uint32_t node_id) override;
  ControlResult set_default_source(std::uint32_t node_id) override;
  ControlResult route_stream(std::uint32_t stream_id, std::uint32_t routing_id) override;
  ControlResult unroute_stream(std::uint32_t stream_id) override;
  ControlResult set_node_volume(std::uint32_t node_id, float volume) override;
  ControlResult set_node_mute(std::uint32_t node_id, bool muted) override;
  ControlResult set_device_profile(std::uint32_t device_id, std::uint32_t profile_index) override;
};

}  // namespace media::audio

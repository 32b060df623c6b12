#include "device_local/device_checks.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <variant>
#include <orvo_runtime/overloaded.h>

namespace settings::device_local {
namespace {

using namespace settings::actions;
using media::audio::AudioGraph;
using media::audio::AudioStream;

using orvo_runtime::Overloaded;

CheckResult refuse(std::string_view message) { return std::unexpected(std::string(message)); }

CheckResult pass() { return {}; }

template <std::size_t N>
CheckResult one_of(std::string_view label, const std::array<std::string_view, N>& labels, std::string_view message) {
  if (std::find(labels.begin(), labels.end(), label) != labels.end()) return pass();
  return refuse(message);
}

CheckResult unit(double value, std::string_view message) {
  if (std::isfinite(value) && value >= 0.0 && value <= 1.0) return pass();
  return refuse(message);
}

// The labels the panes offer.
constexpr std::array<std::string_view, 3> kUpdateSchedules{"System schedule", "Daily", "Weekly"};
constexpr std::array<std::string_view, 3> kPowerProfiles{"Power Saver", "Balanced", "Performance"};
constexpr std::array<std::string_view, 6> kBlankAndLockTimeouts{"1 minute",   "5 minutes",  "10 minutes",
                                                                "15 minutes", "30 minutes", "Never"};
constexpr std::array<std::string_view, 7> kSuspendTimeouts{"5 minutes",  "10 minutes", "15 minutes", "30 minutes",
                                                           "45 minutes", "1 hour",     "Never"};
constexpr std::array<std::string_view, 4> kSuspendTimeoutProfiles{"default", "saver", "balanced", "performance"};
constexpr std::array<std::string_view, 3> kPowerActions{"Suspend", "Lock screen", "Do nothing"};
constexpr std::array<std::string_view, 3> kNightLightWarmths{"Subtle · 4500 K", "Warm · 3700 K",
                                                             "Very warm · 2800 K"};
constexpr std::array<std::string_view, 5> kScales{"100%", "125%", "150%", "175%", "200%"};
constexpr std::array<std::string_view, 4> kOrientations{"Landscape", "Portrait right", "Upside down",
                                                        "Portrait left"};
constexpr std::string_view kSystemDefaultProfile = "System default";

constexpr std::string_view kOutputGone = "display output is no longer available.";
constexpr std::string_view kModeGone = "display mode is no longer supported by that output";
constexpr std::string_view kColorProfileGone = "colour profile is no longer available for that output";
constexpr std::string_view kStreamGone = "audio stream is no longer available";
constexpr std::string_view kOutputDeviceGone = "audio output device is no longer available";
constexpr std::string_view kInputDeviceGone = "audio input device is no longer available";

bool has_stream(const std::vector<AudioStream>& streams, std::uint32_t id) {
  return std::any_of(streams.begin(), streams.end(), [id](const AudioStream& s) { return s.id == id; });
}

bool has_any_stream(const AudioGraph& graph, std::uint32_t id) {
  return has_stream(graph.playback_streams, id) || has_stream(graph.recording_streams, id);
}

bool has_source(const AudioGraph& graph, std::uint32_t id) { return graph.source_by_id(id) != nullptr; }

const os_actions::bluez::BluetoothDevice* find_device(const std::vector<os_actions::bluez::BluetoothDevice>& devices,
                                                      const std::string& path) {
  auto it = std::find_if(devices.begin(), devices.end(), [&](const auto& d) { return d.path == path; });
  return it == devices.end() ? nullptr : &*it;
}

// Pair, Connect, Disconnect and Forget: the device must still exist and be in a state that allows it.
template <class Allowed>
CheckResult bluetooth_device_check(DeviceProbe& probe, const std::string& path, Allowed allowed) {
  auto devices = probe.bluetooth_devices();
  if (!devices) return refuse(devices.error());
  const auto* device = find_device(*devices, path);
  if (!device) return refuse("Bluetooth device is no longer available");
  if (!allowed(*device)) return refuse("Bluetooth device state changed; refresh and try again");
  return pass();
}

// A failing queue listing counts as no queues.
const os_actions::printing::PrinterQueue* find_queue(const std::vector<os_actions::printing::PrinterQueue>& queues,
                                                     const std::string& name) {
  auto it = std::find_if(queues.begin(), queues.end(), [&](const auto& q) { return q.name == name; });
  return it == queues.end() ? nullptr : &*it;
}

std::vector<os_actions::printing::PrinterQueue> queues_or_none(DeviceProbe& probe) {
  auto queues = probe.printer_queues();
  return queues ? std::move(*queues) : std::vector<os_actions::printing::PrinterQueue>{};
}

CheckResult job_exists(DeviceProbe& probe, const std::string& id) {
  auto jobs = probe.print_jobs();
  if (jobs && std::any_of(jobs->begin(), jobs->end(), [&](const auto& j) { return j.id == id; })) return pass();
  return refuse("print job is no longer available");
}

bool color_profile_label_offered(const settings_store::OutputDescriptor& output, const std::string& label) {
  if (label == kSystemDefaultProfile) return true;
  return std::any_of(output.color_profile_names.begin(), output.color_profile_names.end(), [&](const auto& entry) {
    return label == entry.second + " · " + entry.first;
  });
}

}  // namespace

std::expected<const settings_store::OutputDescriptor*, std::string> display_output_by_connector(
    const std::expected<settings_store::DisplayHardwareSnapshot, std::string>& snapshot, std::string_view connector) {
  if (!snapshot) return std::unexpected(std::string("live display capabilities are unavailable"));
  const auto* output = snapshot->output_by_connector(connector);
  if (!output) return std::unexpected(std::string(kOutputGone));
  return output;
}

CheckResult check_operation(const UpdateOperation& operation) {
  if (const auto* schedule = std::get_if<UpdateOperation::SetSchedule>(&operation)) {
    return one_of(schedule->schedule, kUpdateSchedules, "unsupported update schedule");
  }
  return pass();
}

CheckResult check_operation(const PowerOperation& operation, DeviceProbe& probe) {
  return std::visit(
      Overloaded{
          [&](const PowerOperation::SetChargeLimit& op) -> CheckResult {
            auto capability = probe.charge_capability();
            if (capability && *capability) {
              const auto& percents = (*capability)->supported_percents;
              if (std::find(percents.begin(), percents.end(), op.percent) != percents.end()) return pass();
            }
            return refuse("battery charge-cap control is unavailable on this device");
          },
          [](const PowerOperation::SetProfile& op) {
            return one_of(op.profile, kPowerProfiles, "unsupported power profile");
          },
          [](const PowerOperation::SetAutoSuspend&) { return pass(); },
          [](const PowerOperation::SetBlankTimeout& op) {
            return one_of(op.label, kBlankAndLockTimeouts, "unsupported screen blank timeout");
          },
          [](const PowerOperation::SetLockTimeout& op) {
            return one_of(op.label, kBlankAndLockTimeouts, "unsupported automatic lock timeout");
          },
          [](const PowerOperation::SetSuspendTimeout& op) {
            auto label = one_of(op.label, kSuspendTimeouts, "unsupported suspend timeout");
            if (!label) return label;
            return one_of(op.profile, kSuspendTimeoutProfiles, "unsupported power profile timeout");
          },
          [](const PowerOperation::SetLidAction& op) {
            return one_of(op.action, kPowerActions, "unsupported power action");
          },
          [](const PowerOperation::SetPowerKeyAction& op) {
            return one_of(op.action, kPowerActions, "unsupported power action");
          },
          [](const PowerOperation::SetCriticalAction& op) {
            return one_of(op.action, kPowerActions, "unsupported power action");
          },
      },
      operation);
}

CheckResult check_operation(const NetworkOperation& operation, DeviceProbe& probe) {
  if (!std::holds_alternative<NetworkOperation::SetWiredEnabled>(operation)) return pass();
  auto wired = probe.wired();
  if (!wired) return refuse(wired.error());
  if (!wired->interface) return refuse("wired networking is unavailable on this device");
  return pass();
}

CheckResult check_operation(const BluetoothOperation& operation, DeviceProbe& probe) {
  using Device = os_actions::bluez::BluetoothDevice;
  return std::visit(
      Overloaded{
          [&](const BluetoothOperation::Pair& op) {
            return bluetooth_device_check(probe, op.path, [](const Device& d) { return !d.paired; });
          },
          [&](const BluetoothOperation::Connect& op) {
            return bluetooth_device_check(probe, op.path, [](const Device& d) { return d.paired && !d.connected; });
          },
          [&](const BluetoothOperation::Disconnect& op) {
            return bluetooth_device_check(probe, op.path, [](const Device& d) { return d.connected; });
          },
          [&](const BluetoothOperation::Forget& op) {
            return bluetooth_device_check(probe, op.path, [](const Device& d) { return d.paired; });
          },
          [](const auto&) { return pass(); },
      },
      operation);
}

CheckResult check_operation(const AudioOperation& operation, const AudioGraph& graph,
                            const media::audio_runtime::RuntimeCapabilities& capabilities) {
  return std::visit(
      Overloaded{
          [](const AudioOperation::SetOutputVolume& op) {
            return unit(op.value, "output volume must be between 0 and 1");
          },
          [](const AudioOperation::SetInputVolume& op) {
            return unit(op.value, "input volume must be between 0 and 1");
          },
          [&](const AudioOperation::SetBalance& op) {
            if (!capabilities.balance) return refuse(kBalanceUnavailable);
            return unit(op.value, "output balance must be between 0 and 1");
          },
          [&](const AudioOperation::SetMono&) { return capabilities.mono_output ? pass() : refuse(kMonoUnavailable); },
          [&](const AudioOperation::SetDeviceProfile& op) {
            const auto* device = graph.device_by_id(op.device_id);
            if (!device) return refuse("audio hardware is no longer available");
            const bool offered = std::any_of(device->profiles.begin(), device->profiles.end(), [&](const auto& p) {
              return p.index == op.profile_index && p.available;
            });
            return offered ? pass() : refuse("audio profile is no longer available");
          },
          [&](const AudioOperation::RouteStream& op) {
            const auto& streams = op.playback ? graph.playback_streams : graph.recording_streams;
            if (!has_stream(streams, op.stream_id)) return refuse(kStreamGone);
            if (!op.device_id) return pass();
            const bool found =
                op.playback ? graph.sink_by_id(*op.device_id) != nullptr : has_source(graph, *op.device_id);
            return found ? pass() : refuse("audio route is no longer available");
          },
          [&](const AudioOperation::SetStreamVolume& op) {
            auto value = unit(op.value, "stream volume must be between 0 and 1");
            if (!value) return value;
            return has_any_stream(graph, op.stream_id) ? pass() : refuse(kStreamGone);
          },
          [&](const AudioOperation::SetStreamMuted& op) {
            return has_any_stream(graph, op.stream_id) ? pass() : refuse(kStreamGone);
          },
          [&](const AudioOperation::SelectOutput& op) {
            return graph.sink_by_id(op.device_id) ? pass() : refuse(kOutputDeviceGone);
          },
          [&](const AudioOperation::SelectInput& op) {
            return has_source(graph, op.device_id) ? pass() : refuse(kInputDeviceGone);
          },
          [&](const AudioOperation::RoutePlayback& op) {
            if (!has_stream(graph.playback_streams, op.stream_id)) return refuse("playback stream is no longer available");
            return graph.sink_by_id(op.device_id) ? pass() : refuse(kOutputDeviceGone);
          },
          [&](const AudioOperation::RouteRecording& op) {
            if (!has_stream(graph.recording_streams, op.stream_id)) {
              return refuse("recording stream is no longer available");
            }
            return has_source(graph, op.device_id) ? pass() : refuse(kInputDeviceGone);
          },
          [](const auto&) { return pass(); },
      },
      operation);
}

CheckResult check_operation(const DisplayOperation& operation, DeviceProbe& probe) {
  using Output = settings_store::OutputDescriptor;
  const auto snapshot = probe.display_snapshot();
  // The output named by `connector` must exist; then `rule` decides.
  auto on_output = [&](const std::string& connector, auto rule) -> CheckResult {
    auto output = display_output_by_connector(snapshot, connector);
    if (!output) return refuse(output.error());
    return rule(**output);
  };
  auto found = [](const Output&) { return pass(); };
  auto short_label = [](const std::string& label, std::string_view message) {
    return [&label, message](const Output&) { return label.size() <= kMaxDisplayLabelBytes ? pass() : refuse(message); };
  };
  return std::visit(
      Overloaded{
          [](const DisplayOperation::SetBrightness& op) {
            return unit(op.value, "display brightness must be between 0 and 1");
          },
          [](const DisplayOperation::SetNightLightTemperature& op) {
            return one_of(op.label, kNightLightWarmths, "unsupported Night Light warmth");
          },
          [](const DisplayOperation::SetScale& op) { return one_of(op.label, kScales, "unsupported display scale"); },
          [&](const DisplayOperation::SetOutputScale& op) {
            return on_output(op.connector,
                             [&](const Output&) { return one_of(op.label, kScales, "unsupported output scale"); });
          },
          [&](const DisplayOperation::SetPosition& op) {
            return on_output(op.connector, short_label(op.label, "display position label is too long"));
          },
          [&](const DisplayOperation::SetMirror& op) {
            return on_output(op.connector, short_label(op.label, "display mirror label is too long"));
          },
          [&](const DisplayOperation::SetModeLabel& op) {
            return on_output(op.connector, [&](const Output& output) {
              const bool offered = std::any_of(output.modes.begin(), output.modes.end(),
                                               [&](const auto& mode) { return mode.label() == op.label; });
              return offered ? pass() : refuse(kModeGone);
            });
          },
          [&](const DisplayOperation::SetMode& op) {
            return on_output(op.connector, [&](const Output& output) {
              const bool offered = std::find(output.modes.begin(), output.modes.end(), op.mode) != output.modes.end();
              return offered ? pass() : refuse(kModeGone);
            });
          },
          [&](const DisplayOperation::SetTransformLabel& op) {
            return on_output(op.connector, [&](const Output&) {
              return one_of(op.label, kOrientations, "unsupported display orientation");
            });
          },
          [&](const DisplayOperation::SetColorProfileLabel& op) {
            return on_output(op.connector, [&](const Output& output) {
              return color_profile_label_offered(output, op.label) ? pass() : refuse(kColorProfileGone);
            });
          },
          [&](const DisplayOperation::SetColorProfile& op) {
            return on_output(op.connector, [&](const Output& output) {
              if (!op.profile) return pass();
              const auto& profiles = output.color_profiles;
              const bool listed = std::find(profiles.begin(), profiles.end(), *op.profile) != profiles.end();
              return listed ? pass() : refuse(kColorProfileGone);
            });
          },
          // Refused whatever the requested state: the control should not be offered at all.
          [&](const DisplayOperation::SetHdr& op) {
            return on_output(op.connector, [](const Output& output) {
              return output.hdr_capable ? pass() : refuse("HDR is not available for that output");
            });
          },
          [&](const DisplayOperation::SetVrr& op) {
            return on_output(op.connector, [](const Output& output) {
              return output.vrr_capable ? pass() : refuse("variable refresh rate is not available for that output");
            });
          },
          [&](const DisplayOperation::SetPrimary& op) { return on_output(op.connector, found); },
          [&](const DisplayOperation::SetEnabled& op) { return on_output(op.connector, found); },
          [&](const DisplayOperation::SetTransform& op) { return on_output(op.connector, found); },
          [](const auto&) { return pass(); },
      },
      operation);
}

CheckResult check_operation(const PrinterOperation& operation, DeviceProbe& probe) {
  using os_actions::printing::QueueState;
  constexpr std::string_view kQueueGone = "printer queue is no longer available";
  return std::visit(
      Overloaded{
          [&](const PrinterOperation::SetDefault& op) {
            return find_queue(queues_or_none(probe), op.name) ? pass() : refuse(kQueueGone);
          },
          [&](const PrinterOperation::Remove& op) {
            return find_queue(queues_or_none(probe), op.name) ? pass() : refuse(kQueueGone);
          },
          [&](const PrinterOperation::SetEnabled& op) {
            const auto queues = queues_or_none(probe);
            const auto* queue = find_queue(queues, op.name);
            if (!queue) return refuse(kQueueGone);
            // Enabling resumes a paused queue; disabling pauses one that is not.
            const bool paused = queue->state == QueueState::Paused;
            if (op.enabled != paused) return refuse("printer queue state changed; refresh and try again");
            return pass();
          },
          [&](const PrinterOperation::CancelJob& op) { return job_exists(probe, op.id); },
          [&](const PrinterOperation::RetryJob& op) { return job_exists(probe, op.id); },
          [](const auto&) { return pass(); },
      },
      operation);
}

}  // namespace settings::device_local

#pragma once
// Payloads of the hardware and connectivity areas: network, Bluetooth, sound, displays and printers.
// Every enumeration here is externally tagged in JSON and carries its operation kind in `kKind`;
// operation_payload.h reads and writes them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "settings_store/display_types.h"

namespace settings::actions {

// Networking radios and diagnostics.
namespace network_operation {
struct Refresh {
  bool operator==(const Refresh&) const = default;
};
struct SetWifiEnabled {
  bool enabled = false;
  bool operator==(const SetWifiEnabled&) const = default;
};
struct SetWiredEnabled {
  bool enabled = false;
  bool operator==(const SetWiredEnabled&) const = default;
};
struct SetAirplaneMode {
  bool enabled = false;
  bool operator==(const SetAirplaneMode&) const = default;
};
struct SetHotspot {
  bool enabled = false;
  bool operator==(const SetHotspot&) const = default;
};
struct SetMobileBroadband {
  bool enabled = false;
  bool operator==(const SetMobileBroadband&) const = default;
};
struct RunDiagnostics {
  bool operator==(const RunDiagnostics&) const = default;
};
}  // namespace network_operation

struct NetworkOperation
    : std::variant<network_operation::Refresh, network_operation::SetWifiEnabled, network_operation::SetWiredEnabled,
                   network_operation::SetAirplaneMode, network_operation::SetHotspot,
                   network_operation::SetMobileBroadband, network_operation::RunDiagnostics> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.network-operation";
  using Refresh = network_operation::Refresh;
  using SetWifiEnabled = network_operation::SetWifiEnabled;
  using SetWiredEnabled = network_operation::SetWiredEnabled;
  using SetAirplaneMode = network_operation::SetAirplaneMode;
  using SetHotspot = network_operation::SetHotspot;
  using SetMobileBroadband = network_operation::SetMobileBroadband;
  using RunDiagnostics = network_operation::RunDiagnostics;
};

// Bluetooth; `path` is the device path the Bluetooth backend lists.
namespace bluetooth_operation {
struct SetPowered {
  bool enabled = false;
  bool operator==(const SetPowered&) const = default;
};
struct StartScan {
  bool operator==(const StartScan&) const = default;
};
struct Refresh {
  bool operator==(const Refresh&) const = default;
};
struct Pair {
  std::string path;
  bool operator==(const Pair&) const = default;
};
struct Connect {
  std::string path;
  bool operator==(const Connect&) const = default;
};
struct Disconnect {
  std::string path;
  bool operator==(const Disconnect&) const = default;
};
struct Forget {
  std::string path;
  bool operator==(const Forget&) const = default;
};
}  // namespace bluetooth_operation

struct BluetoothOperation
    : std::variant<bluetooth_operation::SetPowered, bluetooth_operation::StartScan, bluetooth_operation::Refresh,
                   bluetooth_operation::Pair, bluetooth_operation::Connect, bluetooth_operation::Disconnect,
                   bluetooth_operation::Forget> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.bluetooth-operation";
  using SetPowered = bluetooth_operation::SetPowered;
  using StartScan = bluetooth_operation::StartScan;
  using Refresh = bluetooth_operation::Refresh;
  using Pair = bluetooth_operation::Pair;
  using Connect = bluetooth_operation::Connect;
  using Disconnect = bluetooth_operation::Disconnect;
  using Forget = bluetooth_operation::Forget;
};

// Sound; ids are those of the audio graph, level `value`s are slider values (0 to 1).
namespace audio_operation {
struct SetOutputVolume {
  double value = 0;
  bool operator==(const SetOutputVolume&) const = default;
};
struct SetOutputMuted {
  bool muted = false;
  bool operator==(const SetOutputMuted&) const = default;
};
struct SetInputVolume {
  double value = 0;
  bool operator==(const SetInputVolume&) const = default;
};
struct SetBalance {
  double value = 0;
  bool operator==(const SetBalance&) const = default;
};
struct SetMono {
  bool enabled = false;
  bool operator==(const SetMono&) const = default;
};
struct SetDeviceProfile {
  std::uint32_t device_id = 0;
  std::uint32_t profile_index = 0;
  bool operator==(const SetDeviceProfile&) const = default;
};
struct RouteStream {
  std::uint32_t stream_id = 0;
  bool playback = false;
  std::optional<std::uint32_t> device_id;
  bool operator==(const RouteStream&) const = default;
};
struct SetStreamVolume {
  std::uint32_t stream_id = 0;
  double value = 0;
  bool operator==(const SetStreamVolume&) const = default;
};
struct SetStreamMuted {
  std::uint32_t stream_id = 0;
  bool muted = false;
  bool operator==(const SetStreamMuted&) const = default;
};
struct ToggleDiagnostics {
  bool operator==(const ToggleDiagnostics&) const = default;
};
struct TestChannel {
  bool left = false;
  bool operator==(const TestChannel&) const = default;
};
struct ToggleMicrophoneMeter {
  bool operator==(const ToggleMicrophoneMeter&) const = default;
};
struct SelectOutput {
  std::uint32_t device_id = 0;
  bool operator==(const SelectOutput&) const = default;
};
struct SelectInput {
  std::uint32_t device_id = 0;
  bool operator==(const SelectInput&) const = default;
};
struct RoutePlayback {
  std::uint32_t stream_id = 0;
  std::uint32_t device_id = 0;
  bool operator==(const RoutePlayback&) const = default;
};
struct RouteRecording {
  std::uint32_t stream_id = 0;
  std::uint32_t device_id = 0;
  bool operator==(const RouteRecording&) const = default;
};
}  // namespace audio_operation

struct AudioOperation
    : std::variant<audio_operation::SetOutputVolume, audio_operation::SetOutputMuted, audio_operation::SetInputVolume,
                   audio_operation::SetBalance, audio_operation::SetMono, audio_operation::SetDeviceProfile,
                   audio_operation::RouteStream, audio_operation::SetStreamVolume, audio_operation::SetStreamMuted,
                   audio_operation::ToggleDiagnostics, audio_operation::TestChannel,
                   audio_operation::ToggleMicrophoneMeter, audio_operation::SelectOutput, audio_operation::SelectInput,
                   audio_operation::RoutePlayback, audio_operation::RouteRecording> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.audio-operation";
  using SetOutputVolume = audio_operation::SetOutputVolume;
  using SetOutputMuted = audio_operation::SetOutputMuted;
  using SetInputVolume = audio_operation::SetInputVolume;
  using SetBalance = audio_operation::SetBalance;
  using SetMono = audio_operation::SetMono;
  using SetDeviceProfile = audio_operation::SetDeviceProfile;
  using RouteStream = audio_operation::RouteStream;
  using SetStreamVolume = audio_operation::SetStreamVolume;
  using SetStreamMuted = audio_operation::SetStreamMuted;
  using ToggleDiagnostics = audio_operation::ToggleDiagnostics;
  using TestChannel = audio_operation::TestChannel;
  using ToggleMicrophoneMeter = audio_operation::ToggleMicrophoneMeter;
  using SelectOutput = audio_operation::SelectOutput;
  using SelectInput = audio_operation::SelectInput;
  using RoutePlayback = audio_operation::RoutePlayback;
  using RouteRecording = audio_operation::RouteRecording;
};

// Displays; `connector` names an output, `label` fields carry choice texts.
namespace display_operation {
struct SetBrightness {
  double value = 0;
  bool operator==(const SetBrightness&) const = default;
};
struct SetAutoBrightness {
  bool enabled = false;
  bool operator==(const SetAutoBrightness&) const = default;
};
struct SetNightLight {
  bool enabled = false;
  bool operator==(const SetNightLight&) const = default;
};
struct SetNightLightTemperature {
  std::string label;
  bool operator==(const SetNightLightTemperature&) const = default;
};
struct SetScale {
  std::string label;
  bool operator==(const SetScale&) const = default;
};
struct SetPrimary {
  std::string connector;
  bool primary = false;
  bool operator==(const SetPrimary&) const = default;
};
struct SetOutputScale {
  std::string connector;
  std::string label;
  bool operator==(const SetOutputScale&) const = default;
};
struct SetPosition {
  std::string connector;
  std::string label;
  bool operator==(const SetPosition&) const = default;
};
struct SetMirror {
  std::string connector;
  std::string label;
  bool operator==(const SetMirror&) const = default;
};
struct SetModeLabel {
  std::string connector;
  std::string label;
  bool operator==(const SetModeLabel&) const = default;
};
struct SetTransformLabel {
  std::string connector;
  std::string label;
  bool operator==(const SetTransformLabel&) const = default;
};
struct SetColorProfileLabel {
  std::string connector;
  std::string label;
  bool operator==(const SetColorProfileLabel&) const = default;
};
struct SetEnabled {
  std::string connector;
  bool enabled = false;
  bool operator==(const SetEnabled&) const = default;
};
struct SetMode {
  std::string connector;
  settings_store::hardware::OutputMode mode;
  bool operator==(const SetMode&) const = default;
};
struct SetTransform {
  std::string connector;
  settings_store::hardware::OutputTransform transform = settings_store::hardware::OutputTransform::Normal;
  bool operator==(const SetTransform&) const = default;
};
struct SetHdr {
  std::string connector;
  bool enabled = false;
  bool operator==(const SetHdr&) const = default;
};
struct SetVrr {
  std::string connector;
  bool enabled = false;
  bool operator==(const SetVrr&) const = default;
};
struct SetColorProfile {
  std::string connector;
  std::optional<std::string> profile;
  bool operator==(const SetColorProfile&) const = default;
};
struct Apply {
  bool operator==(const Apply&) const = default;
};
struct Confirm {
  bool operator==(const Confirm&) const = default;
};
struct Revert {
  bool operator==(const Revert&) const = default;
};
}  // namespace display_operation

struct DisplayOperation
    : std::variant<display_operation::SetBrightness, display_operation::SetAutoBrightness,
                   display_operation::SetNightLight, display_operation::SetNightLightTemperature,
                   display_operation::SetScale, display_operation::SetPrimary, display_operation::SetOutputScale,
                   display_operation::SetPosition, display_operation::SetMirror, display_operation::SetModeLabel,
                   display_operation::SetTransformLabel, display_operation::SetColorProfileLabel,
                   display_operation::SetEnabled, display_operation::SetMode, display_operation::SetTransform,
                   display_operation::SetHdr, display_operation::SetVrr, display_operation::SetColorProfile,
                   display_operation::Apply, display_operation::Confirm, display_operation::Revert> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.display-operation";
  using SetBrightness = display_operation::SetBrightness;
  using SetAutoBrightness = display_operation::SetAutoBrightness;
  using SetNightLight = display_operation::SetNightLight;
  using SetNightLightTemperature = display_operation::SetNightLightTemperature;
  using SetScale = display_operation::SetScale;
  using SetPrimary = display_operation::SetPrimary;
  using SetOutputScale = display_operation::SetOutputScale;
  using SetPosition = display_operation::SetPosition;
  using SetMirror = display_operation::SetMirror;
  using SetModeLabel = display_operation::SetModeLabel;
  using SetTransformLabel = display_operation::SetTransformLabel;
  using SetColorProfileLabel = display_operation::SetColorProfileLabel;
  using SetEnabled = display_operation::SetEnabled;
  using SetMode = display_operation::SetMode;
  using SetTransform = display_operation::SetTransform;
  using SetHdr = display_operation::SetHdr;
  using SetVrr = display_operation::SetVrr;
  using SetColorProfile = display_operation::SetColorProfile;
  using Apply = display_operation::Apply;
  using Confirm = display_operation::Confirm;
  using Revert = display_operation::Revert;
};

// Printers; `name` is a print-queue name, `id` a print-job id.
namespace printer_operation {
struct Refresh {
  bool operator==(const Refresh&) const = default;
};
struct Discover {
  bool operator==(const Discover&) const = default;
};
struct SetDefault {
  std::string name;
  bool operator==(const SetDefault&) const = default;
};
struct SetEnabled {
  std::string name;
  bool enabled = false;
  bool operator==(const SetEnabled&) const = default;
};
struct Remove {
  std::string name;
  bool operator==(const Remove&) const = default;
};
struct CancelJob {
  std::string id;
  bool operator==(const CancelJob&) const = default;
};
struct RetryJob {
  std::string id;
  bool operator==(const RetryJob&) const = default;
};
}  // namespace printer_operation

struct PrinterOperation
    : std::variant<printer_operation::Refresh, printer_operation::Discover, printer_operation::SetDefault,
                   printer_operation::SetEnabled, printer_operation::Remove, printer_operation::CancelJob,
                   printer_operation::RetryJob> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.printer-operation";
  using Refresh = printer_operation::Refresh;
  using Discover = printer_operation::Discover;
  using SetDefault = printer_operation::SetDefault;
  using SetEnabled = printer_operation::SetEnabled;
  using Remove = printer_operation::Remove;
  using CancelJob = printer_operation::CancelJob;
  using RetryJob = printer_operation::RetryJob;
};
}  // namespace settings::actions

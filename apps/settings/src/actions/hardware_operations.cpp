// JSON descriptions of the hardware and connectivity payloads: variant names and fields in declaration order.
#include "actions/hardware_operations.h"

#include "actions/payload_json.h"

namespace settings::actions {

using orvo_json::externally_tagged;
using orvo_json::field;
using orvo_json::struct_variant;
using orvo_json::unit_variant;

constexpr auto describe_json(orvo_json::Tag<NetworkOperation>) {
  using namespace network_operation;
  return externally_tagged<NetworkOperation>(
      "NetworkOperation", unit_variant<Refresh>("Refresh"),
      struct_variant("SetWifiEnabled", field("enabled", &SetWifiEnabled::enabled)),
      struct_variant("SetWiredEnabled", field("enabled", &SetWiredEnabled::enabled)),
      struct_variant("SetAirplaneMode", field("enabled", &SetAirplaneMode::enabled)),
      struct_variant("SetHotspot", field("enabled", &SetHotspot::enabled)),
      struct_variant("SetMobileBroadband", field("enabled", &SetMobileBroadband::enabled)),
      unit_variant<RunDiagnostics>("RunDiagnostics"));
}

constexpr auto describe_json(orvo_json::Tag<BluetoothOperation>) {
  using namespace bluetooth_operation;
  return externally_tagged<BluetoothOperation>(
      "BluetoothOperation", struct_variant("SetPowered", field("enabled", &SetPowered::enabled)),
      unit_variant<StartScan>("StartScan"), unit_variant<Refresh>("Refresh"),
      struct_variant("Pair", field("path", &Pair::path)), struct_variant("Connect", field("path", &Connect::path)),
      struct_variant("Disconnect", field("path", &Disconnect::path)),
      struct_variant("Forget", field("path", &Forget::path)));
}

constexpr auto describe_json(orvo_json::Tag<AudioOperation>) {
  using namespace audio_operation;
  return externally_tagged<AudioOperation>(
      "AudioOperation", struct_variant("SetOutputVolume", field("value", &SetOutputVolume::value)),
      struct_variant("SetOutputMuted", field("muted", &SetOutputMuted::muted)),
      struct_variant("SetInputVolume", field("value", &SetInputVolume::value)),
      struct_variant("SetBalance", field("value", &SetBalance::value)),
      struct_variant("SetMono", field("enabled", &SetMono::enabled)),
      struct_variant("SetDeviceProfile", field("device_id", &SetDeviceProfile::device_id),
                     field("profile_index", &SetDeviceProfile::profile_index)),
      struct_variant("RouteStream", field("stream_id", &RouteStream::stream_id),
                     field("playback", &RouteStream::playback), field("device_id", &RouteStream::device_id)),
      struct_variant("SetStreamVolume", field("stream_id", &SetStreamVolume::stream_id),
                     field("value", &SetStreamVolume::value)),
      struct_variant("SetStreamMuted", field("stream_id", &SetStreamMuted::stream_id),
                     field("muted", &SetStreamMuted::muted)),
      unit_variant<ToggleDiagnostics>("ToggleDiagnostics"),
      struct_variant("TestChannel", field("left", &TestChannel::left)),
      unit_variant<ToggleMicrophoneMeter>("ToggleMicrophoneMeter"),
      struct_variant("SelectOutput", field("device_id", &SelectOutput::device_id)),
      struct_variant("SelectInput", field("device_id", &SelectInput::device_id)),
      struct_variant("RoutePlayback", field("stream_id", &RoutePlayback::stream_id),
                     field("device_id", &RoutePlayback::device_id)),
      struct_variant("RouteRecording", field("stream_id", &RouteRecording::stream_id),
                     field("device_id", &RouteRecording::device_id)));
}

constexpr auto describe_json(orvo_json::Tag<DisplayOperation>) {
  using namespace display_operation;
  return externally_tagged<DisplayOperation>(
      "DisplayOperation", struct_variant("SetBrightness", field("value", &SetBrightness::value)),
      struct_variant("SetAutoBrightness", field("enabled", &SetAutoBrightness::enabled)),
      struct_variant("SetNightLight", field("enabled", &SetNightLight::enabled)),
      struct_variant("SetNightLightTemperature", field("label", &SetNightLightTemperature::label)),
      struct_variant("SetScale", field("label", &SetScale::label)),
      struct_variant("SetPrimary", field("connector", &SetPrimary::connector), field("primary", &SetPrimary::primary)),
      struct_variant("SetOutputScale", field("connector", &SetOutputScale::connector),
                     field("label", &SetOutputScale::label)),
      struct_variant("SetPosition", field("connector", &SetPosition::connector), field("label", &SetPosition::label)),
      struct_variant("SetMirror", field("connector", &SetMirror::connector), field("label", &SetMirror::label)),
      struct_variant("SetModeLabel", field("connector", &SetModeLabel::connector),
                     field("label", &SetModeLabel::label)),
      struct_variant("SetTransformLabel", field("connector", &SetTransformLabel::connector),
                     field("label", &SetTransformLabel::label)),
      struct_variant("SetColorProfileLabel", field("connector", &SetColorProfileLabel::connector),
                     field("label", &SetColorProfileLabel::label)),
      struct_variant("SetEnabled", field("connector", &SetEnabled::connector), field("enabled", &SetEnabled::enabled)),
      struct_variant("SetMode", field("connector", &SetMode::connector), field("mode", &SetMode::mode)),
      struct_variant("SetTransform", field("connector", &SetTransform::connector),
                     field("transform", &SetTransform::transform)),
      struct_variant("SetHdr", field("connector", &SetHdr::connector), field("enabled", &SetHdr::enabled)),
      struct_variant("SetVrr", field("connector", &SetVrr::connector), field("enabled", &SetVrr::enabled)),
      struct_variant("SetColorProfile", field("connector", &SetColorProfile::connector),
                     field("profile", &SetColorProfile::profile)),
      unit_variant<Apply>("Apply"), unit_variant<Confirm>("Confirm"), unit_variant<Revert>("Revert"));
}

constexpr auto describe_json(orvo_json::Tag<PrinterOperation>) {
  using namespace printer_operation;
  return externally_tagged<PrinterOperation>(
      "PrinterOperation", unit_variant<Refresh>("Refresh"), unit_variant<Discover>("Discover"),
      struct_variant("SetDefault", field("name", &SetDefault::name)),
      struct_variant("SetEnabled", field("name", &SetEnabled::name), field("enabled", &SetEnabled::enabled)),
      struct_variant("Remove", field("name", &Remove::name)), struct_variant("CancelJob", field("id", &CancelJob::id)),
      struct_variant("RetryJob", field("id", &RetryJob::id)));
}
template std::string encode_payload(const NetworkOperation&);
template std::expected<NetworkOperation, orvo_json::Error> decode_payload<NetworkOperation>(std::string_view);
template std::string encode_payload(const BluetoothOperation&);
template std::expected<BluetoothOperation, orvo_json::Error> decode_payload<BluetoothOperation>(std::string_view);
template std::string encode_payload(const AudioOperation&);
template std::expected<AudioOperation, orvo_json::Error> decode_payload<AudioOperation>(std::string_view);
template std::string encode_payload(const DisplayOperation&);
template std::expected<DisplayOperation, orvo_json::Error> decode_payload<DisplayOperation>(std::string_view);
template std::string encode_payload(const PrinterOperation&);
template std::expected<PrinterOperation, orvo_json::Error> decode_payload<PrinterOperation>(std::string_view);

}  // namespace settings::actions

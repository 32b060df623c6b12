#pragma once
// Checks of a device-local operation against the live device before it is handed to its pane, so
// that an operation built from a stale screen (a stream that has ended, a queue that was removed, an
// unplugged display, a label the device does not offer) is refused at once with a short message.
// A check reads only the state its family needs, at most once, and changes nothing.
#include <expected>
#include <string>
#include <string_view>

#include "actions/hardware_operations.h"
#include "actions/system_operations.h"
#include "device_local/device_probe.h"
#include "media/audio.h"
#include "media/audio_runtime.h"
#include "settings_store/display_hardware.h"

namespace settings::device_local {

inline constexpr std::string_view kBalanceUnavailable = "Output balance is not available with this sound system.";
inline constexpr std::string_view kMonoUnavailable = "Mono output is not available with this sound system.";

// Success, or the message the operation is refused with.
using CheckResult = std::expected<void, std::string>;

// Display labels that name an output by position or mirror source are kept to this many bytes.
inline constexpr std::size_t kMaxDisplayLabelBytes = 160;

CheckResult check_operation(const actions::UpdateOperation& operation);
CheckResult check_operation(const actions::PowerOperation& operation, DeviceProbe& probe);
CheckResult check_operation(const actions::NetworkOperation& operation, DeviceProbe& probe);
CheckResult check_operation(const actions::BluetoothOperation& operation, DeviceProbe& probe);
// The audio graph is read by the caller, once, before it switches to the sound page; a graph that
// could not be read is passed as an empty one.
// Balance and mono are refused when the sound system cannot apply them (`capabilities`).
CheckResult check_operation(const actions::AudioOperation& operation, const media::audio::AudioGraph& graph,
                            const media::audio_runtime::RuntimeCapabilities& capabilities);
CheckResult check_operation(const actions::DisplayOperation& operation, DeviceProbe& probe);
CheckResult check_operation(const actions::PrinterOperation& operation, DeviceProbe& probe);

// The output with `connector` in a display snapshot: "live display capabilities are unavailable"
// when the snapshot could not be loaded, "display output is no longer available." when no output
// has that connector.
std::expected<const settings_store::OutputDescriptor*, std::string> display_output_by_connector(
    const std::expected<settings_store::DisplayHardwareSnapshot, std::string>& snapshot, std::string_view connector);

}  // namespace settings::device_local

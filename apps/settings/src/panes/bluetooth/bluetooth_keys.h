#pragma once
// The document keys of the Bluetooth pane. A device's keys are named by its key segment: the part of
// its object path after the last "/" (the whole path when there is none), with "." made "_".
#include <array>
#include <string>
#include <string_view>

namespace settings::panes::bluetooth {

inline constexpr std::string_view kEnabledKey = "bluetooth.enabled";
inline constexpr std::string_view kScanKey = "bluetooth.scan";
inline constexpr std::string_view kRefreshKey = "bluetooth.refresh";

// The one-shot requests of a device, in the order they are seeded.
inline constexpr std::array<std::string_view, 7> kDevicePresses{"pair",    "connect", "cancel", "disconnect",
                                                                "details", "rename",  "forget"};
inline constexpr std::string_view kTrustedWord = "trusted";
inline constexpr std::string_view kAliasWord = "alias";

std::string bluetooth_device_segment(std::string_view path);
// "bluetooth.device." + segment + "." + word.
std::string bluetooth_device_key(std::string_view path, std::string_view word);

}  // namespace settings::panes::bluetooth

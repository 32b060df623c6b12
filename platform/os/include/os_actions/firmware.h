#pragma once
// Device firmware through fwupd's command-line client (fwupdmgr), run by the bounded runner. The
// daemon does the work and asks polkit in the user's session when a change needs authorisation;
// nothing here raises privileges itself. Errors are texts; a missing fwupdmgr gives
// "Could not run fwupdmgr: …".
#include <cstddef>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "orvo_runtime/channel.h"

namespace os_actions::firmware {

// A device with a newer firmware release available.
struct FirmwareUpgrade {
  std::string device_id;
  std::string device_name;
  std::optional<std::string> current_version;
  std::optional<std::string> new_version;  // of the first (newest) release
  std::optional<std::string> note;         // the release's summary
  std::vector<std::string> conditions;     // what keeps it from installing now ("requires AC power")
  bool operator==(const FirmwareUpgrade&) const = default;
};

// One past installation.
struct FirmwareHistoryEntry {
  std::string device_name;
  std::string state;  // "Succeeded", "Failed", "Pending", "Needs restart", …
  std::optional<std::string> old_version;
  std::optional<std::string> new_version;
  std::optional<std::string> error;
  bool operator==(const FirmwareHistoryEntry&) const = default;
};

// What an installation reports, in this order: Started, one Progress per device, then Finished
// (every device installed) or Failed (at the first device that failed; later ones are not touched).
struct InstallStarted {
  std::size_t count = 0;
};
struct InstallProgress {
  std::string text;
  std::uint8_t percent = 0;  // of the devices done, 0..100
};
struct InstallFinished {
  bool restart_required = false;
};
struct InstallFailed {
  std::string error;
};
using InstallEvent = std::variant<InstallStarted, InstallProgress, InstallFinished, InstallFailed>;

// Downloads fresh metadata ("fwupdmgr refresh"); metadata that is already recent counts as done.
std::expected<void, std::string> refresh_firmware_metadata();

// The upgrades available now; no updatable device is an empty list.
std::expected<std::vector<FirmwareUpgrade>, std::string> get_firmware_updates();

// Past installations, newest as fwupd lists them.
std::expected<std::vector<FirmwareHistoryEntry>, std::string> get_firmware_history();

// Installs the upgrades one device at a time on a worker thread ("orvo-firmware-install") and
// returns the receiving end of its events at once. An empty list is an error.
std::expected<orvo_runtime::Receiver<InstallEvent>, std::string> start_firmware_install(
    std::vector<FirmwareUpgrade> upgrades);

// Readers of fwupdmgr's JSON output (exposed for tests and fuzzing). Unknown members are ignored; a
// member of an unexpected type counts as absent; text that is not a device listing is an error.
std::expected<std::vector<FirmwareUpgrade>, std::string> parse_firmware_updates(std::string_view json);
std::expected<std::vector<FirmwareHistoryEntry>, std::string> parse_firmware_history(std::string_view json);
// Whether any device of a "get-devices" listing waits for a restart to finish its update.
std::expected<bool, std::string> devices_need_restart(std::string_view json);

}  // namespace os_actions::firmware

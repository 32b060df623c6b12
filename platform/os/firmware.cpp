#include "os_actions/firmware.h"

#include <fmt/format.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <system_error>
#include <utility>

#include "orvo_runtime/bounded_command.h"
#include "orvo_runtime/named_thread.h"
#include "orvo_runtime/text.h"

namespace os_actions::firmware {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::ordered_json;

constexpr std::string_view kProgram = "fwupdmgr";
// fwupdmgr's own exit status for "nothing to do".
constexpr int kNothingToDo = 2;
constexpr auto kRefreshLimit = 300s;  // downloads metadata
constexpr auto kListLimit = 60s;
constexpr auto kInstallLimit = 1800s;  // per device

// Answers every question fwupdmgr could ask, and leaves the restart to the user.
constexpr std::array<std::string_view, 7> kUnattendedFlags = {
    "--assume-yes",       "--no-reboot-check", "--no-unreported-check", "--no-metadata-check",
    "--no-remote-check",  "--no-device-prompt", "--no-security-fix"};

struct Ran {
  bounded_command::Output output;
  bool nothing_to_do() const { return output.status.code == kNothingToDo; }
};

std::expected<Ran, std::string> run_fwupdmgr(std::vector<std::string> arguments, std::chrono::seconds limit) {
  auto output = bounded_command::run(kProgram, arguments, std::nullopt, bounded_command::kDefaultOutputLimit,
                                     std::chrono::duration_cast<std::chrono::milliseconds>(limit));
  if (!output) return std::unexpected(fmt::format("Could not run fwupdmgr: {}", output.error().display()));
  return Ran{std::move(*output)};
}

// The error of a command that ran and did not succeed: what it said on standard error, else how it
// ended.
std::string failure_text(std::string_view command, const bounded_command::Output& output) {
  std::string said = orvo_runtime::text::clean_error_output(output.standard_error);
  if (!said.empty()) return said;
  if (output.status.code) return fmt::format("fwupdmgr {} failed with exit status {}", command, *output.status.code);
  return fmt::format("fwupdmgr {} was ended by signal {}", command, output.status.signal.value_or(0));
}

// Runs a listing command; "nothing to do" is an empty listing (none).
std::expected<std::optional<std::string>, std::string> listing(std::string_view command) {
  auto ran = run_fwupdmgr({std::string(command), "--json"}, kListLimit);
  if (!ran) return std::unexpected(ran.error());
  if (ran->nothing_to_do()) return std::nullopt;
  if (!ran->output.status.success()) return std::unexpected(failure_text(command, ran->output));
  return orvo_runtime::text::decode_utf8_lossy(ran->output.standard_output);
}

std::optional<std::string> string_member(const Json& object, const char* key) {
  if (!object.is_object()) return std::nullopt;
  const auto found = object.find(key);
  if (found == object.end() || !found->is_string()) return std::nullopt;
  std::string text = found->get<std::string>();
  if (orvo_runtime::text::trim_unicode_whitespace(text).empty()) return std::nullopt;
  return text;
}

std::vector<std::string> string_list(const Json& object, const char* key) {
  std::vector<std::string> items;
  if (!object.is_object()) return items;
  const auto found = object.find(key);
  if (found == object.end() || !found->is_array()) return items;
  for (const auto& item : *found) {
    if (item.is_string()) items.push_back(item.get<std::string>());
  }
  return items;
}

const Json* first_release(const Json& device) {
  const auto found = device.find("Releases");
  if (found == device.end() || !found->is_array() || found->empty()) return nullptr;
  return &found->front();
}

// The devices of a listing: {"Devices": [...]} as fwupdmgr prints it, or a bare array; only objects.
std::expected<std::vector<const Json*>, std::string> devices_of(const Json& document) {
  const Json* list = &document;
  if (document.is_object()) {
    const auto found = document.find("Devices");
    if (found == document.end()) return std::vector<const Json*>{};  // fwupd leaves an empty list out
    list = &*found;
  }
  if (!list->is_array()) return std::unexpected("fwupdmgr gave a device listing in an unexpected form");
  std::vector<const Json*> devices;
  for (const auto& device : *list) {
    if (device.is_object()) devices.push_back(&device);
  }
  return devices;
}

std::expected<Json, std::string> parse_listing(std::string_view text) {
  Json document = Json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (document.is_discarded()) return std::unexpected("fwupdmgr gave a device listing that is not JSON");
  return document;
}

std::string device_name(const Json& device) { return string_member(device, "Name").value_or("Unknown device"); }

// fwupd's problem ids as conditions a user can act on.
std::string condition_text(std::string_view problem) {
  static constexpr std::array<std::pair<std::string_view, std::string_view>, 13> kConditions = {{
      {"require-ac-power", "requires AC power"},
      {"power-too-low", "requires a charged device battery"},
      {"system-power-too-low", "requires a charged system battery"},
      {"lid-is-closed", "requires the lid to be open"},
      {"unreachable", "requires the device to be reachable"},
      {"update-pending", "requires the pending update to finish first"},
      {"update-in-progress", "requires the update in progress to finish"},
      {"in-use", "requires the device not to be in use"},
      {"display-required", "requires a connected display"},
      {"missing-license", "requires a firmware license"},
      {"system-inhibit", "requires the system to allow updates"},
      {"lower-priority", "requires another device to be updated first"},
      {"is-emulated", "the device is emulated"},
  }};
  for (const auto& [id, text] : kConditions) {
    if (problem == id) return std::string(text);
  }
  std::string readable(problem);
  std::replace(readable.begin(), readable.end(), '-', ' ');
  return readable;
}

// fwupd writes the update state as a number and reads it back as a name; take either.
std::string state_text(const Json& device) {
  static constexpr std::array<std::string_view, 6> kNames = {"", "pending", "success", "failed", "needs-reboot",
                                                             "failed-transient"};
  static constexpr std::array<std::string_view, 6> kTexts = {"Unknown", "Pending", "Succeeded", "Failed",
                                                             "Needs restart", "Failed (temporary)"};
  const auto found = device.find("UpdateState");
  if (found == device.end()) return std::string(kTexts[0]);
  if (found->is_number_unsigned()) {
    const auto index = found->get<std::uint64_t>();
    return std::string(index < kTexts.size() ? kTexts[index] : kTexts[0]);
  }
  if (found->is_string()) {
    const auto& name = found->get_ref<const std::string&>();
    for (std::size_t i = 1; i < kNames.size(); ++i) {
      if (name == kNames[i]) return std::string(kTexts[i]);
    }
  }
  return std::string(kTexts[0]);
}

bool needs_restart(const Json& device) {
  const auto flags = string_list(device, "Flags");
  if (std::find(flags.begin(), flags.end(), "needs-reboot") != flags.end()) return true;
  const auto state = device.find("UpdateState");
  if (state == device.end()) return false;
  return (state->is_number_unsigned() && state->get<std::uint64_t>() == 4) ||
         (state->is_string() && state->get_ref<const std::string&>() == "needs-reboot");
}

// fwupd's device ids are hexadecimal digests; anything else is refused rather than passed on a
// command line where it could read as an option.
bool is_device_id(std::string_view id) {
  if (id.empty() || id.size() > 128 || id.front() == '-') return false;
  return std::all_of(id.begin(), id.end(), [](char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
  });
}

std::expected<void, std::string> install_one(const FirmwareUpgrade& upgrade) {
  if (!is_device_id(upgrade.device_id)) {
    return std::unexpected(fmt::format("\"{}\" is not a firmware device id", upgrade.device_id));
  }
  std::vector<std::string> arguments{"update"};
  arguments.insert(arguments.end(), kUnattendedFlags.begin(), kUnattendedFlags.end());
  arguments.push_back(upgrade.device_id);
  auto ran = run_fwupdmgr(std::move(arguments), kInstallLimit);
  if (!ran) return std::unexpected(ran.error());
  if (ran->output.status.success() || ran->nothing_to_do()) return {};
  return std::unexpected(failure_text("update", ran->output));
}

// After an installation: does any device wait for a restart? When fwupd cannot say, the user is
// asked to restart, which is harmless, rather than told the update is active when it may not be.
bool restart_required_after_install() {
  auto devices = listing("get-devices");
  if (!devices) return true;
  if (!*devices) return false;
  return devices_need_restart(**devices).value_or(true);
}

void install_all(const std::vector<FirmwareUpgrade>& upgrades, orvo_runtime::Sender<InstallEvent>& events) {
  events.send(InstallStarted{upgrades.size()});
  for (std::size_t i = 0; i < upgrades.size(); ++i) {
    const auto& upgrade = upgrades[i];
    const auto percent = static_cast<std::uint8_t>(i * 100 / upgrades.size());
    events.send(InstallProgress{fmt::format("Installing {}…", upgrade.device_name), percent});
    if (auto installed = install_one(upgrade); !installed) {
      events.send(InstallFailed{installed.error()});
      return;
    }
  }
  events.send(InstallFinished{restart_required_after_install()});
}

}  // namespace

std::expected<void, std::string> refresh_firmware_metadata() {
  auto ran = run_fwupdmgr({"refresh"}, kRefreshLimit);
  if (!ran) return std::unexpected(ran.error());
  if (ran->output.status.success() || ran->nothing_to_do()) return {};
  return std::unexpected(failure_text("refresh", ran->output));
}

std::expected<std::vector<FirmwareUpgrade>, std::string> get_firmware_updates() {
  auto text = listing("get-updates");
  if (!text) return std::unexpected(text.error());
  if (!*text) return std::vector<FirmwareUpgrade>{};
  return parse_firmware_updates(**text);
}

std::expected<std::vector<FirmwareHistoryEntry>, std::string> get_firmware_history() {
  auto text = listing("get-history");
  if (!text) return std::unexpected(text.error());
  if (!*text) return std::vector<FirmwareHistoryEntry>{};
  return parse_firmware_history(**text);
}

std::expected<orvo_runtime::Receiver<InstallEvent>, std::string> start_firmware_install(
    std::vector<FirmwareUpgrade> upgrades) {
  if (upgrades.empty()) return std::unexpected("there are no firmware upgrades to install");
  // Room for every event, so the worker never waits on a receiver that is not being read.
  auto [sender, receiver] = orvo_runtime::make_channel<InstallEvent>(upgrades.size() + 2);
  try {
    // The installation runs to its end even when nobody listens any more: stopping between devices
    // would leave the user guessing which ones were updated.
    orvo_runtime::spawn_named("orvo-firmware-install",
                               [upgrades = std::move(upgrades), events = std::move(sender)]() mutable {
                                 install_all(upgrades, events);
                               })
        .detach();
  } catch (const std::system_error& error) {
    return std::unexpected(fmt::format("the firmware installation could not start: {}", error.what()));
  }
  return std::move(receiver);
}

std::expected<std::vector<FirmwareUpgrade>, std::string> parse_firmware_updates(std::string_view json) {
  auto document = parse_listing(json);
  if (!document) return std::unexpected(document.error());
  auto devices = devices_of(*document);
  if (!devices) return std::unexpected(devices.error());
  std::vector<FirmwareUpgrade> upgrades;
  for (const Json* device : *devices) {
    auto id = string_member(*device, "DeviceId");
    if (!id) continue;  // nothing could install it
    FirmwareUpgrade upgrade;
    upgrade.device_id = std::move(*id);
    upgrade.device_name = device_name(*device);
    upgrade.current_version = string_member(*device, "Version");
    if (const Json* release = first_release(*device)) {
      upgrade.new_version = string_member(*release, "Version");
      upgrade.note = string_member(*release, "Summary");
    }
    for (const auto& problem : string_list(*device, "Problems")) upgrade.conditions.push_back(condition_text(problem));
    upgrades.push_back(std::move(upgrade));
  }
  return upgrades;
}

std::expected<std::vector<FirmwareHistoryEntry>, std::string> parse_firmware_history(std::string_view json) {
  auto document = parse_listing(json);
  if (!document) return std::unexpected(document.error());
  auto devices = devices_of(*document);
  if (!devices) return std::unexpected(devices.error());
  std::vector<FirmwareHistoryEntry> history;
  for (const Json* device : *devices) {
    FirmwareHistoryEntry entry;
    entry.device_name = device_name(*device);
    entry.state = state_text(*device);
    entry.old_version = string_member(*device, "Version");
    if (const Json* release = first_release(*device)) entry.new_version = string_member(*release, "Version");
    entry.error = string_member(*device, "UpdateError");
    history.push_back(std::move(entry));
  }
  return history;
}

std::expected<bool, std::string> devices_need_restart(std::string_view json) {
  auto document = parse_listing(json);
  if (!document) return std::unexpected(document.error());
  auto devices = devices_of(*document);
  if (!devices) return std::unexpected(devices.error());
  return std::any_of(devices->begin(), devices->end(), [](const Json* device) { return needs_restart(*device); });
}

}  // namespace os_actions::firmware

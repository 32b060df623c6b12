#include "panes/updates/update_service.h"

#include <fmt/format.h>

#include <utility>

#include "orvo_runtime/text.h"
#include "os_actions/os_release.h"
#include "panes/updates/bootc_status.h"
#include "panes/updates/update_policy.h"

namespace settings::panes::updates {
namespace {

namespace text = orvo_runtime::text;

constexpr std::size_t kJournalLineLimit = 220;

CommandResult run(const ServiceCommands& commands, std::string_view program, std::vector<std::string> arguments,
                  std::chrono::seconds limit) {
  return commands.run(program, arguments, limit);
}

// The shared outcome of a unit start, a timer change and the reboot: the runner's error, success on
// exit status zero, else the command's cleaned standard error, or `when_silent` when it said nothing.
std::expected<void, std::string> outcome(const CommandResult& result, std::optional<std::string> when_silent) {
  if (!result) return std::unexpected(result.error());
  if (result->status.success()) return {};
  std::string said = text::clean_error_output(result->standard_error);
  if (said.empty() && when_silent) return std::unexpected(std::move(*when_silent));
  return std::unexpected(std::move(said));
}

std::string trimmed_output(const bounded_command::Output& output) {
  return std::string(text::trim_unicode_whitespace(text::decode_utf8_lossy(output.standard_output)));
}

// is-enabled answers in words whatever its exit status.
AutomaticUpdateState unit_enabled(const ServiceCommands& commands, std::string_view unit) {
  const auto result = run(commands, "systemctl", {"is-enabled", std::string(unit)}, commands.limits.read);
  if (!result) return AutomaticUpdateState::Unreported;
  const std::string answer = trimmed_output(*result);
  if (answer == "enabled" || answer == "enabled-runtime") return AutomaticUpdateState::On;
  if (answer == "disabled") return AutomaticUpdateState::Off;
  return AutomaticUpdateState::Unreported;
}

// The status document, when bootc ran and succeeded.
std::optional<std::string> bootc_status_document(const ServiceCommands& commands) {
  const auto result = run(commands, "bootc", {"status", "--format", "json"}, commands.limits.read);
  if (!result || !result->status.success()) return std::nullopt;
  return text::decode_utf8_lossy(result->standard_output);
}

std::expected<void, std::string> start_unit(const ServiceCommands& commands, std::string_view unit,
                                            std::chrono::seconds limit, std::string when_silent) {
  return outcome(run(commands, "systemctl", {"start", "--wait", std::string(unit)}, limit), std::move(when_silent));
}

}  // namespace

UpdateServiceBackend::UpdateServiceBackend(ServiceCommands commands) : commands_(std::move(commands)) {}

AutomaticUpdateState UpdateServiceBackend::automatic_updates_enabled() const {
  return unit_enabled(commands_, kAutomaticUpdateTimer);
}

std::expected<void, std::string> UpdateServiceBackend::set_automatic_updates(bool enabled) const {
  const std::string verb = enabled ? "enable" : "disable";
  const auto result =
      run(commands_, "systemctl", {verb, "--now", std::string(kAutomaticUpdateTimer)}, commands_.limits.change);
  return outcome(result, fmt::format("systemctl {} {} failed", verb, kAutomaticUpdateTimer));
}

std::optional<std::string> UpdateServiceBackend::rollback_image() const {
  const auto document = bootc_status_document(commands_);
  if (!document) return std::nullopt;
  return previous_image(*document);
}

std::expected<void, std::string> UpdateServiceBackend::start_rollback() const {
  return start_unit(commands_, kDeploymentRollbackService, commands_.limits.rollback,
                    fmt::format("{0} failed; see journalctl -u {0}", kDeploymentRollbackService));
}

std::string UpdateServiceBackend::schedule_label() const {
  return std::string(updates::schedule_label(read_update_policy()));
}

std::expected<void, std::string> UpdateServiceBackend::set_schedule(std::string_view label) const {
  const auto action = schedule_action(label);
  if (!action) return std::unexpected("unknown update schedule");
  return apply_policy_action(*action);
}

bool UpdateServiceBackend::metered_downloads_allowed() const {
  return updates::metered_downloads_allowed(read_update_policy());
}

std::expected<void, std::string> UpdateServiceBackend::set_metered_downloads(bool allowed) const {
  return apply_policy_action(allowed ? "metered-allow" : "metered-avoid");
}

std::expected<void, std::string> UpdateServiceBackend::apply_policy_action(std::string_view action) const {
  if (!is_policy_action(action)) return std::unexpected("invalid update policy action");
  const std::string unit = policy_unit(action);
  return start_unit(commands_, unit, commands_.limits.change, fmt::format("{} failed", unit));
}

std::expected<void, std::string> UpdateServiceBackend::start_update_service() const {
  return start_unit(commands_, kDeploymentUpdateService, commands_.limits.update,
                    "update service failed; see its system journal");
}

std::expected<FirmwareInventory, std::string> UpdateServiceBackend::refresh_firmware() const {
  if (auto refreshed = os_actions::firmware::refresh_firmware_metadata(); !refreshed) {
    return std::unexpected(refreshed.error());
  }
  auto upgrades = os_actions::firmware::get_firmware_updates();
  if (!upgrades) return std::unexpected(upgrades.error());
  auto history = os_actions::firmware::get_firmware_history();
  if (!history) return std::unexpected(history.error());
  return FirmwareInventory{std::move(*upgrades), std::move(*history)};
}

RebootBackend::RebootBackend(ServiceCommands commands) : commands_(std::move(commands)) {}

std::expected<void, std::string> RebootBackend::reboot() const {
  // A silent failure keeps its empty text, as the system gave it.
  return outcome(run(commands_, "systemctl", {"reboot"}, commands_.limits.change), std::nullopt);
}

SystemImageSummaryFn make_system_image_summary(ServiceCommands commands) {
  return [commands = std::move(commands)] {
    SystemImageSummary summary;
    summary.pretty_name = os_actions::os_release::read_pretty_name(os_actions::os_release::NameSearch::FirstNonEmpty)
                              .value_or(std::string(kDefaultPrettyName));
    if (const auto document = bootc_status_document(commands)) summary.staged = staged_image(*document);
    return summary;
  };
}

RollbackProtectionFn make_rollback_protection(ServiceCommands commands) {
  return [commands = std::move(commands)](const std::optional<std::string>& previous) {
    RollbackProtection protection;
    if (const auto document = bootc_status_document(commands)) {
      protection.documentation_url = documentation_url(*document);
    }
    const auto journal = run(commands, "journalctl",
                             {"-u", std::string(kAutomaticUpdateService), "-n", "6", "--output=short-iso", "--no-pager"},
                             commands.limits.read);
    if (journal && journal->status.success()) protection.journal = journal_lines(journal->standard_output);
    const bool confirmation = unit_enabled(commands, kRollbackConfirmTimer) == AutomaticUpdateState::On;
    protection.summary = protection_summary(confirmation, previous);
    return protection;
  };
}

std::vector<std::string> journal_lines(std::string_view output) {
  const std::string decoded = text::decode_utf8_lossy(output);
  std::string_view rest = decoded;
  std::vector<std::string> lines;
  while (!rest.empty()) {
    const auto end = rest.find('\n');
    const std::string_view raw = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    const std::string visible = text::drop_control_characters(raw, text::ControlFilter::DropAll);
    const std::string_view line = text::first_characters(visible, kJournalLineLimit);
    if (text::trim_unicode_whitespace(line).empty()) continue;
    if (line.find("-- No entries --") != std::string_view::npos) continue;
    lines.emplace_back(line);
  }
  return lines;
}

std::string protection_summary(bool confirmation_active, const std::optional<std::string>& previous_image) {
  if (confirmation_active && previous_image) return fmt::format("Protected · fallback available: {}", *previous_image);
  if (confirmation_active) return "Boot confirmation active · no previous image retained yet";
  if (previous_image) {
    return fmt::format("Fallback available ({}); automatic confirmation not reported", *previous_image);
  }
  return "Rollback protection state is not reported";
}

}  // namespace settings::panes::updates

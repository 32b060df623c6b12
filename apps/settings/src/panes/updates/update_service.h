#pragma once
// The service layer under the Updates pane: systemd units started and queried through systemctl,
// the bootc status document, the update journal, the update-policy file and the firmware service.
// Nothing here keeps state: every call reads afresh. The backends are plain values, shared between
// threads by std::shared_ptr<const …>, and every operation may run on any thread at once. Each one
// blocks for up to its command's time limit.
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os_actions/firmware.h"
#include "panes/updates/service_commands.h"

namespace settings::panes::updates {

enum class AutomaticUpdateState { Off, On, Unreported };

struct SystemImageSummary {
  std::string pretty_name;            // never empty
  std::optional<std::string> staged;  // what boots next, when an update is staged
};

struct RollbackProtection {
  std::vector<std::string> journal;  // recent lines of the update service's journal
  std::optional<std::string> documentation_url;
  std::string summary;  // one sentence
};

struct FirmwareInventory {
  std::vector<os_actions::firmware::FirmwareUpgrade> upgrades;
  std::vector<os_actions::firmware::FirmwareHistoryEntry> history;
};

inline constexpr std::string_view kAutomaticUpdateTimer = "bootc-fetch-apply-updates.timer";
inline constexpr std::string_view kAutomaticUpdateService = "bootc-fetch-apply-updates.service";
inline constexpr std::string_view kDeploymentUpdateService = "orvo-deployment-update.service";
inline constexpr std::string_view kDeploymentRollbackService = "orvo-deployment-rollback.service";
inline constexpr std::string_view kRollbackConfirmTimer = "orvo-rollback-confirm.timer";
inline constexpr std::string_view kDefaultPrettyName = "Orvo (Fedora bootc)";

class UpdateServiceBackend {
 public:
  explicit UpdateServiceBackend(ServiceCommands commands = {});

  // Whether the automatic-update timer is enabled; unreported when systemctl cannot say.
  AutomaticUpdateState automatic_updates_enabled() const;
  std::expected<void, std::string> set_automatic_updates(bool enabled) const;
  // The image a rollback would boot, when there is one.
  std::optional<std::string> rollback_image() const;
  // Selects the previous image for the next boot.
  std::expected<void, std::string> start_rollback() const;
  std::string schedule_label() const;
  std::expected<void, std::string> set_schedule(std::string_view label) const;
  bool metered_downloads_allowed() const;
  std::expected<void, std::string> set_metered_downloads(bool allowed) const;
  // Fetches and stages an update now.
  std::expected<void, std::string> start_update_service() const;
  // Refreshes the firmware metadata, then lists the upgrades and the history; the first error ends it.
  std::expected<FirmwareInventory, std::string> refresh_firmware() const;

  // Asks the policy unit to apply one of the named policy actions; any other text fails with
  // "invalid update policy action" and runs nothing.
  std::expected<void, std::string> apply_policy_action(std::string_view action) const;

 private:
  ServiceCommands commands_;
};

class RebootBackend {
 public:
  explicit RebootBackend(ServiceCommands commands = {});
  std::expected<void, std::string> reboot() const;

 private:
  ServiceCommands commands_;
};

// The operating system's name and what is staged for the next boot.
using SystemImageSummaryFn = std::function<SystemImageSummary()>;
// How well this machine is protected against a bad update, given the previous image (as
// `rollback_image` returned it).
using RollbackProtectionFn = std::function<RollbackProtection(const std::optional<std::string>& previous_image)>;

SystemImageSummaryFn make_system_image_summary(ServiceCommands commands = {});
RollbackProtectionFn make_rollback_protection(ServiceCommands commands = {});

// The journal lines worth showing from journalctl's output: control characters dropped, at most 220
// characters each, blank lines and "-- No entries --" left out.
std::vector<std::string> journal_lines(std::string_view output);

// The protection sentence from whether boot confirmation is active and the previous image.
std::string protection_summary(bool confirmation_active, const std::optional<std::string>& previous_image);

}  // namespace settings::panes::updates

#pragma once
// The Device Privacy & Security page: the privacy hardware and who uses it now, the device's
// security state, and a read-only overview of the grants apps hold per workspace. It changes
// nothing; its one control opens the current workspace's own access settings. Everything it shows
// is read once per visit on a worker ("settings-privacy"); until then the page shows its cards with
// "Checking…" in place of the values. The privacy hardware and its use are read again on such a
// worker every two seconds while the page is shown.
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "orvo_ui/widget.h"
#include "os_actions/privacy.h"
#include "panes/gathered_page.h"
#include "panes/permissions/device_security.h"
#include "panes/permissions/workspace_grants.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::permissions {

inline constexpr std::string_view kPrivacyThread = "settings-privacy";
inline constexpr std::string_view kOpenWorkspacePrivacyButton = "open-workspace-privacy";
// The workspace settings' access page.
inline constexpr std::uint8_t kWorkspaceAccessPage = 2;

struct PermissionsReading {
  os_actions::privacy::PrivacyStatus privacy;
  DeviceSecurity security;
  std::expected<GrantOverview, std::string> grants;
};

using PermissionsPage = GatheredPage<PermissionsReading>;

// "Available", "Blocked by software", "Blocked by hardware", else by presence.
std::string_view kill_switch_label(os_actions::privacy::KillSwitch state, bool present);
std::string_view microphone_mute_label(os_actions::privacy::MicrophoneMute mute);

// Everything the page shows, read from the machine and the user's state file.
PermissionsReading read_permissions();

// The page's view of a reading; placeholders for none.
std::unique_ptr<orvo_ui::Widget> permissions_view(const PermissionsReading* reading);

// The reading with the privacy hardware and its use read again; none when they did not change.
std::optional<PermissionsReading> refresh_privacy(const PermissionsReading& shown);

std::unique_ptr<PermissionsPage> make_permissions_page(
    std::function<PermissionsReading()> read, StartWorker start_worker,
    std::function<std::optional<PermissionsReading>(const PermissionsReading&)> refresh = nullptr);

// The pane factory's builder.
std::unique_ptr<orvo_ui::Widget> build_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::permissions

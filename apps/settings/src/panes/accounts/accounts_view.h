#pragma once
// The pieces of the accounts page that depend on nothing but their inputs: a row's badge and the
// age of its last successful sync.
#include <cstdint>
#include <optional>
#include <string>

#include "accounts/sync_status.h"
#include "orvo_ui/geometry.h"
#include "orvo_ui/theme.h"

namespace settings::panes::accounts {

struct StatusBadge {
  std::string label;
  orvo_ui::Color color;
};

// "Example" in sample mode; "Disabled" for a disabled account whatever its health; else by health.
StatusBadge status_badge(bool sample_mode, bool enabled, const ::accounts::status::AccountSyncStatus* status,
                         const orvo_ui::Theme& theme);

// "never completed" without a success; else "just now", "{} min ago", "{} h ago" or "{} d ago" by
// whole units of the time since `last_success_unix` (a time in the future counts as now).
std::string sync_age(std::int64_t now_unix, std::optional<std::int64_t> last_success_unix);

// The row's sync line.
std::string sync_line(std::int64_t now_unix, const ::accounts::status::AccountSyncStatus* status);

}  // namespace settings::panes::accounts

#pragma once
// The out-of-sandbox grants that apps hold, per workspace, as the device mesh state file records
// them: only grants to an app principal of the kinds a person can read at a glance (files, camera,
// microphone, screen sharing, remote control, network). Restrictions, grants to people, roles or
// agents, and other scopes are not shown.
#include <cstddef>
#include <ctime>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "collab_types/caps.h"
#include "orvo_ui/geometry.h"

namespace settings::panes::permissions {

enum class GrantKind { Files, Camera, Microphone, ScreenSharing, RemoteControl, Network };

std::string_view kind_label(GrantKind kind);
// The badge colour of a kind: one fixed colour of the theme each.
orvo_ui::Color kind_color(GrantKind kind);

struct GrantEntry {
  GrantKind kind = GrantKind::Files;
  std::string detail;
  std::string expiry;
  bool operator==(const GrantEntry&) const = default;
};

struct AppGrants {
  std::string application;
  std::vector<GrantEntry> grants;  // by kind label, then detail
  bool operator==(const AppGrants&) const = default;
};

struct WorkspaceGrants {
  std::string label;            // "Workspace" for a blank name
  std::vector<AppGrants> apps;  // by application name
  bool operator==(const WorkspaceGrants&) const = default;
};

// The workspaces holding at least one shown grant, in the document's order.
struct GrantOverview {
  std::vector<WorkspaceGrants> workspaces;
  std::size_t grant_count() const;
};

// "read-only" for reading and commenting, "read & write" for the verbs that change things.
std::string_view access_mode(collab_types::caps::Verb verb);

// "No expiry", "Until {local date and time}", "Until you sign out" or "One use".
std::string expiry_text(const collab_types::caps::Expiry& expiry, bool h24);

// The entry a grant shows as, none for one that is not shown.
std::optional<GrantEntry> grant_entry(const collab_types::caps::CapOverride& grant, bool h24);

GrantOverview grant_overview(const collab_types::caps::WorkspaceCapabilityDocument& document, bool h24);

// "{n} grant{s} across {m} workspace{s}".
std::string grant_summary(const GrantOverview& overview);

// The state file read and decoded; an error text when it cannot be (a missing file included: the
// platform's sync service writes it as soon as the session has started).
std::expected<GrantOverview, std::string> load_grant_overview(const std::optional<std::filesystem::path>& state_file,
                                                              bool h24);

}  // namespace settings::panes::permissions

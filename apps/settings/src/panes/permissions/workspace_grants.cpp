#include "panes/permissions/workspace_grants.h"

#include <algorithm>
#include <map>
#include <tuple>
#include <variant>

#include <fmt/format.h>

#include "orvo_runtime/capped_read.h"
#include "orvo_runtime/overloaded.h"
#include "orvo_runtime/text.h"
#include "orvo_ui/theme.h"
#include "os_actions/time.h"

namespace settings::panes::permissions {
namespace {

namespace caps = collab_types::caps;

// The state file holds every workspace of the user; a file past this is not one we wrote.
constexpr std::size_t kStateFileCap = 8 * 1024 * 1024;

std::optional<GrantEntry> device_entry(std::string_view device) {
  if (device == "camera") return GrantEntry{GrantKind::Camera, "Capture video", {}};
  if (device == "microphone") return GrantEntry{GrantKind::Microphone, "Capture audio", {}};
  if (device == "screencast") return GrantEntry{GrantKind::ScreenSharing, "Stream this workspace", {}};
  if (device == "remote-desktop") return GrantEntry{GrantKind::RemoteControl, "Inject pointer & keyboard", {}};
  return std::nullopt;
}

// The app a grant is given to; none for any other subject.
const std::string* granted_app(const caps::CapOverride& grant) {
  const auto* principal = std::get_if<caps::subject::Principal>(&grant.subject);
  if (!principal) return nullptr;
  const auto* app = std::get_if<caps::principal::App>(&principal->principal);
  return app ? &app->id : nullptr;
}

}  // namespace

std::string_view kind_label(GrantKind kind) {
  switch (kind) {
    case GrantKind::Files: return "Files";
    case GrantKind::Camera: return "Camera";
    case GrantKind::Microphone: return "Microphone";
    case GrantKind::ScreenSharing: return "Screen sharing";
    case GrantKind::RemoteControl: return "Remote control";
    case GrantKind::Network: return "Network";
  }
  return "Files";
}

orvo_ui::Color kind_color(GrantKind kind) {
  static const orvo_ui::Theme dark = orvo_ui::Theme::dark();
  switch (kind) {
    case GrantKind::Files: return dark.accent;
    case GrantKind::Camera:
    case GrantKind::Microphone: return dark.warning;
    case GrantKind::ScreenSharing:
    case GrantKind::RemoteControl: return dark.danger;
    case GrantKind::Network: return dark.success;
  }
  return dark.accent;
}

std::size_t GrantOverview::grant_count() const {
  std::size_t count = 0;
  for (const auto& workspace : workspaces) {
    for (const auto& app : workspace.apps) count += app.grants.size();
  }
  return count;
}

std::string_view access_mode(caps::Verb verb) {
  return verb == caps::Verb::Read || verb == caps::Verb::Comment ? "read-only" : "read & write";
}

std::string expiry_text(const caps::Expiry& expiry, bool h24) {
  return std::visit(orvo_runtime::Overloaded{
                        [](const caps::expiry::Never&) { return std::string("No expiry"); },
                        [h24](const caps::expiry::AtUnix& at) {
                          const auto moment = static_cast<std::time_t>(at.seconds);
                          auto date = os_actions::time::format_date(moment);
                          auto clock = os_actions::time::format_clock(moment, h24);
                          // A moment the C library cannot place still shows as a number.
                          if (!date || !clock) return fmt::format("Until {} (Unix time)", at.seconds);
                          return fmt::format("Until {} {}", *date, *clock);
                        },
                        [](const caps::expiry::EndOfSession&) { return std::string("Until you sign out"); },
                        [](const caps::expiry::AfterUse&) { return std::string("One use"); },
                    },
                    expiry);
}

std::optional<GrantEntry> grant_entry(const caps::CapOverride& grant, bool h24) {
  if (grant.effect != caps::Effect::Grant || !granted_app(grant)) return std::nullopt;
  auto entry = std::visit(
      orvo_runtime::Overloaded{
          [&](const caps::scope::FsPath& path) -> std::optional<GrantEntry> {
            return GrantEntry{GrantKind::Files, fmt::format("{}  \u00b7  {}", path.path, access_mode(grant.verb)), {}};
          },
          [](const caps::scope::Device& device) { return device_entry(device.device_id); },
          [](const caps::scope::NetHost& host) -> std::optional<GrantEntry> {
            return GrantEntry{GrantKind::Network, host.host == "*" ? std::string("Any host") : host.host, {}};
          },
          [](const auto&) -> std::optional<GrantEntry> { return std::nullopt; },
      },
      grant.scope);
  if (entry) entry->expiry = expiry_text(grant.expiry, h24);
  return entry;
}

GrantOverview grant_overview(const caps::WorkspaceCapabilityDocument& document, bool h24) {
  GrantOverview overview;
  for (const auto& workspace : document.workspaces) {
    std::map<std::string, std::vector<GrantEntry>> by_app;
    for (const auto& grant : workspace.capabilities) {
      if (auto entry = grant_entry(grant, h24)) by_app[*granted_app(grant)].push_back(std::move(*entry));
    }
    if (by_app.empty()) continue;
    const auto name = orvo_runtime::text::trim_unicode_whitespace(workspace.name);
    WorkspaceGrants shown{name.empty() ? std::string("Workspace") : std::string(name), {}};
    for (auto& [application, grants] : by_app) {
      std::stable_sort(grants.begin(), grants.end(), [](const GrantEntry& a, const GrantEntry& b) {
        return std::tuple(kind_label(a.kind), std::string_view(a.detail)) <
               std::tuple(kind_label(b.kind), std::string_view(b.detail));
      });
      shown.apps.push_back(AppGrants{application, std::move(grants)});
    }
    overview.workspaces.push_back(std::move(shown));
  }
  return overview;
}

std::string grant_summary(const GrantOverview& overview) {
  const std::size_t grants = overview.grant_count();
  const std::size_t workspaces = overview.workspaces.size();
  return fmt::format("{} grant{} across {} workspace{}", grants, grants == 1 ? "" : "s", workspaces,
                     workspaces == 1 ? "" : "s");
}

std::expected<GrantOverview, std::string> load_grant_overview(const std::optional<std::filesystem::path>& state_file,
                                                              bool h24) {
  if (!state_file) return std::unexpected(std::string("no configuration directory"));
  auto text = orvo_runtime::read_capped(*state_file, kStateFileCap);
  if (!text) return std::unexpected(text.error().text);
  auto document = caps::decode_capability_document(*text);
  if (!document) return std::unexpected(document.error());
  return grant_overview(*document, h24);
}

}  // namespace settings::panes::permissions

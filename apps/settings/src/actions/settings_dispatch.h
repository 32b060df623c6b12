#pragma once
// Carrying a settings action out on a pane's settings document through the toolkit's action host,
// which runs the action's own document operation and keeps the record of the dispatch.
#include <expected>
#include <optional>
#include <string_view>

#include "actions/settings_action.h"
#include "orvo_actions/context.h"
#include "orvo_actions/encoded_action.h"
#include "orvo_ui/action_host.h"

namespace orvo_doc {
class Document;
}

namespace settings::actions {

inline constexpr std::string_view kSettingsAppId = "org.orvo.Settings";
inline constexpr std::string_view kSettingsAppName = "Settings";

// Dispatches through `host` and logs a failure as the warning "action dispatch failed"; nothing is
// returned.
void dispatch_with_context(orvo_ui::ActionHost& host, orvo_doc::Document& document, std::string_view action_namespace,
                           const SettingsAction& action, std::optional<orvo_actions::ActionContext> context);

// Encodes the action and carries it out through `host` (orvo_ui::ActionHost::dispatch_typed); on
// success the host records the heads and the action. A refusal or failure leaves the host as it was.
std::expected<void, orvo_actions::ActionError> dispatch_typed_action(
    orvo_ui::ActionHost& host, orvo_doc::Document& document, std::string_view action_namespace,
    const SettingsAction& action, std::optional<orvo_actions::ActionContext> context);

// The context of a settings action: titled after its variant ("Set setting"), "Update" when it has none.
orvo_actions::ActionContext context_for_typed_action(std::string_view app_id, std::string_view app_name,
                                                     const SettingsAction& action);

// The source context of a preference pane with pending changes; none when nothing is pending.
std::optional<orvo_actions::ActionContext> preference_pane_source(bool pending, std::string_view pane_id,
                                                                  std::string_view pane_label, std::string_view title);

}  // namespace settings::actions

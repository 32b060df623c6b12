#pragma once
// Carrying a settings action out on a pane's settings document: the executor runs the action's own
// document operation, and the host remembers the heads before its first change and the last action.
#include <expected>
#include <optional>
#include <string_view>

#include "actions/settings_action.h"
#include "orvo_actions/context.h"
#include "orvo_actions/encoded_action.h"
#include "orvo_actions/typed_action_history.h"

namespace orvo_doc {
class Document;
}

namespace settings::actions {

inline constexpr std::string_view kSettingsAppId = "org.orvo.Settings";
inline constexpr std::string_view kSettingsAppName = "Settings";

// What a pane keeps of its dispatches.
struct ActionHost {
  // The document's heads before the first successful dispatch; set once.
  std::optional<orvo_actions::Heads> first_heads;
  // The encoded action of the latest successful dispatch.
  std::optional<orvo_actions::EncodedAction> last_action;
  // Added to every dispatch: a given context is enriched by it, a missing one replaced by it.
  std::optional<orvo_actions::ActionContext> default_context;

  // Dispatches and logs a failure as the warning "action dispatch failed"; nothing is returned.
  void dispatch_with_context(orvo_doc::Document& document, std::string_view action_namespace,
                             const SettingsAction& action, std::optional<orvo_actions::ActionContext> context);
};

// Encodes the action, runs it through the executor and, on success, records the heads and the action
// in the host. A refusal or failure leaves the host as it was.
std::expected<void, orvo_actions::ActionError> dispatch_typed_action(
    ActionHost& host, orvo_doc::Document& document, std::string_view action_namespace, const SettingsAction& action,
    std::optional<orvo_actions::ActionContext> context);

// The context a dispatch carries: the given one enriched by the host's default, the default alone
// when none is given, the given one (possibly none) when the host has no default.
std::optional<orvo_actions::ActionContext> dispatch_context(
    const std::optional<orvo_actions::ActionContext>& host_default, std::optional<orvo_actions::ActionContext> given);

// The context of a settings action: titled after its variant ("Set setting"), "Update" when it has none.
orvo_actions::ActionContext context_for_typed_action(std::string_view app_id, std::string_view app_name,
                                                     const SettingsAction& action);

// The source context of a preference pane with pending changes; none when nothing is pending.
std::optional<orvo_actions::ActionContext> preference_pane_source(bool pending, std::string_view pane_id,
                                                                  std::string_view pane_label, std::string_view title);

}  // namespace settings::actions

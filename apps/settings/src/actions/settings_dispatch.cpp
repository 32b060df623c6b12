#include "actions/settings_dispatch.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "actions/operation_payload.h"
#include "actions/register.h"
#include "orvo_doc/document.h"

namespace settings::actions {

void dispatch_with_context(orvo_ui::ActionHost& host, orvo_doc::Document& document, std::string_view action_namespace,
                           const SettingsAction& action, std::optional<orvo_actions::ActionContext> context) {
  host.dispatch_with_context(document, SettingsTypedAction(action),
                             {std::string(action_namespace), encode_payload(action)}, std::move(context));
}

std::expected<void, orvo_actions::ActionError> dispatch_typed_action(
    orvo_ui::ActionHost& host, orvo_doc::Document& document, std::string_view action_namespace,
    const SettingsAction& action, std::optional<orvo_actions::ActionContext> context) {
  return host.dispatch_typed(document, SettingsTypedAction(action),
                             {std::string(action_namespace), encode_payload(action)}, std::move(context));
}

orvo_actions::ActionContext context_for_typed_action(std::string_view app_id, std::string_view app_name,
                                                     const SettingsAction& action) {
  const nlohmann::ordered_json value = settings_action_value(action);
  std::string identifier;
  if (value.is_string()) {
    identifier = value.get<std::string>();
  } else if (value.is_object() && value.size() == 1) {
    identifier = value.begin().key();
  }
  orvo_actions::ActionContext context;
  context.title = identifier.empty() ? std::string("Update") : orvo_actions::humanize_identifier(identifier);
  context.application = orvo_actions::ActionApplication{std::string(app_id), std::string(app_name)};
  return context;
}

std::optional<orvo_actions::ActionContext> preference_pane_source(bool pending, std::string_view pane_id,
                                                                  std::string_view pane_label,
                                                                  std::string_view title) {
  if (!pending) return std::nullopt;
  orvo_actions::ActionContext context;
  context.title = std::string(title);
  context.source = orvo_actions::ActionSource{"settings.preference:" + std::string(pane_id),
                                              "settings.preference-pane", std::string(pane_label)};
  context.application = orvo_actions::ActionApplication{std::string(kSettingsAppId), std::string(kSettingsAppName)};
  return context;
}

}  // namespace settings::actions

#include "actions/settings_dispatch.h"

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "actions/operation_payload.h"
#include "actions/register.h"
#include "orvo_actions/executor.h"
#include "orvo_doc/document.h"
#include "orvo_log/log.h"

namespace settings::actions {

void ActionHost::dispatch_with_context(orvo_doc::Document& document, std::string_view action_namespace,
                                       const SettingsAction& action,
                                       std::optional<orvo_actions::ActionContext> context) {
  auto dispatched = dispatch_typed_action(*this, document, action_namespace, action, std::move(context));
  if (!dispatched) {
    orvo_log::warn("action dispatch failed",
                   {{"error", dispatched.error().display()}, {"namespace", std::string(action_namespace)}});
  }
}

std::expected<void, orvo_actions::ActionError> dispatch_typed_action(
    ActionHost& host, orvo_doc::Document& document, std::string_view action_namespace, const SettingsAction& action,
    std::optional<orvo_actions::ActionContext> context) {
  orvo_actions::EncodedAction encoded{std::string(action_namespace), encode_payload(action)};

  const std::optional<orvo_actions::Heads> recorded = orvo_actions::typed_action_before(document);
  orvo_actions::Heads before = recorded ? *recorded : document.get_heads();
  const auto& actor_bytes = document.actor_id().to_bytes();
  std::vector<std::uint8_t> actor(actor_bytes.begin(), actor_bytes.end());

  context = dispatch_context(host.default_context, std::move(context));

  const SettingsTypedAction typed(action);
  const orvo_actions::LocalTransport transport{};
  auto receipt = context ? orvo_actions::dispatch_by_with_context(document, typed, encoded, transport,
                                                                  std::move(actor), std::move(*context))
                         : orvo_actions::dispatch_by(document, typed, encoded, transport, std::move(actor));
  if (!receipt) return std::unexpected(std::move(receipt.error()));

  if (recorded) orvo_actions::report_typed_action(document, *recorded, document.get_heads());
  if (!host.first_heads) host.first_heads = std::move(before);
  host.last_action = std::move(encoded);
  return {};
}

std::optional<orvo_actions::ActionContext> dispatch_context(
    const std::optional<orvo_actions::ActionContext>& host_default, std::optional<orvo_actions::ActionContext> given) {
  if (!host_default) return given;
  if (!given) return host_default;
  return given->enriched_by(*host_default);
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

#include "actions/register.h"

#include <memory>
#include <string>

#include "actions/operation_payload.h"
#include "orvo_json/error.h"
#include "actions/settings_action.h"
#include "orvo_actions/registry.h"

namespace settings::actions {
namespace {

// Holds its own copy of the namespace it was registered under, for its errors.
class SettingsActionHandler final : public orvo_actions::NamespaceHandler {
 public:
  explicit SettingsActionHandler(std::string action_namespace) : namespace_(std::move(action_namespace)) {}

  std::expected<std::unique_ptr<orvo_actions::TypedAction>, orvo_actions::ActionError> decode(
      std::string_view payload) const override {
    auto decoded = decode_settings_action(namespace_, payload);
    if (!decoded) return std::unexpected(decoded.error());
    return std::make_unique<SettingsTypedAction>(std::move(*decoded));
  }

 private:
  std::string namespace_;
};

}  // namespace

SettingsTypedAction::SettingsTypedAction(SettingsAction action) : action_(std::move(action)) {}

std::string SettingsTypedAction::debug() const { return encode_payload(action_); }

std::expected<void, orvo_actions::ActionError> SettingsTypedAction::apply_to_document(
    orvo_doc::Document& document) const {
  return action_.apply_to_document(document);
}

std::expected<SettingsAction, orvo_actions::ActionError> decode_settings_action(std::string_view action_namespace,
                                                                         std::string_view payload) {
  // The strict reader refuses nesting deeper than 128 levels.
  auto decoded = decode_payload<SettingsAction>(payload);
  if (!decoded) {
    return std::unexpected(
        orvo_actions::ActionError::decoding(std::string(action_namespace), decoded.error().text()));
  }
  return std::move(*decoded);
}

void register_action_namespace(orvo_actions::ActionRegistry& registry, std::string_view action_namespace) {
  registry.register_namespace(std::string(action_namespace),
                              std::make_unique<SettingsActionHandler>(std::string(action_namespace)));
}

void register_settings_action(orvo_actions::ActionRegistry& registry) {
  register_action_namespace(registry, kSettingsActionNamespace);
}

}  // namespace settings::actions

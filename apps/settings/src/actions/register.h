#pragma once
#include <expected>
#include <string>
#include <string_view>

#include "actions/settings_action.h"
#include "orvo_actions/executor.h"

namespace orvo_actions {
class ActionRegistry;
}

namespace settings::actions {

inline constexpr std::string_view kSettingsActionNamespace = SettingsAction::kNamespace;

// A decoded "settings.action" as the executor runs it.
class SettingsTypedAction final : public orvo_actions::TypedAction {
 public:
  explicit SettingsTypedAction(SettingsAction action);
  std::string debug() const override;
  std::expected<void, orvo_actions::ActionError> apply_to_document(orvo_doc::Document& document) const override;
  const SettingsAction& action() const { return action_; }

 private:
  SettingsAction action_;
};

// Reads a settings action payload with the strict JSON reader (nesting at most 128 levels deep); a
// failure is a decoding error of the given namespace holding the JSON error.
std::expected<SettingsAction, orvo_actions::ActionError> decode_settings_action(std::string_view action_namespace,
                                                                                std::string_view payload);

// Puts under the namespace a decoder of settings actions that owns a copy of the name; a decoder
// already there is replaced.
void register_action_namespace(orvo_actions::ActionRegistry& registry, std::string_view action_namespace);

// Puts the "settings.action" handler into the registry; a handler already there is replaced.
void register_settings_action(orvo_actions::ActionRegistry& registry);

}  // namespace settings::actions

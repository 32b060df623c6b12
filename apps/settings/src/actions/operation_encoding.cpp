#include "actions/operation_encoding.h"

namespace settings::actions {

orvo_actions::EncodedAction encode_settings_action(const SettingsAction& action) {
  return {std::string(SettingsAction::kNamespace), encode_payload(action)};
}

}  // namespace settings::actions

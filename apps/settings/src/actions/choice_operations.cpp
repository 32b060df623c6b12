#include "actions/choice_operations.h"

namespace settings::actions {

InputOperation acceleration_profile_choice(std::string label) {
  return InputOperation::SetAccelerationProfile{std::move(label)};
}

InputOperation compose_key_choice(std::string label) { return InputOperation::SetComposeKey{std::move(label)}; }

InputOperation active_source_choice(std::string label) { return InputOperation::SetActiveSource{std::move(label)}; }

DeviceMeshOperation role_choice(std::string label) { return DeviceMeshOperation::SetRole{std::move(label)}; }

DeviceMeshOperation replication_choice(std::string label) {
  return DeviceMeshOperation::SetReplication{std::move(label)};
}

}  // namespace settings::actions

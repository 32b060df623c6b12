#pragma once
// Operations built from the label a user chose in a list of choices.
#include <string>

#include "actions/account_operations.h"
#include "actions/system_operations.h"

namespace settings::actions {

// "acceleration-profile": Set pointer acceleration profile.
InputOperation acceleration_profile_choice(std::string label);
// "compose-key": Set compose key.
InputOperation compose_key_choice(std::string label);
// "active-source": Set active keyboard input source.
InputOperation active_source_choice(std::string label);
// "role": Set device role on this device.
DeviceMeshOperation role_choice(std::string label);
// "replication": Set local replication policy.
DeviceMeshOperation replication_choice(std::string label);

}  // namespace settings::actions

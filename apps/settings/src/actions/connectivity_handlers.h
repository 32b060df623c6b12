#pragma once
// Argument handlers of Network, Bluetooth, Devices & Sync and the model providers.
#include <cstdint>
#include <string>

#include "orvo_actions/action_constructors.h"

namespace settings::actions {

// "value" as a boolean: NetworkOperation::SetWifiEnabled {enabled} ("wifi").
orvo_actions::ArgumentHandler wifi_enabled_handler();
// "value" as a boolean: BluetoothOperation::SetPowered {enabled} ("bluetooth").
orvo_actions::ArgumentHandler bluetooth_powered_handler();

enum class DeviceMeshChoice : std::uint8_t { Role, Replication };

// "value" as a boolean: DeviceMeshOperation::SetService {service, enabled} for the captured service.
orvo_actions::ArgumentHandler device_mesh_service_handler(std::string service);
// "value" as a boolean: SetWorkspace {id, enabled} for the captured workspace ("set-available").
orvo_actions::ArgumentHandler device_mesh_workspace_handler(std::uint64_t workspace_id);
// "choice": SetRole {role} or SetReplication {replication}.
orvo_actions::ArgumentHandler device_mesh_choice_handler(DeviceMeshChoice which);

// "label", "endpoint" and "model" as texts: AgentProviderOperation::SetDetails for the captured
// provider; an absent label or endpoint is empty, an absent model stays absent ("set-details").
orvo_actions::ArgumentHandler agent_provider_details_handler(std::string provider_id);

}  // namespace settings::actions

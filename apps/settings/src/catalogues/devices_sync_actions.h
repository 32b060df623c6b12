#pragma once
// The Devices & Sync catalogue's builders and the bindings of the device-mesh pane's controls.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/connectivity_handlers.h"
#include "catalogues/queries/mesh_model_queries.h"
#include "orvo_actions/action_spec.h"
#include "orvo_actions/binding.h"
#include "orvo_actions/resource.h"

namespace settings::actions {

inline constexpr std::string_view kWorkspaceResourcePrefix = "settings.device-mesh-workspace:";
inline constexpr std::string_view kWorkspaceResourceKind = "settings.device-mesh-workspace";

// A choice of three values sent as SetRole or SetReplication; "role" is destructive.
std::optional<orvo_actions::ActionSpec> device_mesh_choice_action(std::string id, std::string title,
                                                                  std::vector<std::string> values,
                                                                  DeviceMeshChoice which);
// An on/off switch of one local service, sent as SetService {service, enabled}.
std::optional<orvo_actions::ActionSpec> device_mesh_service_action(std::string id, std::string title,
                                                                   std::string service);

// The first child whose id is "settings.device-mesh-workspace:<id>".
std::optional<orvo_actions::Resource> find_workspace_resource(std::vector<orvo_actions::Resource> children,
                                                              std::uint64_t workspace_id);

// Bindings of the section's own actions; none for a name the section does not publish.
std::optional<orvo_actions::ActionBinding<bool>> device_mesh_toggle_binding(std::string_view action);
std::optional<orvo_actions::ActionBinding<std::string>> device_mesh_choice_binding(std::string_view action);
// "set-available" of one workspace; none when the workspace is not in the list.
std::optional<orvo_actions::ActionBinding<bool>> workspace_available_binding(
    std::uint64_t workspace_id, const MeshModelQueries& queries = system_mesh_model_queries());

}  // namespace settings::actions

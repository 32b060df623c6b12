// Devices & Sync: the device's role and replication policy, its local services, the Continuity
// facets it allows and, per workspace it keeps, whether the workspace is available here.
#include <array>
#include <utility>

#include "actions/contracts.h"
#include "actions/control_bindings.h"
#include "actions/operation_encoding.h"
#include "catalogues/action_builders.h"
#include "catalogues/devices_sync_actions.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"
#include "orvo_actions/action_param.h"
#include "orvo_actions/action_constructors.h"

namespace settings::actions {

namespace {

using settings_app::SettingsSection;

struct ServiceEntry {
  std::string_view id;
  std::string_view title;
  std::string_view service;
};

constexpr std::array<ServiceEntry, 4> kServices{{
    {"inbound-relay", "Set inbound relay", "inbound_relay"},
    {"remote-control", "Set remote-control relay", "remote_control_relay"},
    {"app-serving", "Set app serving", "app_serving"},
    {"compute", "Set remote compute", "compute"},
}};

// Continuity facets: action id, setting key, title.
constexpr std::array<ServiceEntry, 10> kContinuity{{
    {"continuity-enabled", "Continuity on this device", "device_mesh.continuity.enabled"},
    {"continuity-clipboard", "Continuity clipboard", "device_mesh.continuity.clipboard"},
    {"continuity-notifications", "Continuity notifications", "device_mesh.continuity.notifications"},
    {"continuity-wifi-settings", "Continuity Wi-Fi and settings", "device_mesh.continuity.wifi_settings"},
    {"continuity-media", "Continuity media", "device_mesh.continuity.media"},
    {"continuity-display-input", "Continuity display and input", "device_mesh.continuity.display_input"},
    {"continuity-file-transfer", "Continuity file transfer", "device_mesh.continuity.file_transfer"},
    {"continuity-realtime-sessions", "Continuity realtime sessions", "device_mesh.continuity.realtime_sessions"},
    {"continuity-typed-gamepad", "Continuity typed gamepad forwarding", "device_mesh.continuity.typed_gamepad"},
    {"continuity-app-continuations", "Continuity app continuations", "device_mesh.continuity.app_continuations"},
}};

constexpr std::string_view kSettingPrefix = "device_mesh.";

std::optional<orvo_actions::ActionSpec> with_tags(orvo_actions::ActionSpec spec, std::vector<std::string> tags) {
  return std::move(spec).with_contract(operation_contract(std::move(tags)));
}

std::vector<std::string> mesh_tags() { return {"device-local", "security", "device-mesh"}; }

std::optional<orvo_actions::ActionSpec> workspace_action(std::uint64_t workspace_id) {
  std::vector<orvo_actions::ActionParam> params;
  params.push_back(
      orvo_actions::ActionParam::boolean("value", "Whether this workspace is available on this device"));
  return with_tags(orvo_actions::typed_operation_spec("set-available", "Set availability on this device",
                                                      "On or off on this device", orvo_actions::OperationClass::Effect,
                                                      std::string(DeviceMeshOperation::kKind), std::move(params),
                                                      device_mesh_workspace_handler(workspace_id)),
                   {"device-local", "device-mesh", "workspace"});
}

std::string workspace_resource_id(std::uint64_t workspace_id) {
  return std::string(kWorkspaceResourcePrefix) + std::to_string(workspace_id);
}

orvo_actions::Resource workspace_resource(const MeshWorkspace& workspace) {
  auto resource = orvo_actions::Resource::make(workspace_resource_id(workspace.id), std::string(kWorkspaceResourceKind),
                                               workspace.label);
  if (auto action = workspace_action(workspace.id)) resource.actions.push_back(std::move(*action));
  return resource;
}

void add(orvo_actions::Resource& resource, std::optional<orvo_actions::ActionSpec> action) {
  if (action) resource.actions.push_back(std::move(*action));
}

orvo_actions::Resource section_without_workspaces() {
  orvo_actions::Resource resource = section_shell(SettingsSection::DevicesSync);
  add(resource, device_mesh_choice_action("role", "Set device role on this device",
                                          {"Personal device", "Available while active", "Always-on server"},
                                          DeviceMeshChoice::Role));
  add(resource, device_mesh_choice_action("replication", "Set local replication policy",
                                          {"On demand", "Workspace state", "Full workspace copy"},
                                          DeviceMeshChoice::Replication));
  for (const auto& service : kServices) {
    add(resource, device_mesh_service_action(std::string(service.id), std::string(service.title),
                                             std::string(service.service)));
  }
  return resource;
}

void add_continuity(orvo_actions::Resource& resource) {
  for (const auto& facet : kContinuity) {
    std::string_view key = facet.service;
    if (key.starts_with(kSettingPrefix)) key.remove_prefix(kSettingPrefix.size());
    add(resource, device_mesh_service_action(std::string(facet.id), std::string(facet.title), std::string(key)));
  }
}

}  // namespace

std::optional<orvo_actions::ActionSpec> device_mesh_choice_action(std::string id, std::string title,
                                                                  std::vector<std::string> values,
                                                                  DeviceMeshChoice which) {
  const bool destructive = id == "role";
  std::vector<orvo_actions::ActionParam> params;
  params.push_back(orvo_actions::ActionParam::text("choice", "Device-local value").with_choices(std::move(values)));
  auto spec = orvo_actions::typed_operation_spec(std::move(id), std::move(title), "Choose a value",
                                                 orvo_actions::OperationClass::Effect,
                                                 std::string(DeviceMeshOperation::kKind), std::move(params),
                                                 device_mesh_choice_handler(which));
  if (destructive) spec = std::move(spec).destructive();
  return with_tags(std::move(spec), mesh_tags());
}

std::optional<orvo_actions::ActionSpec> device_mesh_service_action(std::string id, std::string title,
                                                                   std::string service) {
  std::vector<orvo_actions::ActionParam> params;
  params.push_back(orvo_actions::ActionParam::boolean("value", "Whether this local service is enabled"));
  return with_tags(orvo_actions::typed_operation_spec(std::move(id), std::move(title), "On or off on this device",
                                                      orvo_actions::OperationClass::Effect,
                                                      std::string(DeviceMeshOperation::kKind), std::move(params),
                                                      device_mesh_service_handler(std::move(service))),
                   mesh_tags());
}

orvo_actions::Resource devices_sync_resource(const SectionInputs& inputs) {
  orvo_actions::Resource resource = section_without_workspaces();
  for (const auto& workspace : inputs.queries.mesh.workspaces()) resource.children.push_back(workspace_resource(workspace));
  add_continuity(resource);
  return resource;
}

std::optional<orvo_actions::Resource> find_workspace_resource(std::vector<orvo_actions::Resource> children,
                                                              std::uint64_t workspace_id) {
  const std::string id = workspace_resource_id(workspace_id);
  for (auto& child : children) {
    if (child.id == id) return std::move(child);
  }
  return std::nullopt;
}

std::optional<orvo_actions::ActionBinding<bool>> device_mesh_toggle_binding(std::string_view action) {
  orvo_actions::Resource resource = section_without_workspaces();
  add_continuity(resource);
  return bind_toggle(resource, action);
}

std::optional<orvo_actions::ActionBinding<std::string>> device_mesh_choice_binding(std::string_view action) {
  return choice_binding(section_without_workspaces(), action);
}

std::optional<orvo_actions::ActionBinding<bool>> workspace_available_binding(std::uint64_t workspace_id,
                                                                             const MeshModelQueries& queries) {
  for (const auto& workspace : queries.workspaces()) {
    if (workspace.id != workspace_id) continue;
    return bind_toggle(workspace_resource(workspace), "set-available");
  }
  return std::nullopt;
}

}  // namespace settings::actions

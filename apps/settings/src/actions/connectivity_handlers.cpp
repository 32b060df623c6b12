#include "actions/connectivity_handlers.h"

#include <utility>

#include "actions/handler_support.h"
#include "actions/operation_encoding.h"

namespace settings::actions {

using orvo_actions::ActionArgs;

orvo_actions::ArgumentHandler wifi_enabled_handler() {
  return [](const ActionArgs& args) {
    return encode_operation(NetworkOperation{NetworkOperation::SetWifiEnabled{handler_support::flag(args)}});
  };
}

orvo_actions::ArgumentHandler bluetooth_powered_handler() {
  return [](const ActionArgs& args) {
    return encode_operation(BluetoothOperation{BluetoothOperation::SetPowered{handler_support::flag(args)}});
  };
}

orvo_actions::ArgumentHandler device_mesh_service_handler(std::string service) {
  return [service = std::move(service)](const ActionArgs& args) {
    return encode_operation(
        DeviceMeshOperation{DeviceMeshOperation::SetService{service, handler_support::flag(args)}});
  };
}

orvo_actions::ArgumentHandler device_mesh_workspace_handler(std::uint64_t workspace_id) {
  return [workspace_id](const ActionArgs& args) {
    return encode_operation(
        DeviceMeshOperation{DeviceMeshOperation::SetWorkspace{workspace_id, handler_support::flag(args)}});
  };
}

orvo_actions::ArgumentHandler device_mesh_choice_handler(DeviceMeshChoice which) {
  return [which](const ActionArgs& args) {
    std::string choice = handler_support::choice(args);
    if (which == DeviceMeshChoice::Role) {
      return encode_operation(DeviceMeshOperation{DeviceMeshOperation::SetRole{std::move(choice)}});
    }
    return encode_operation(DeviceMeshOperation{DeviceMeshOperation::SetReplication{std::move(choice)}});
  };
}

orvo_actions::ArgumentHandler agent_provider_details_handler(std::string provider_id) {
  return [provider_id = std::move(provider_id)](const ActionArgs& args) {
    return encode_operation(AgentProviderOperation{AgentProviderOperation::SetDetails{
        provider_id, handler_support::text(args, "label"), handler_support::text(args, "endpoint"),
        args.text("model")}});
  };
}

}  // namespace settings::actions

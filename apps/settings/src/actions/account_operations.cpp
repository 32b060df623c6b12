// JSON descriptions of the account, model, mesh and provider payloads: variant names and fields in declaration order.
#include "actions/account_operations.h"

#include "actions/payload_json.h"

namespace settings::actions {

using orvo_json::externally_tagged;
using orvo_json::field;
using orvo_json::struct_variant;
using orvo_json::unit_variant;

constexpr auto describe_json(orvo_json::Tag<AccountOperation>) {
  using namespace account_operation;
  return externally_tagged<AccountOperation>(
      "AccountOperation", struct_variant("Add", field("kind", &Add::kind)),
      struct_variant("Open", field("id", &Open::id)), struct_variant("Edit", field("id", &Edit::id)),
      struct_variant("Reauthenticate", field("id", &Reauthenticate::id)), unit_variant<SubmitForm>("SubmitForm"),
      unit_variant<CancelForm>("CancelForm"), unit_variant<SubmitReauthentication>("SubmitReauthentication"),
      unit_variant<CancelReauthentication>("CancelReauthentication"), struct_variant("Test", field("id", &Test::id)),
      struct_variant("Remove", field("id", &Remove::id)));
}

constexpr auto describe_json(orvo_json::Tag<AgentModelOperation>) {
  using namespace agent_model_operation;
  return externally_tagged<AgentModelOperation>(
      "AgentModelOperation", unit_variant<StageAccelerator>("StageAccelerator"),
      struct_variant("Install", field("id", &Install::id), field("revision", &Install::revision)),
      struct_variant("Start", field("id", &Start::id)), struct_variant("Stop", field("id", &Stop::id)),
      struct_variant("Retry", field("id", &Retry::id), field("revision", &Retry::revision)),
      struct_variant("Remove", field("id", &Remove::id)));
}

constexpr auto describe_json(orvo_json::Tag<DeviceMeshOperation>) {
  using namespace device_mesh_operation;
  return externally_tagged<DeviceMeshOperation>(
      "DeviceMeshOperation", struct_variant("SetRole", field("role", &SetRole::role)),
      struct_variant("SetReplication", field("replication", &SetReplication::replication)),
      struct_variant("SetService", field("service", &SetService::service), field("enabled", &SetService::enabled)),
      struct_variant("SetWorkspace", field("id", &SetWorkspace::id), field("enabled", &SetWorkspace::enabled)));
}

constexpr auto describe_json(orvo_json::Tag<AgentProviderOperation>) {
  using namespace agent_provider_operation;
  return externally_tagged<AgentProviderOperation>(
      "AgentProviderOperation", struct_variant("Add", field("protocol", &Add::protocol)),
      struct_variant("SetProtocol", field("id", &SetProtocol::id), field("protocol", &SetProtocol::protocol)),
      struct_variant("SetEnabled", field("id", &SetEnabled::id), field("enabled", &SetEnabled::enabled)),
      struct_variant("Remove", field("id", &Remove::id)), struct_variant("SetDefault", field("id", &SetDefault::id)),
      struct_variant("SetDetails", field("id", &SetDetails::id), field("label", &SetDetails::label),
                     field("endpoint", &SetDetails::endpoint), field("model", &SetDetails::model)));
}
template std::string encode_payload(const AccountOperation&);
template std::expected<AccountOperation, orvo_json::Error> decode_payload<AccountOperation>(std::string_view);
template std::string encode_payload(const AgentModelOperation&);
template std::expected<AgentModelOperation, orvo_json::Error> decode_payload<AgentModelOperation>(std::string_view);
template std::string encode_payload(const DeviceMeshOperation&);
template std::expected<DeviceMeshOperation, orvo_json::Error> decode_payload<DeviceMeshOperation>(std::string_view);
template std::string encode_payload(const AgentProviderOperation&);
template std::expected<AgentProviderOperation, orvo_json::Error> decode_payload<AgentProviderOperation>(
    std::string_view);

}  // namespace settings::actions

#pragma once
// Payloads of the accounts, local models, device mesh and model provider areas.
// Every enumeration here is externally tagged in JSON and carries its operation kind in `kKind`;
// operation_payload.h reads and writes them.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace settings::actions {

// External accounts and the account forms of the Accounts pane.
namespace account_operation {
struct Add {
  std::string kind;
  bool operator==(const Add&) const = default;
};
struct Open {
  std::string id;
  bool operator==(const Open&) const = default;
};
struct Edit {
  std::string id;
  bool operator==(const Edit&) const = default;
};
struct Reauthenticate {
  std::string id;
  bool operator==(const Reauthenticate&) const = default;
};
struct SubmitForm {
  bool operator==(const SubmitForm&) const = default;
};
struct CancelForm {
  bool operator==(const CancelForm&) const = default;
};
struct SubmitReauthentication {
  bool operator==(const SubmitReauthentication&) const = default;
};
struct CancelReauthentication {
  bool operator==(const CancelReauthentication&) const = default;
};
struct Test {
  std::string id;
  bool operator==(const Test&) const = default;
};
struct Remove {
  std::string id;
  bool operator==(const Remove&) const = default;
};
}  // namespace account_operation

struct AccountOperation
    : std::variant<account_operation::Add, account_operation::Open, account_operation::Edit,
                   account_operation::Reauthenticate, account_operation::SubmitForm, account_operation::CancelForm,
                   account_operation::SubmitReauthentication, account_operation::CancelReauthentication,
                   account_operation::Test, account_operation::Remove> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.account-operation";
  using Add = account_operation::Add;
  using Open = account_operation::Open;
  using Edit = account_operation::Edit;
  using Reauthenticate = account_operation::Reauthenticate;
  using SubmitForm = account_operation::SubmitForm;
  using CancelForm = account_operation::CancelForm;
  using SubmitReauthentication = account_operation::SubmitReauthentication;
  using CancelReauthentication = account_operation::CancelReauthentication;
  using Test = account_operation::Test;
  using Remove = account_operation::Remove;
};

// Local models.
namespace agent_model_operation {
struct StageAccelerator {
  bool operator==(const StageAccelerator&) const = default;
};
struct Install {
  std::string id;
  std::string revision;
  bool operator==(const Install&) const = default;
};
struct Start {
  std::string id;
  bool operator==(const Start&) const = default;
};
struct Stop {
  std::string id;
  bool operator==(const Stop&) const = default;
};
struct Retry {
  std::string id;
  std::string revision;
  bool operator==(const Retry&) const = default;
};
struct Remove {
  std::string id;
  bool operator==(const Remove&) const = default;
};
}  // namespace agent_model_operation

struct AgentModelOperation : std::variant<agent_model_operation::StageAccelerator, agent_model_operation::Install,
                                          agent_model_operation::Start, agent_model_operation::Stop,
                                          agent_model_operation::Retry, agent_model_operation::Remove> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.agent-model-operation";
  using StageAccelerator = agent_model_operation::StageAccelerator;
  using Install = agent_model_operation::Install;
  using Start = agent_model_operation::Start;
  using Stop = agent_model_operation::Stop;
  using Retry = agent_model_operation::Retry;
  using Remove = agent_model_operation::Remove;
};

// This device's place in the device mesh; `role` and `replication` are choice texts.
namespace device_mesh_operation {
struct SetRole {
  std::string role;
  bool operator==(const SetRole&) const = default;
};
struct SetReplication {
  std::string replication;
  bool operator==(const SetReplication&) const = default;
};
struct SetService {
  std::string service;
  bool enabled = false;
  bool operator==(const SetService&) const = default;
};
struct SetWorkspace {
  std::uint64_t id = 0;
  bool enabled = false;
  bool operator==(const SetWorkspace&) const = default;
};
}  // namespace device_mesh_operation

struct DeviceMeshOperation : std::variant<device_mesh_operation::SetRole, device_mesh_operation::SetReplication,
                                          device_mesh_operation::SetService, device_mesh_operation::SetWorkspace> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.device-mesh-operation";
  using SetRole = device_mesh_operation::SetRole;
  using SetReplication = device_mesh_operation::SetReplication;
  using SetService = device_mesh_operation::SetService;
  using SetWorkspace = device_mesh_operation::SetWorkspace;
};

// Hosted and compatible model provider profiles.
namespace agent_provider_operation {
struct Add {
  std::string protocol;
  bool operator==(const Add&) const = default;
};
struct SetProtocol {
  std::string id;
  std::string protocol;
  bool operator==(const SetProtocol&) const = default;
};
struct SetEnabled {
  std::string id;
  bool enabled = false;
  bool operator==(const SetEnabled&) const = default;
};
struct Remove {
  std::string id;
  bool operator==(const Remove&) const = default;
};
struct SetDefault {
  std::string id;
  bool operator==(const SetDefault&) const = default;
};
struct SetDetails {
  std::string id;
  std::string label;
  std::string endpoint;
  std::optional<std::string> model;
  bool operator==(const SetDetails&) const = default;
};
}  // namespace agent_provider_operation

struct AgentProviderOperation
    : std::variant<agent_provider_operation::Add, agent_provider_operation::SetProtocol,
                   agent_provider_operation::SetEnabled, agent_provider_operation::Remove,
                   agent_provider_operation::SetDefault, agent_provider_operation::SetDetails> {
  using variant::variant;
  static constexpr std::string_view kKind = "settings.agent-provider-operation";
  using Add = agent_provider_operation::Add;
  using SetProtocol = agent_provider_operation::SetProtocol;
  using SetEnabled = agent_provider_operation::SetEnabled;
  using Remove = agent_provider_operation::Remove;
  using SetDefault = agent_provider_operation::SetDefault;
  using SetDetails = agent_provider_operation::SetDetails;
};
}  // namespace settings::actions

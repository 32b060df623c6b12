#pragma once
// From typed operation values to what travels and what names them: the encoded invocation
// (kind + compact JSON) and the operation key ("<kind>:<compact JSON>").
//
// The payload writer of operation_payload.h cannot fail for these types (every field is a bool, a
// number, a text or an optional of one), so no encoding here has an error path: an operation is
// always sent with its full payload. Were a writer ever to fail, the empty payload it would leave
// is refused by every reader downstream.
#include <concepts>
#include <expected>
#include <string>
#include <string_view>
#include <type_traits>

#include "actions/operation_payload.h"
#include "orvo_actions/encoded_action.h"

namespace settings::actions {

namespace detail {
template <class T, class... Ts>
concept OneOf = (std::same_as<T, Ts> || ...);
}  // namespace detail

// The sixteen operation enumerations; each names its kind in `kKind`.
template <class T>
concept OperationEnumeration =
    detail::OneOf<T, AccountOperation, UpdateOperation, KeyboardSourceOperation, InputOperation, TimeDateOperation,
          PowerOperation, NetworkOperation, BluetoothOperation, StorageOperation, AudioOperation, DisplayOperation,
          PrinterOperation, UserOperation, AgentModelOperation, DeviceMeshOperation, AgentProviderOperation>;

// The fourteen enumerations the root's device-local runner carries out; they have operation keys.
// Account and agent-provider operations are carried out by the root itself and have none.
template <class T>
concept DeviceLocalOperation = OperationEnumeration<T> && !detail::OneOf<T, AccountOperation, AgentProviderOperation>;

// The typed encoder hook of the action library: lets `orvo_actions::encode_typed` and
// `orvo_actions::fixed_action_spec` take operation values and `SettingsAction` directly.
template <class T>
  requires(OperationEnumeration<T> || std::same_as<T, SettingsAction>)
std::expected<std::string, std::string> to_payload_json(const T& value) {
  return encode_payload(value);
}

// The operation under its own kind, for the argument handlers.
template <OperationEnumeration Op>
orvo_actions::EncodedAction encode_operation(const Op& operation) {
  return {std::string(Op::kKind), encode_payload(operation)};
}

// A setting action under "settings.action".
orvo_actions::EncodedAction encode_settings_action(const SettingsAction& action);

// "<kind>:<compact JSON>", compared byte for byte. The kind is the caller's (the one the operation
// arrived under, or the pane's own), not necessarily `Op::kKind`.
template <DeviceLocalOperation Op>
std::string operation_key(std::string_view kind, const Op& operation) {
  std::string key(kind);
  key += ':';
  key += encode_payload(operation);
  return key;
}

}  // namespace settings::actions

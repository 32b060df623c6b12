#pragma once
// JSON of the operation payloads and of `SettingsAction`.
//
// Written compactly, fields in declaration order, unit variants as strings and struct variants as
// one-key objects: this is the canonical text that operation keys compare, so decode followed by
// encode maps every accepted spelling of a payload (any key order, white space, array form, unknown
// keys) to the same bytes. Reading is strict; the error's `text()` is what callers report.
#include <expected>
#include <string>
#include <string_view>
#include <tuple>

#include "actions/account_operations.h"
#include "actions/hardware_operations.h"
#include "actions/settings_action.h"
#include "actions/system_operations.h"
#include "orvo_json/error.h"

namespace settings::actions {

// Defined for the sixteen operation enumerations, `SettingsAction` and `SettingValue`.
template <class Payload>
std::string encode_payload(const Payload& payload);
template <class Payload>
std::expected<Payload, orvo_json::Error> decode_payload(std::string_view json);

// The operation enumerations in the order of the root's table of declared operation kinds.
using OperationPayloads =
    std::tuple<AccountOperation, UpdateOperation, KeyboardSourceOperation, InputOperation, TimeDateOperation,
               PowerOperation, NetworkOperation, BluetoothOperation, StorageOperation, AudioOperation, DisplayOperation,
               PrinterOperation, UserOperation, AgentModelOperation, DeviceMeshOperation, AgentProviderOperation>;

}  // namespace settings::actions

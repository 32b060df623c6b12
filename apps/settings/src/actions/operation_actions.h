#pragma once
// Action specs built around one fixed operation value, with the contract of its area, and
// the action spec of a setting choice.
//
// An operation spec invokes its operation value under the area's kind whatever the
// arguments; the catalogues add it to a resource only when one was built.
#include <optional>
#include <string>
#include <vector>

#include "actions/account_operations.h"
#include "actions/hardware_operations.h"
#include "actions/system_operations.h"
#include "orvo_actions/action_spec.h"
#include "orvo_actions/contract.h"

namespace settings::actions {

using Tags = std::vector<std::string>;

// Sound, printers, Bluetooth and local models: class 1 with the operation contract over the
// caller's tags, "device-local" and the area first (for example {"device-local", "audio",
// "live-device"}). Tags the contract refuses (an empty or repeated one) give no spec.
std::optional<orvo_actions::ActionSpec> operation_spec(std::string name, std::string title,
                                                       const AudioOperation& operation, Tags tags);
std::optional<orvo_actions::ActionSpec> operation_spec(std::string name, std::string title,
                                                       const PrinterOperation& operation, Tags tags);
std::optional<orvo_actions::ActionSpec> operation_spec(std::string name, std::string title,
                                                       const BluetoothOperation& operation, Tags tags);
std::optional<orvo_actions::ActionSpec> operation_spec(std::string name, std::string title,
                                                       const AgentModelOperation& operation, Tags tags);

// Keyboard sources: class 1, tags "device-local", "input-source".
std::optional<orvo_actions::ActionSpec> operation_spec(std::string name, std::string title,
                                                       const KeyboardSourceOperation& operation);

// Accounts: the caller's class (2 for the forms that open a view). Only `Test` carries a contract
// ("device-local", "accounts", "network-probe"); every other account action keeps the default one.
std::optional<orvo_actions::ActionSpec> operation_spec(std::string name, std::string title,
                                                       const AccountOperation& operation,
                                                       orvo_actions::OperationClass cls);

// Model providers: class 1 with `agent_provider_contract`.
std::optional<orvo_actions::ActionSpec> operation_spec(std::string name, std::string title,
                                                       const AgentProviderOperation& operation);

// Tags "device-local", "agent-provider"; no result schema, no qualifier; (0, 2, 0, 1, 3).
orvo_actions::ActionContract agent_provider_contract();

// A setting choice: one required text parameter "choice" ("New setting value") whose allowed values
// are the choices in the given order; invoked, it sets the setting key to the chosen text, or to
// `current` when no choice is given. Carries the settings contract.
orvo_actions::ActionSpec setting_choice_spec(std::string name, std::string title, std::string key,
                                             std::string description, std::vector<std::string> choices,
                                             std::string current);

}  // namespace settings::actions

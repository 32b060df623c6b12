#pragma once
// The buttons of an account row in the accounts pane, bound to one account action each.
#include <optional>
#include <string>

#include "actions/account_operations.h"
#include "orvo_actions/binding.h"
#include "orvo_actions/contract.h"

namespace settings::actions {

inline constexpr std::string_view kAccountResourcePrefix = "settings.account:";
inline constexpr std::string_view kAccountResourceKind = "settings.external-account";

// Builds the account action (the account operation spec: only `Test` carries a contract), marks it
// destructive when asked, puts it alone on a resource of kind "settings.external-account" with the
// given id and title, and binds a button to it. None when the action cannot be built.
std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> external_account_binding(
    std::string resource_id, std::string resource_title, std::string action_id, std::string action_title,
    orvo_actions::OperationClass cls, const AccountOperation& operation, bool destructive);

}  // namespace settings::actions

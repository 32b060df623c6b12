#include "catalogues/account_bindings.h"

#include "actions/control_bindings.h"
#include "actions/operation_actions.h"

namespace settings::actions {

std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> external_account_binding(
    std::string resource_id, std::string resource_title, std::string action_id, std::string action_title,
    orvo_actions::OperationClass cls, const AccountOperation& operation, bool destructive) {
  auto spec = operation_spec(action_id, std::move(action_title), operation, cls);
  if (!spec) return std::nullopt;
  if (destructive) spec = std::move(*spec).destructive();
  const auto resource = orvo_actions::Resource::make(std::move(resource_id), std::string(kAccountResourceKind),
                                                     std::move(resource_title))
                            .with_action(std::move(*spec));
  return unit_binding(resource, action_id);
}

}  // namespace settings::actions

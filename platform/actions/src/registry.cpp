#include "orvo_actions/registry.h"

namespace orvo_actions {

void ActionRegistry::register_namespace(std::string name, std::unique_ptr<NamespaceHandler> handler) {
  handlers_.insert_or_assign(std::move(name), std::move(handler));
}

const NamespaceHandler* ActionRegistry::find(std::string_view name) const {
  auto it = handlers_.find(name);
  return it == handlers_.end() ? nullptr : it->second.get();
}

std::expected<std::unique_ptr<TypedAction>, ActionError> ActionRegistry::decode(const EncodedAction& action) const {
  const NamespaceHandler* handler = find(action.kind);
  if (!handler) return std::unexpected(ActionError{ActionError::Kind::UnknownNamespace, action.kind, {}});
  return handler->decode(action.payload);
}

}  // namespace orvo_actions

#pragma once
// The action registry: one payload decoder per action namespace (for example "settings.action").
#include <expected>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "orvo_actions/encoded_action.h"
#include "orvo_actions/executor.h"

namespace orvo_actions {

class NamespaceHandler {
 public:
  virtual ~NamespaceHandler() = default;
  // Decodes a payload of this namespace into its typed action, or a decoding error that holds the
  // namespace and the decoder's message.
  virtual std::expected<std::unique_ptr<TypedAction>, ActionError> decode(std::string_view payload) const = 0;
};

class ActionRegistry {
 public:
  // Registering a namespace again replaces (and drops) the earlier handler.
  void register_namespace(std::string name, std::unique_ptr<NamespaceHandler> handler);
  const NamespaceHandler* find(std::string_view name) const;
  bool contains(std::string_view name) const { return find(name) != nullptr; }
  std::size_t size() const { return handlers_.size(); }

  // Decodes an encoded action by its kind; an unregistered kind is an UnknownNamespace error.
  std::expected<std::unique_ptr<TypedAction>, ActionError> decode(const EncodedAction& action) const;

 private:
  std::map<std::string, std::unique_ptr<NamespaceHandler>, std::less<>> handlers_;
};

}  // namespace orvo_actions

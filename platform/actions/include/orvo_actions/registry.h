#pragma once
// The action registry: one payload handler per action namespace (for example "settings.action").
#include <expected>
#include <map>
#include <memory>
#include <string>
#include <string_view>

namespace orvo_actions {

class NamespaceHandler {
 public:
  virtual ~NamespaceHandler() = default;
  // Decodes a payload of this namespace; answers a readable form of the decoded action or the
  // decoder's error text.
  virtual std::expected<std::string, std::string> decode(std::string_view payload) const = 0;
};

class ActionRegistry {
 public:
  // Registering a namespace again replaces (and drops) the earlier handler.
  void register_namespace(std::string name, std::unique_ptr<NamespaceHandler> handler);
  const NamespaceHandler* find(std::string_view name) const;
  bool contains(std::string_view name) const { return find(name) != nullptr; }
  std::size_t size() const { return handlers_.size(); }

 private:
  std::map<std::string, std::unique_ptr<NamespaceHandler>, std::less<>> handlers_;
};

}  // namespace orvo_actions

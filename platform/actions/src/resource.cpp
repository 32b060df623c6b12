#include "orvo_actions/resource.h"

namespace orvo_actions {

Resource Resource::make(std::string id, std::string kind, std::string title) {
  Resource resource;
  resource.id = std::move(id);
  resource.kind = std::move(kind);
  resource.title = std::move(title);
  return resource;
}

const ActionSpec* Resource::find_action(std::string_view name) const {
  for (const auto& spec : actions) {
    if (spec.name == name) return &spec;
  }
  return nullptr;
}

const Resource* Resource::find(std::string_view resource_id) const {
  if (id == resource_id) return this;
  for (const auto& child : children) {
    if (const Resource* hit = child.find(resource_id)) return hit;
  }
  return nullptr;
}

}  // namespace orvo_actions

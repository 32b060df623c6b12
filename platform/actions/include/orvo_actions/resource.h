#pragma once
// Resources: the tree of things a user can change, each with the actions it offers.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_actions/action_spec.h"

namespace orvo_actions {

struct Resource {
  std::string id;
  std::string kind;
  std::string title;
  std::vector<ActionSpec> actions;
  std::vector<Resource> children;
  // Ids of resources this one relates to, for clients that list the tree.
  std::vector<std::string> related_ids;
  std::optional<std::string> description;

  // A resource with no actions, no children, no related ids and no description.
  static Resource make(std::string id, std::string kind, std::string title);

  [[nodiscard]] Resource with_action(ActionSpec spec) && {
    actions.push_back(std::move(spec));
    return std::move(*this);
  }
  [[nodiscard]] Resource with_child(Resource child) && {
    children.push_back(std::move(child));
    return std::move(*this);
  }

  // The first action whose name equals the given one byte for byte.
  const ActionSpec* find_action(std::string_view name) const;
  // The first resource of this tree, in depth-first pre-order, whose id equals the given one.
  const Resource* find(std::string_view resource_id) const;

  friend bool operator==(const Resource&, const Resource&) = default;
};

}  // namespace orvo_actions

#pragma once
// Resources: the tree of things a user can change, each with the actions it offers.
#include <string>
#include <vector>

namespace orvo_actions {

struct ActionSpec {
  std::string name;
  std::string title;
  std::string operation_kind;

  friend bool operator==(const ActionSpec&, const ActionSpec&) = default;
};

struct Resource {
  std::string id;
  std::string kind;
  std::string title;
  std::vector<ActionSpec> actions;
  std::vector<Resource> children;

  [[nodiscard]] Resource with_action(ActionSpec spec) && {
    actions.push_back(std::move(spec));
    return std::move(*this);
  }
  [[nodiscard]] Resource with_child(Resource child) && {
    children.push_back(std::move(child));
    return std::move(*this);
  }

  friend bool operator==(const Resource&, const Resource&) = default;
};

}  // namespace orvo_actions

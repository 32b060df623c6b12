#pragma once
// What catalogue tests compare a resource by: the names of its actions and the ids of its children,
// in order.
#include <string>
#include <vector>

#include "orvo_actions/resource.h"

namespace settings::actions::testing {

inline std::vector<std::string> action_names(const orvo_actions::Resource& resource) {
  std::vector<std::string> names;
  for (const auto& action : resource.actions) names.push_back(action.name);
  return names;
}

inline std::vector<std::string> child_ids(const orvo_actions::Resource& resource) {
  std::vector<std::string> ids;
  for (const auto& child : resource.children) ids.push_back(child.id);
  return ids;
}

}  // namespace settings::actions::testing

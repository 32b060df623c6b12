#pragma once
// The JSON form of a resource tree, as the application lists it to other programs.
//
// A resource: {"id", "kind", "title", "description" (text or null), "related_ids", "actions",
// "children"}. An action: {"name", "title", "description", "parameters", "class" (0 setting,
// 1 effect, 2 navigation), "kind" (the operation kind, or the kind of a prebuilt action, else null),
// "destructive", "privileged", "contract": {"tags", "result_schema" (JSON or null)}}. A parameter:
// {"name", "description", "kind" ("text", "number" or "boolean"), "required", "allowed_values",
// "schema" (JSON or null)}. Fields appear in this order; texts that are not valid UTF-8 have their
// bad bytes replaced, so writing never fails.
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "orvo_actions/resource.h"

namespace orvo_actions {

nlohmann::ordered_json action_spec_json(const ActionSpec& spec);
nlohmann::ordered_json resource_json(const Resource& resource);

// A list of resources as one compact JSON array.
std::string resources_json_text(const std::vector<Resource>& resources);

}  // namespace orvo_actions

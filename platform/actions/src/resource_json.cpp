#include "orvo_actions/resource_json.h"

#include <nlohmann/json.hpp>

namespace orvo_actions {
namespace {

using Json = nlohmann::ordered_json;

// Schemas are kept as compact JSON text; one that does not parse is shown as the text it is.
Json embedded_json(const std::optional<std::string>& text) {
  if (!text) return nullptr;
  Json value = Json::parse(*text, nullptr, false);
  if (value.is_discarded()) return *text;
  return value;
}

Json operation_kind_json(const ActionSpec& spec) {
  if (spec.operation_kind) return *spec.operation_kind;
  if (const auto* prebuilt = std::get_if<PrebuiltInput>(&spec.input)) return prebuilt->action.kind;
  return nullptr;
}

Json param_json(const ActionParam& param) {
  Json out = Json::object();
  out["name"] = param.name;
  out["description"] = param.description;
  out["kind"] = std::string(to_string(param.kind));
  out["required"] = param.required;
  out["allowed_values"] = param.allowed_values;
  out["schema"] = embedded_json(param.schema);
  return out;
}

}  // namespace

Json action_spec_json(const ActionSpec& spec) {
  Json params = Json::array();
  for (const auto& param : spec.params) params.push_back(param_json(param));
  Json contract = Json::object();
  contract["tags"] = spec.contract.tags;
  contract["result_schema"] = embedded_json(spec.contract.result_schema);

  Json out = Json::object();
  out["name"] = spec.name;
  out["title"] = spec.title;
  out["description"] = std::string(spec.description());
  out["parameters"] = std::move(params);
  out["class"] = static_cast<int>(spec.operation_class);
  out["kind"] = operation_kind_json(spec);
  out["destructive"] = spec.is_destructive;
  out["privileged"] = spec.is_privileged;
  out["contract"] = std::move(contract);
  return out;
}

Json resource_json(const Resource& resource) {
  Json actions = Json::array();
  for (const auto& spec : resource.actions) actions.push_back(action_spec_json(spec));
  Json children = Json::array();
  for (const auto& child : resource.children) children.push_back(resource_json(child));

  Json out = Json::object();
  out["id"] = resource.id;
  out["kind"] = resource.kind;
  out["title"] = resource.title;
  out["description"] = resource.description ? Json(*resource.description) : Json(nullptr);
  out["related_ids"] = resource.related_ids;
  out["actions"] = std::move(actions);
  out["children"] = std::move(children);
  return out;
}

std::string resources_json_text(const std::vector<Resource>& resources) {
  Json list = Json::array();
  for (const auto& resource : resources) list.push_back(resource_json(resource));
  return list.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace orvo_actions

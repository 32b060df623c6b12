#include "orvo_actions/action_param.h"

#include <nlohmann/json.hpp>

namespace orvo_actions {

std::string_view to_string(ParamKind kind) {
  switch (kind) {
    case ParamKind::Text:
      return "text";
    case ParamKind::Number:
      return "number";
    case ParamKind::Boolean:
      return "boolean";
  }
  return "text";
}

std::optional<ParamKind> param_kind_from_string(std::string_view text) {
  for (ParamKind kind : {ParamKind::Text, ParamKind::Number, ParamKind::Boolean}) {
    if (to_string(kind) == text) return kind;
  }
  return std::nullopt;
}

ActionParam ActionParam::text(std::string name, std::string description) {
  return {{}, std::move(name), std::move(description), std::nullopt, true, ParamKind::Text};
}

ActionParam ActionParam::number(std::string name, std::string description) {
  return {{}, std::move(name), std::move(description), std::nullopt, true, ParamKind::Number};
}

ActionParam ActionParam::boolean(std::string name, std::string description) {
  return {{}, std::move(name), std::move(description), std::nullopt, true, ParamKind::Boolean};
}

ActionParam ActionParam::with_schema(const nlohmann::ordered_json& schema_value) && {
  schema = schema_value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  return std::move(*this);
}

ActionParam ActionParam::with_choices(std::vector<std::string> choices) && {
  allowed_values = std::move(choices);
  return std::move(*this);
}

ActionParam ActionParam::optional() && {
  required = false;
  return std::move(*this);
}

}  // namespace orvo_actions

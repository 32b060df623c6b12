#include "orvo_actions/action_spec.h"

#include <algorithm>
#include <cmath>

#include <nlohmann/json.hpp>

namespace orvo_actions {
namespace {

using Json = nlohmann::ordered_json;

// Lists shown in a refusal stop after this many entries.
constexpr std::size_t kListedChoices = 12;

std::string compact(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

std::string_view schema_type(ParamKind kind) {
  switch (kind) {
    case ParamKind::Text:
      return "string";
    case ParamKind::Number:
      return "number";
    case ParamKind::Boolean:
      return "boolean";
  }
  return "string";
}

BuildError refuse(BuildError::Reason reason, const std::string& argument, std::string message) {
  return {reason, argument, std::move(message)};
}

std::string quoted(const std::string& name) { return "`" + name + "`"; }

std::string choices_text(const std::vector<std::string>& choices) {
  std::string out;
  for (std::size_t i = 0; i < choices.size() && i < kListedChoices; ++i) {
    if (i > 0) out += ", ";
    out += compact(Json(choices[i]));
  }
  if (choices.size() > kListedChoices) out += ", …";
  return out;
}

std::size_t code_points(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// U+0000..U+001F, U+007F and U+0080..U+009F (UTF-8 C2 80..C2 9F): no free text a person means
// holds them, and they reach files, logs and other programs.
bool holds_control_character(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x20 || byte == 0x7F) return true;
    if (byte == 0xC2 && i + 1 < text.size() && (static_cast<unsigned char>(text[i + 1]) & 0xE0) == 0x80) return true;
  }
  return false;
}

std::expected<void, BuildError> check_kind(const ActionParam& param, const Json& value) {
  const std::string& name = param.name;
  switch (param.kind) {
    case ParamKind::Boolean:
      if (value.is_boolean()) return {};
      return std::unexpected(refuse(BuildError::Reason::WrongType, name,
                                    "argument " + quoted(name) + " must be true or false; got " + compact(value)));
    case ParamKind::Number:
      if (value.is_number() && std::isfinite(value.get<double>())) return {};
      return std::unexpected(refuse(BuildError::Reason::WrongType, name,
                                    "argument " + quoted(name) + " must be a finite number; got " + compact(value)));
    case ParamKind::Text:
      if (!value.is_string()) {
        return std::unexpected(refuse(BuildError::Reason::WrongType, name,
                                      "argument " + quoted(name) + " must be a text; got " + compact(value)));
      }
      if (holds_control_character(value.get_ref<const std::string&>())) {
        return std::unexpected(refuse(BuildError::Reason::NotAllowed, name,
                                      "argument " + quoted(name) + " must not hold control characters"));
      }
      return {};
  }
  return {};
}

std::expected<void, BuildError> check_allowed(const ActionParam& param, const Json& value) {
  if (param.allowed_values.empty()) return {};
  const std::string text = value.is_string() ? value.get<std::string>() : compact(value);
  if (std::find(param.allowed_values.begin(), param.allowed_values.end(), text) != param.allowed_values.end()) {
    return {};
  }
  return std::unexpected(refuse(BuildError::Reason::NotAllowed, param.name,
                                "argument " + quoted(param.name) + " must be one of " +
                                    choices_text(param.allowed_values) + "; got " + compact(value)));
}

std::expected<void, BuildError> check_bound(const std::string& name, const Json& schema, std::string_view keyword,
                                            double actual, const Json& shown, bool exclusive, bool lower) {
  auto it = schema.find(keyword);
  if (it == schema.end() || !it->is_number()) return {};
  const double bound = it->get<double>();
  const bool fits = lower ? (exclusive ? actual > bound : actual >= bound)
                          : (exclusive ? actual < bound : actual <= bound);
  if (fits) return {};
  std::string relation = lower ? (exclusive ? "greater than " : "at least ") : (exclusive ? "less than " : "at most ");
  return std::unexpected(refuse(BuildError::Reason::OutOfRange, name,
                                "argument " + quoted(name) + " must be " + relation + compact(*it) + "; got " +
                                    compact(shown)));
}

std::expected<void, BuildError> check_schema(const ActionParam& param, const Json& value) {
  if (!param.schema) return {};
  Json schema = Json::parse(*param.schema, nullptr, false);
  if (!schema.is_object()) return {};
  if (value.is_number()) {
    const double n = value.get<double>();
    for (auto [keyword, exclusive, lower] : {std::tuple{"minimum", false, true}, std::tuple{"maximum", false, false},
                                             std::tuple{"exclusiveMinimum", true, true},
                                             std::tuple{"exclusiveMaximum", true, false}}) {
      auto fits = check_bound(param.name, schema, keyword, n, value, exclusive, lower);
      if (!fits) return fits;
    }
  }
  if (value.is_string()) {
    const Json length = code_points(value.get<std::string>());
    const double n = length.get<double>();
    auto too_short = check_bound(param.name, schema, "minLength", n, length, false, true);
    if (!too_short) {
      too_short.error().message = "argument " + quoted(param.name) + " must be at least " +
                                  compact(schema["minLength"]) + " characters long; got " + compact(length);
      return too_short;
    }
    auto too_long = check_bound(param.name, schema, "maxLength", n, length, false, false);
    if (!too_long) {
      too_long.error().message = "argument " + quoted(param.name) + " must be at most " +
                                 compact(schema["maxLength"]) + " characters long; got " + compact(length);
      return too_long;
    }
  }
  return {};
}

bool well_formed(const ActionContract& contract) {
  for (std::size_t i = 0; i < contract.tags.size(); ++i) {
    if (contract.tags[i].empty()) return false;
    if (std::find(contract.tags.begin(), contract.tags.begin() + static_cast<std::ptrdiff_t>(i), contract.tags[i]) !=
        contract.tags.begin() + static_cast<std::ptrdiff_t>(i)) {
      return false;
    }
  }
  if (contract.result_schema && !Json::parse(*contract.result_schema, nullptr, false).is_object()) return false;
  return true;
}

}  // namespace

ActionContract ActionContract::default_for(OperationClass cls) {
  ActionContract contract;
  if (cls == OperationClass::Navigation) contract.classification = {0, 0, 0, 0, 1};
  return contract;
}

DerivedInput derive_input(const std::vector<ActionParam>& params, const std::shared_ptr<const ActionEncoder>&,
                          std::string description) {
  Json properties = Json::object();
  Json required = Json::array();
  for (const auto& param : params) {
    Json property = Json::object();
    property["type"] = schema_type(param.kind);
    property["description"] = param.description;
    if (!param.allowed_values.empty()) property["enum"] = param.allowed_values;
    if (param.schema) {
      Json extra = Json::parse(*param.schema, nullptr, false);
      if (extra.is_object()) {
        for (auto& [key, value] : extra.items()) property[key] = value;
      }
    }
    properties[param.name] = std::move(property);
    if (param.required) required.push_back(param.name);
  }
  Json schema = Json::object();
  schema["type"] = "object";
  schema["properties"] = std::move(properties);
  schema["required"] = std::move(required);
  return {std::move(description), compact(schema)};
}

std::optional<ActionSpec> ActionSpec::with_contract(ActionContract new_contract) && {
  if (!well_formed(new_contract)) return std::nullopt;
  contract = std::move(new_contract);
  return std::move(*this);
}

ActionSpec ActionSpec::destructive() && {
  is_destructive = true;
  return std::move(*this);
}

ActionSpec ActionSpec::privileged() && {
  is_privileged = true;
  return std::move(*this);
}

const ActionParam* ActionSpec::find_param(std::string_view param_name) const {
  for (const auto& param : params) {
    if (param.name == param_name) return &param;
  }
  return nullptr;
}

std::string_view ActionSpec::description() const {
  if (const auto* derived = std::get_if<DerivedInput>(&input)) return derived->description;
  return {};
}

std::expected<void, BuildError> ActionSpec::check_arguments(const ActionArgs& args) const {
  const Json& object = args.json();
  for (const auto& param : params) {
    auto it = object.find(param.name);
    const bool absent = it == object.end() || (it->is_null() && !param.required);
    if (absent) {
      if (!param.required) continue;
      return std::unexpected(refuse(BuildError::Reason::Missing, param.name,
                                    "missing required argument " + quoted(param.name)));
    }
    if (auto ok = check_kind(param, *it); !ok) return ok;
    if (auto ok = check_allowed(param, *it); !ok) return ok;
    if (auto ok = check_schema(param, *it); !ok) return ok;
  }
  // A member no parameter names would be dropped without a word, and the caller would believe it
  // meant something ({"value":false} to an action that only flips).
  for (const auto& [key, value] : object.items()) {
    if (find_param(key)) continue;
    if (params.empty()) {
      return std::unexpected(refuse(BuildError::Reason::Unknown, key,
                                    "action " + quoted(name) + " takes no arguments; got " + quoted(key)));
    }
    std::vector<std::string> names;
    for (const auto& param : params) names.push_back(quoted(param.name));
    std::string known;
    for (std::size_t i = 0; i < names.size() && i < kListedChoices; ++i) known += (i > 0 ? ", " : "") + names[i];
    if (names.size() > kListedChoices) known += ", …";
    return std::unexpected(refuse(BuildError::Reason::Unknown, key,
                                  "unknown argument " + quoted(key) + "; action " + quoted(name) + " takes " + known));
  }
  return {};
}

std::expected<EncodedAction, BuildError> ActionSpec::build_json(const ActionArgs& args) const {
  if (auto ok = check_arguments(args); !ok) return std::unexpected(std::move(ok.error()));
  if (!encoder || !*encoder) {
    return std::unexpected(refuse(BuildError::Reason::NoEncoder, {}, "action " + quoted(name) + " has no encoder"));
  }
  return (*encoder)(args);
}

std::expected<EncodedAction, BuildError> ActionSpec::build_json(std::string_view args_json) const {
  auto args = ActionArgs::parse(args_json);
  if (!args) return std::unexpected(refuse(BuildError::Reason::NotAnObject, {}, args.error()));
  return build_json(*args);
}

}  // namespace orvo_actions

#include "orvo_actions/action_args.h"

#include <nlohmann/json.hpp>

namespace orvo_actions {
namespace {

const nlohmann::ordered_json* lookup(const nlohmann::ordered_json& object, std::string_view key) {
  auto it = object.find(key);
  return it == object.end() ? nullptr : &*it;
}

std::shared_ptr<const nlohmann::ordered_json> empty_object() {
  static const auto empty = std::make_shared<const nlohmann::ordered_json>(nlohmann::ordered_json::object());
  return empty;
}

}  // namespace

// Writing or comparing a value recurses once per level, hence the scan before parsing.
bool json_nested_deeper_than(std::string_view text, std::size_t limit) {
  std::size_t depth = 0;
  bool in_string = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (in_string) {
      if (c == '\\') {
        ++i;
      } else if (c == '"') {
        in_string = false;
      }
    } else if (c == '"') {
      in_string = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return true;
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  return false;
}

ActionArgs::ActionArgs() : object_(empty_object()) {}

ActionArgs::ActionArgs(nlohmann::ordered_json object)
    : object_(object.is_object() ? std::make_shared<const nlohmann::ordered_json>(std::move(object))
                                 : empty_object()) {}

std::expected<ActionArgs, std::string> ActionArgs::parse(std::string_view json_text) {
  if (json_nested_deeper_than(json_text, kMaxArgumentNesting)) return std::unexpected("arguments are nested more than 128 levels deep");
  auto value = nlohmann::ordered_json::parse(json_text, nullptr, false);
  if (value.is_discarded()) return std::unexpected("arguments are not valid JSON");
  if (!value.is_object()) return std::unexpected("arguments must be a JSON object");
  return ActionArgs(std::move(value));
}

std::optional<bool> ActionArgs::boolean(std::string_view key) const {
  const auto* v = lookup(*object_, key);
  if (!v || !v->is_boolean()) return std::nullopt;
  return v->get<bool>();
}

std::optional<double> ActionArgs::number(std::string_view key) const {
  const auto* v = lookup(*object_, key);
  if (!v || !v->is_number()) return std::nullopt;
  return v->get<double>();
}

std::optional<std::string> ActionArgs::text(std::string_view key) const {
  const auto* v = lookup(*object_, key);
  if (!v || !v->is_string()) return std::nullopt;
  return v->get<std::string>();
}

bool ActionArgs::contains(std::string_view key) const { return lookup(*object_, key) != nullptr; }

bool ActionArgs::empty() const { return object_->empty(); }

const nlohmann::ordered_json& ActionArgs::json() const { return *object_; }

std::string ActionArgs::to_json_text() const {
  return object_->dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

bool operator==(const ActionArgs& a, const ActionArgs& b) { return *a.object_ == *b.object_; }

}  // namespace orvo_actions

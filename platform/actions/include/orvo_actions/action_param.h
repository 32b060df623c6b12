#pragma once
// One parameter an action accepts.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace orvo_actions {

enum class ParamKind : std::uint8_t { Text, Number, Boolean };

std::string_view to_string(ParamKind kind);
std::optional<ParamKind> param_kind_from_string(std::string_view text);

struct ActionParam {
  // The values a choice accepts, in display order; empty means unrestricted.
  std::vector<std::string> allowed_values;
  // The argument key the value arrives under.
  std::string name;
  std::string description;
  // Extra JSON Schema keywords as compact JSON text ("minimum", "maximum", ...).
  std::optional<std::string> schema;
  bool required = true;
  ParamKind kind = ParamKind::Text;

  static ActionParam text(std::string name, std::string description);
  static ActionParam number(std::string name, std::string description);
  static ActionParam boolean(std::string name, std::string description);

  [[nodiscard]] ActionParam with_schema(const nlohmann::ordered_json& schema) &&;
  // Replaces the allowed values by copies of the given ones, in order.
  [[nodiscard]] ActionParam with_choices(std::vector<std::string> choices) &&;
  [[nodiscard]] ActionParam optional() &&;

  friend bool operator==(const ActionParam&, const ActionParam&) = default;
};

}  // namespace orvo_actions

#pragma once
// What an action promises: tags, the shape of its result and how it is classified.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "orvo_actions/operation_class.h"

namespace orvo_actions {

// An optional qualifier of a contract; its second form carries one byte.
struct ContractQualifier {
  enum class Form : std::uint8_t { First = 0, Second = 1 };
  Form form = Form::First;
  std::uint8_t value = 0;
  friend bool operator==(const ContractQualifier&, const ContractQualifier&) = default;
};

struct ActionContract {
  std::vector<std::string> tags;
  // Compact JSON text of the result schema.
  std::optional<std::string> result_schema;
  // Five classification bytes, in field order.
  std::array<std::uint8_t, 5> classification{0, 2, 0, 1, 3};
  std::optional<ContractQualifier> qualifier;

  // No tags, no schema, no qualifier; (0, 2, 0, 1, 3) for setting and effect actions,
  // (0, 0, 0, 0, 1) for navigation.
  static ActionContract default_for(OperationClass cls);

  friend bool operator==(const ActionContract&, const ActionContract&) = default;
};

}  // namespace orvo_actions

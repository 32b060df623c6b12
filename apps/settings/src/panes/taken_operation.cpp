#include "panes/taken_operation.h"

#include <type_traits>
#include <variant>

#include "actions/operation_encoding.h"

namespace settings::panes {

std::string handed_operation_key(const settings_app::PaneOperation& operation) {
  return std::visit(
      [](const auto& typed) { return actions::operation_key(std::decay_t<decltype(typed)>::kKind, typed); },
      static_cast<const settings_app::PaneOperation::variant&>(operation));
}

std::string handed_operation_key(const actions::DeviceMeshOperation& operation) {
  return actions::operation_key(actions::DeviceMeshOperation::kKind, operation);
}

}  // namespace settings::panes

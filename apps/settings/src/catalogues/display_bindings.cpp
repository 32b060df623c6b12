#include "catalogues/display_bindings.h"

#include "actions/control_bindings.h"
#include "catalogues/action_builders.h"
#include "catalogues/display_output_actions.h"

namespace settings::actions {
namespace {

// A dropdown shows at most this many values.
constexpr std::size_t kOutputChoiceLimit = 128;

}  // namespace

std::optional<orvo_actions::ActionBinding<bool>> display_output_toggle_binding(std::string_view connector,
                                                                               std::string_view action) {
  const auto which = output_switch_named(action);
  if (!which) return std::nullopt;
  auto spec = output_switch_spec(std::string(connector), *which);
  if (!spec) return std::nullopt;
  return bind_toggle(display_output_resource(connector, std::move(*spec)), action);
}

std::optional<orvo_actions::ActionBinding<std::string>> display_output_choice_binding(std::string_view connector,
                                                                                      std::string_view action,
                                                                                      std::vector<std::string> values) {
  const auto which = output_choice_named(action);
  if (!which || values.empty() || values.size() > kOutputChoiceLimit) return std::nullopt;
  auto spec = output_choice_spec(std::string(connector), *which, std::move(values));
  if (!spec) return std::nullopt;
  return choice_binding(display_output_resource(connector, std::move(*spec)), action);
}

}  // namespace settings::actions

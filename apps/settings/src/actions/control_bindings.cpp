#include "actions/control_bindings.h"

#include <cstdio>
#include <cstdlib>

#include "orvo_actions/action_constructors.h"

namespace settings::actions {
namespace {

template <class T>
std::optional<T> success(std::expected<T, orvo_actions::BindingError> bound) {
  if (!bound) return std::nullopt;
  return std::move(*bound);
}

[[noreturn]] void broken_invariant(const char* message) {
  std::fputs(message, stderr);
  std::fputc('\n', stderr);
  std::abort();
}

}  // namespace

std::optional<orvo_actions::ActionBinding<bool>> toggle_binding(const orvo_actions::Resource& resource,
                                                                std::string_view action) {
  return success(orvo_actions::ActionBinding<bool>::for_action(resource, action, orvo_actions::converters::toggle));
}

std::optional<orvo_actions::ActionBinding<double>> number_binding(const orvo_actions::Resource& resource,
                                                                  std::string_view action) {
  return success(orvo_actions::ActionBinding<double>::for_action(resource, action, orvo_actions::converters::number));
}

std::optional<orvo_actions::ActionBinding<std::string>> choice_binding(const orvo_actions::Resource& resource,
                                                                       std::string_view action) {
  return success(
      orvo_actions::ActionBinding<std::string>::for_action(resource, action, orvo_actions::converters::choice));
}

std::optional<orvo_actions::ActionBinding<std::string>> percent_binding(const orvo_actions::Resource& resource,
                                                                        std::string_view action) {
  return success(
      orvo_actions::ActionBinding<std::string>::for_action(resource, action, orvo_actions::converters::percent));
}

std::optional<orvo_actions::ActionBinding<std::string>> keyed_binding(const orvo_actions::Resource& resource,
                                                                      std::string_view action, std::string key) {
  return success(orvo_actions::ActionBinding<std::string>::for_action(
      resource, action, orvo_actions::converters::keyed(std::move(key))));
}

std::optional<orvo_actions::ActionBinding<orvo_actions::Unit>> unit_binding(const orvo_actions::Resource& resource,
                                                                            std::string_view action) {
  return success(orvo_actions::ActionBinding<orvo_actions::Unit>::unit_for(resource, action));
}

ControlInvoke control_invoke_binding(const orvo_actions::ControlId& id, std::string_view label,
                                     orvo_actions::OperationClass cls) {
  auto spec = orvo_actions::fixed_action_spec(std::string(label), cls, id);
  if (!spec) broken_invariant("a control id is always JSON serializable");
  auto resource = orvo_actions::Resource::make(std::string(kControlResourcePrefix) + id.value,
                                               std::string(kControlResourceKind), std::string(label))
                      .with_action(std::move(*spec));
  auto binding = orvo_actions::ActionBinding<orvo_actions::Unit>::unit_for(resource,
                                                                           orvo_actions::kControlInvokeAction);
  if (!binding) broken_invariant("the synthesized invoke action is nullary");
  return ControlInvoke{std::move(resource), std::move(*binding)};
}

orvo_ui::Button bind_control_invoke(orvo_ui::Button button, orvo_actions::OperationClass cls,
                                    std::function<void()> handler) {
  auto invoke = control_invoke_binding(orvo_actions::ControlId{button.widget_id().value_or("")}, button.label(), cls);
  return std::move(button)
      .on_action(std::move(invoke.binding))
      .with_control_resource(std::move(invoke.resource))
      .on_invoke(std::move(handler));
}

}  // namespace settings::actions

#pragma once
// Bindings of controls to actions: a control value becomes the argument object of one action of one
// resource, and a queued ControlInvocation once the action's spec accepts it.
#include <expected>
#include <concepts>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>

#include "orvo_actions/action_args.h"
#include "orvo_actions/action_spec.h"
#include "orvo_actions/address.h"
#include "orvo_actions/resource.h"

namespace orvo_actions {

// The value of a control that has none (a button).
using Unit = std::monostate;

struct BindingError {
  enum class Reason : std::uint8_t {
    ActionNotFound,   // the resource declares no action of that name
    TakesArguments,   // a unit binding was asked for an action with parameters
  };
  Reason reason = Reason::ActionNotFound;
  std::string resource;
  std::string action;
  std::string display() const;
  friend bool operator==(const BindingError&, const BindingError&) = default;
};

// Argument builders, one per kind of control value; each answers an object with one entry.
namespace converters {
ActionArgs unit(const Unit&);
ActionArgs toggle(const bool& value);       // {"value": b}
ActionArgs number(const double& value);     // {"value": n}; NaN and infinities become null
ActionArgs choice(const std::string& text);   // {"choice": text}
ActionArgs percent(const std::string& text);  // {"percent": text}, unchanged
// {key: text}; the converter keeps its own copy of the key.
std::function<ActionArgs(const std::string&)> keyed(std::string key);
}  // namespace converters

template <class T>
struct ActionBinding {
  using Converter = std::function<ActionArgs(const T&)>;

  std::string resource;
  std::string action;
  // A copy of the action's spec as it was when the binding was built.
  ActionSpec spec;
  // Shared by every copy of the binding; never changed.
  std::shared_ptr<const Converter> converter;

  // Binds the first action of that name with the given converter.
  static std::expected<ActionBinding, BindingError> for_action(const Resource& resource, std::string_view name,
                                                               Converter converter) {
    const ActionSpec* spec = resource.find_action(name);
    if (!spec) {
      return std::unexpected(BindingError{BindingError::Reason::ActionNotFound, resource.id, std::string(name)});
    }
    return ActionBinding{resource.id, std::string(name), *spec,
                         std::make_shared<const Converter>(std::move(converter))};
  }

  // Binds with the converter of the value type: toggle for bool, number for double, choice for text.
  static std::expected<ActionBinding, BindingError> for_action(const Resource& resource, std::string_view name)
    requires(std::same_as<T, bool> || std::same_as<T, double> || std::same_as<T, std::string>)
  {
    if constexpr (std::same_as<T, bool>) {
      return for_action(resource, name, converters::toggle);
    } else if constexpr (std::same_as<T, double>) {
      return for_action(resource, name, converters::number);
    } else {
      return for_action(resource, name, converters::choice);
    }
  }

  // A binding that sends no arguments; refused when the action is missing or has parameters.
  static std::expected<ActionBinding, BindingError> unit_for(const Resource& resource, std::string_view name)
    requires std::same_as<T, Unit>
  {
    auto binding = for_action(resource, name, converters::unit);
    if (binding && !binding->spec.params.empty()) {
      return std::unexpected(BindingError{BindingError::Reason::TakesArguments, resource.id, std::string(name)});
    }
    return binding;
  }

  ActionArgs arguments(const T& value) const { return (*converter)(value); }
  ActionAddress address() const { return {resource, action}; }

  friend bool operator==(const ActionBinding&, const ActionBinding&) = default;
};

// Encodes the control's value through the binding and checks it against the binding's spec; the
// encoded operation itself is dropped, only the acceptance matters here.
template <class T>
std::expected<ControlInvocation, BuildError> build_control_invocation(const ActionBinding<T>& binding,
                                                                      const T& value) {
  ActionArgs args = binding.arguments(value);
  auto built = binding.spec.build_json(args);
  if (!built) return std::unexpected(std::move(built.error()));
  return ControlInvocation{binding.resource, binding.action, args.to_json_text()};
}

}  // namespace orvo_actions

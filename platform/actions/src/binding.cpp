#include "orvo_actions/binding.h"

#include <cmath>

#include <nlohmann/json.hpp>

namespace orvo_actions {
namespace {

ActionArgs single(std::string_view key, nlohmann::ordered_json value) {
  nlohmann::ordered_json object = nlohmann::ordered_json::object();
  object[std::string(key)] = std::move(value);
  return ActionArgs(std::move(object));
}

}  // namespace

std::string BindingError::display() const {
  switch (reason) {
    case Reason::ActionNotFound:
      return "resource " + resource + " has no action " + action;
    case Reason::TakesArguments:
      return "action " + action + " of resource " + resource + " takes arguments";
  }
  return {};
}

namespace converters {

ActionArgs unit(const Unit&) { return ActionArgs(); }

ActionArgs toggle(const bool& value) { return single("value", value); }

ActionArgs number(const double& value) {
  return single("value", std::isfinite(value) ? nlohmann::ordered_json(value) : nlohmann::ordered_json(nullptr));
}

ActionArgs choice(const std::string& text) { return single("choice", text); }

ActionArgs percent(const std::string& text) { return single("percent", text); }

std::function<ActionArgs(const std::string&)> keyed(std::string key) {
  return [key = std::move(key)](const std::string& text) { return single(key, text); };
}

}  // namespace converters
}  // namespace orvo_actions

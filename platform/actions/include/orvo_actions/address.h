#pragma once
// Where an action lives: a resource id and an action name, with a text form that round-trips.
#include <optional>
#include <string>
#include <string_view>

namespace orvo_actions {

struct ActionAddress {
  std::string resource;
  std::string action;

  // "<resource>#<action>", with "%" and "#" inside either part written as %25 and %23, so any text
  // (":" "/" and non-ASCII included) decodes back to the same address.
  std::string encode() const;
  static std::optional<ActionAddress> decode(std::string_view text);

  friend bool operator==(const ActionAddress&, const ActionAddress&) = default;
};

// A control's request to run an action: resource id, action name and the encoded argument object.
struct ControlInvocation {
  std::string resource_id;
  std::string action;
  std::string args_json = "{}";

  friend bool operator==(const ControlInvocation&, const ControlInvocation&) = default;
};

}  // namespace orvo_actions

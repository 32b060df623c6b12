#pragma once
// What travels with a dispatched action: a title, the application and the source that asked.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvo_actions {

struct ActionApplication {
  std::string id;
  std::string name;
  friend bool operator==(const ActionApplication&, const ActionApplication&) = default;
};

struct ActionSource {
  std::string resource_id;
  std::string source_kind;
  std::string label;
  friend bool operator==(const ActionSource&, const ActionSource&) = default;
};

struct ActionContext {
  std::string title;
  // Ids of the resources the action touches.
  std::vector<std::string> resource_ids;
  std::optional<ActionApplication> application;
  std::optional<ActionSource> source;
  std::optional<std::string> reason;

  // This context with every part it lacks taken from the host's: an empty title or resource list,
  // an absent application, source or reason.
  [[nodiscard]] ActionContext enriched_by(const ActionContext& host) const;

  friend bool operator==(const ActionContext&, const ActionContext&) = default;
};

// A readable title from an identifier: "SetSetting" -> "Set setting", "set-charge-cap" ->
// "Set charge cap", "night_light" -> "Night light". An empty identifier gives "".
std::string humanize_identifier(std::string_view identifier);

}  // namespace orvo_actions

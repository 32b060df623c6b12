#include "catalogues/display_output_actions.h"

#include "actions/hardware_operations.h"
#include "catalogues/device_local_params.h"

namespace settings::actions {
namespace {

constexpr std::string_view kKind = DisplayOperation::kKind;

Tags output_tags() { return {"device-local", "display", "live-output"}; }

struct Named {
  std::string_view name;
  std::string_view title;
};

Named switch_names(OutputSwitch which) {
  switch (which) {
    case OutputSwitch::Enabled: return {"enabled", "Set display enabled"};
    case OutputSwitch::Primary: return {"primary", "Set primary display"};
    case OutputSwitch::Hdr: return {"hdr", "Set HDR"};
    case OutputSwitch::Vrr: break;
  }
  return {"vrr", "Set variable refresh rate"};
}

Named choice_names(OutputChoice which) {
  switch (which) {
    case OutputChoice::Scale: return {"scale", "Set output scale"};
    case OutputChoice::Position: return {"position", "Set output position"};
    case OutputChoice::Mirror: return {"mirror", "Set output mirroring"};
    case OutputChoice::Mode: return {"mode", "Set resolution and refresh rate"};
    case OutputChoice::Transform: return {"transform", "Set display orientation"};
    case OutputChoice::ColorProfile: break;
  }
  return {"color-profile", "Set colour profile"};
}

}  // namespace

std::optional<OutputSwitch> output_switch_named(std::string_view name) {
  for (const auto which : {OutputSwitch::Enabled, OutputSwitch::Primary, OutputSwitch::Hdr, OutputSwitch::Vrr}) {
    if (switch_names(which).name == name) return which;
  }
  return std::nullopt;
}

std::optional<orvo_actions::ActionSpec> output_switch_spec(std::string connector, OutputSwitch which) {
  const Named named = switch_names(which);
  return switch_action(std::string(named.name), std::string(named.title), kKind,
                       output_switch_handler(std::move(connector), which), output_tags());
}

std::optional<orvo_actions::ActionSpec> output_choice_spec(std::string connector, OutputChoice which,
                                                           std::vector<std::string> values) {
  const Named named = choice_names(which);
  return choice_action(std::string(named.name), std::string(named.title), kKind, std::move(values),
                       output_choice_handler(std::move(connector), which), output_tags());
}

}  // namespace settings::actions

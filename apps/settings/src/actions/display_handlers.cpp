#include "actions/display_handlers.h"

#include <utility>

#include "actions/handler_support.h"
#include "actions/operation_encoding.h"

namespace settings::actions {
namespace {

using orvo_actions::ActionArgs;
using Op = DisplayOperation;

orvo_actions::EncodedAction encode(Op operation) { return encode_operation(operation); }

}  // namespace

std::optional<OutputChoice> output_choice_named(std::string_view action_name) {
  if (action_name == "scale") return OutputChoice::Scale;
  if (action_name == "position") return OutputChoice::Position;
  if (action_name == "mirror") return OutputChoice::Mirror;
  if (action_name == "mode") return OutputChoice::Mode;
  if (action_name == "transform") return OutputChoice::Transform;
  if (action_name == "color-profile") return OutputChoice::ColorProfile;
  return std::nullopt;
}

orvo_actions::ArgumentHandler display_switch_handler(DisplaySwitch which) {
  return [which](const ActionArgs& args) {
    const bool on = handler_support::flag(args);
    if (which == DisplaySwitch::AutoBrightness) return encode(Op::SetAutoBrightness{on});
    return encode(Op::SetNightLight{on});
  };
}

orvo_actions::ArgumentHandler display_brightness_handler() {
  return [](const ActionArgs& args) { return encode(Op::SetBrightness{handler_support::number(args)}); };
}

orvo_actions::ArgumentHandler display_choice_handler(DisplayChoice which) {
  return [which](const ActionArgs& args) {
    std::string label = handler_support::choice(args);
    if (which == DisplayChoice::NightLightTemperature) return encode(Op::SetNightLightTemperature{std::move(label)});
    return encode(Op::SetScale{std::move(label)});
  };
}

orvo_actions::ArgumentHandler output_switch_handler(std::string connector, OutputSwitch which) {
  return [connector = std::move(connector), which](const ActionArgs& args) {
    const bool on = handler_support::flag(args);
    switch (which) {
      case OutputSwitch::Enabled: return encode(Op::SetEnabled{connector, on});
      case OutputSwitch::Primary: return encode(Op::SetPrimary{connector, on});
      case OutputSwitch::Hdr: return encode(Op::SetHdr{connector, on});
      case OutputSwitch::Vrr: break;
    }
    return encode(Op::SetVrr{connector, on});
  };
}

orvo_actions::ArgumentHandler output_choice_handler(std::string connector, OutputChoice which) {
  return [connector = std::move(connector), which](const ActionArgs& args) {
    std::string label = handler_support::choice(args);
    switch (which) {
      case OutputChoice::Scale: return encode(Op::SetOutputScale{connector, std::move(label)});
      case OutputChoice::Position: return encode(Op::SetPosition{connector, std::move(label)});
      case OutputChoice::Mirror: return encode(Op::SetMirror{connector, std::move(label)});
      case OutputChoice::Mode: return encode(Op::SetModeLabel{connector, std::move(label)});
      case OutputChoice::Transform: return encode(Op::SetTransformLabel{connector, std::move(label)});
      case OutputChoice::ColorProfile: break;
    }
    return encode(Op::SetColorProfileLabel{connector, std::move(label)});
  };
}

std::optional<orvo_actions::ArgumentHandler> output_choice_handler(std::string connector,
                                                                   std::string_view action_name) {
  std::optional<OutputChoice> which = output_choice_named(action_name);
  if (!which) return std::nullopt;
  return output_choice_handler(std::move(connector), *which);
}

}  // namespace settings::actions

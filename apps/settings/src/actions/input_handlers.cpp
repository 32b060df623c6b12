#include "actions/input_handlers.h"

#include <algorithm>
#include <utility>

#include "actions/handler_support.h"
#include "actions/operation_encoding.h"

namespace settings::actions {
namespace {

using orvo_actions::ActionArgs;
using Op = InputOperation;

orvo_actions::EncodedAction encode(Op operation) { return encode_operation(operation); }

Op switch_operation(InputSwitch which, bool on) {
  switch (which) {
    case InputSwitch::TouchpadNaturalScroll: return Op::SetTouchpadNaturalScroll{on};
    case InputSwitch::MouseNaturalScroll: return Op::SetMouseNaturalScroll{on};
    case InputSwitch::TapToClick: return Op::SetTapToClick{on};
    case InputSwitch::TapDrag: return Op::SetTapDrag{on};
    case InputSwitch::DisableWhileTyping: return Op::SetDisableWhileTyping{on};
    case InputSwitch::MiddleEmulation: return Op::SetMiddleEmulation{on};
    case InputSwitch::LeftHanded: return Op::SetLeftHanded{on};
    case InputSwitch::TouchpadGestures: break;
  }
  return Op::SetTouchpadGestures{on};
}

Op level_operation(InputLevel which, double value) {
  switch (which) {
    case InputLevel::TouchpadPointerSpeed: return Op::SetTouchpadPointerSpeed{value};
    case InputLevel::MousePointerSpeed: return Op::SetMousePointerSpeed{value};
    case InputLevel::KeyRepeat: break;
  }
  return Op::SetKeyRepeat{value};
}

Op choice_operation(InputChoice which, std::string text) {
  switch (which) {
    case InputChoice::AccelerationProfile: return Op::SetAccelerationProfile{std::move(text)};
    case InputChoice::ComposeKey: return Op::SetComposeKey{std::move(text)};
    case InputChoice::ActiveSource: break;
  }
  return Op::SetActiveSource{std::move(text)};
}

}  // namespace

orvo_actions::ArgumentHandler input_switch_handler(InputSwitch which) {
  return [which](const ActionArgs& args) { return encode(switch_operation(which, handler_support::flag(args))); };
}

orvo_actions::ArgumentHandler input_level_handler(InputLevel which) {
  return [which](const ActionArgs& args) {
    return encode(level_operation(which, std::clamp(handler_support::number(args), 0.0, 1.0)));
  };
}

orvo_actions::ArgumentHandler input_choice_handler(InputChoice which, std::string current) {
  return [which, current = std::move(current)](const ActionArgs& args) {
    return encode(choice_operation(which, handler_support::choice(args, current)));
  };
}

orvo_actions::ArgumentHandler keyboard_source_add_handler(std::string default_label) {
  return [default_label = std::move(default_label)](const ActionArgs& args) {
    return encode_operation(
        KeyboardSourceOperation{KeyboardSourceOperation::Add{handler_support::text(args, "label", default_label)}});
  };
}

}  // namespace settings::actions

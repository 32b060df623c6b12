#pragma once
// Argument handlers of the Mouse & Keyboard section: "settings.input-operation" and
// "settings.keyboard-source-operation".
#include <cstdint>
#include <string>

#include "orvo_actions/action_constructors.h"

namespace settings::actions {

// The eight switches: "touchpad-natural-scroll", "mouse-natural-scroll", "tap-to-click", "tap-drag",
// "disable-while-typing", "middle-emulation", "left-handed", "touchpad-gestures".
enum class InputSwitch : std::uint8_t {
  TouchpadNaturalScroll,
  MouseNaturalScroll,
  TapToClick,
  TapDrag,
  DisableWhileTyping,
  MiddleEmulation,
  LeftHanded,
  TouchpadGestures,
};
// The three levels: "touchpad-speed", "mouse-speed", "key-repeat".
enum class InputLevel : std::uint8_t { TouchpadPointerSpeed, MousePointerSpeed, KeyRepeat };
// The three preference choices: "acceleration-profile", "compose-key", "active-source".
enum class InputChoice : std::uint8_t { AccelerationProfile, ComposeKey, ActiveSource };

// "value" as a boolean: the switch's operation {enabled}.
orvo_actions::ArgumentHandler input_switch_handler(InputSwitch which);
// "value" as a number, clamped to 0..1: SetTouchpadPointerSpeed, SetMousePointerSpeed or SetKeyRepeat.
orvo_actions::ArgumentHandler input_level_handler(InputLevel which);
// "choice", `current` when absent: SetAccelerationProfile {profile}, SetComposeKey {key} or
// SetActiveSource {label}.
orvo_actions::ArgumentHandler input_choice_handler(InputChoice which, std::string current);

// "label", `default_label` (the first layout offered) when absent: KeyboardSourceOperation::Add.
orvo_actions::ArgumentHandler keyboard_source_add_handler(std::string default_label);

}  // namespace settings::actions

#include "preferences/records.h"

#include <utility>

#include "settings_store/input_config.h"

namespace settings::preferences {

void InputPrefs::normalise_sources() {
  settings_store::hardware::RichInputConfig config;
  config.natural_scroll = natural_scroll;
  config.touchpad_natural_scroll = touchpad_natural_scroll;
  config.mouse_natural_scroll = mouse_natural_scroll;
  config.tap_to_click = tap_to_click;
  config.pointer_speed = pointer_speed;
  config.touchpad_pointer_speed = touchpad_pointer_speed;
  config.mouse_pointer_speed = mouse_pointer_speed;
  config.key_repeat = key_repeat;
  config.key_repeat_delay_ms = key_repeat_delay_ms;
  config.key_repeat_rate_hz = key_repeat_rate_hz;
  config.keyboard_layout = keyboard_layout;
  config.keyboard_layouts = keyboard_layouts;
  config.tap_drag = tap_drag;
  config.disable_while_typing = disable_while_typing;
  config.middle_emulation = middle_emulation;
  config.left_handed = left_handed;
  config.adaptive = accel_profile != "flat";
  config.touchpad_gestures = touchpad_gestures;
  config.compose_key = compose_key;
  config.pen_output = pen_output;

  config.normalise_sources();

  keyboard_layout = std::move(config.keyboard_layout);
  keyboard_layouts = std::move(config.keyboard_layouts);
}

}  // namespace settings::preferences

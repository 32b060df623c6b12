#pragma once
// The session's pointer and keyboard configuration as the settings store hands it to the input
// stack. Keyboard input sources are XKB ids such as "us" or "de(nodeadkeys)".
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace settings_store::hardware {

struct RichInputConfig {
  bool natural_scroll = false;
  std::optional<bool> touchpad_natural_scroll;
  std::optional<bool> mouse_natural_scroll;
  bool tap_to_click = true;
  double pointer_speed = 0.5;
  std::optional<double> touchpad_pointer_speed;
  std::optional<double> mouse_pointer_speed;
  double key_repeat = 0.5;
  std::optional<std::uint32_t> key_repeat_delay_ms;
  std::optional<std::uint32_t> key_repeat_rate_hz;
  std::string keyboard_layout = "us";  // the source in use
  std::vector<std::string> keyboard_layouts{"us"};  // the active sources, in order
  bool tap_drag = true;
  bool disable_while_typing = true;
  bool middle_emulation = true;
  bool left_handed = false;
  bool adaptive = true;  // adaptive pointer acceleration; flat when false
  bool touchpad_gestures = true;
  std::optional<std::string> compose_key;
  std::optional<std::string> pen_output;

  // Cleans the keyboard sources: ids are trimmed, blank and repeated ones dropped (the first
  // stays), the source in use is always in the list (put first when it was missing), a blank
  // source in use becomes the first of the list, and with nothing left both fall back to "us".
  void normalise_sources();
};

}  // namespace settings_store::hardware

#pragma once
// Live queries of the catalogues. The base class answers as if nothing were attached; a query that
// fails on the running system answers the same, never an error.
#include <optional>
#include <span>
#include <string>

#include "settings_store/keyboard_layouts.h"

namespace settings::actions {

// Keyboard layouts and the assistive programs installed on this machine.
class InputQueries {
 public:
  virtual ~InputQueries() = default;

  // The keyboard layout catalogue, in catalogue order (source id, display name).
  virtual std::span<const settings_store::hardware::KeyboardLayout> keyboard_layouts() const { return {}; }
  // Whether the on-screen keyboard is installed.
  virtual bool on_screen_keyboard_installed() const { return false; }
  // The name of the screen reader engine on the search path ("Speech Dispatcher", "eSpeak NG").
  virtual std::optional<std::string> screen_reader_engine() const { return std::nullopt; }

  bool screen_reader_available() const { return screen_reader_engine().has_value(); }
};

// The queries against the running system; one instance per process. The layout catalogue is read
// once, on first use; the assistive programs are looked for at every call, so that one installed
// while the program runs shows up at the next build.
const InputQueries& system_input_queries();

}  // namespace settings::actions

#pragma once
// The device-local operations that the root carries out itself, on the interface thread: pointer and
// keyboard behaviour and the active keyboard sources (the preferences file), and the clock settings
// (the system's time service, and the clock format in the preferences file). Each call loads what
// it changes afresh, changes it, saves it, and answers the outcome as the sentence to show; a
// failed check leaves the file as it was.
#include <cstddef>
#include <expected>
#include <string>

#include "actions/system_operations.h"
#include "device_local/keyboard_layouts.h"
#include "preferences/records.h"

namespace settings::device_local {

struct LocalOutcome {
  bool succeeded = false;
  std::string message;
  friend bool operator==(const LocalOutcome&, const LocalOutcome&) = default;
};

inline constexpr std::size_t kMaxKeyboardSources = 4;

LocalOutcome run_input_operation(const actions::InputOperation& operation, const KeyboardLayoutCatalogue& catalogue);
LocalOutcome run_keyboard_source_operation(const actions::KeyboardSourceOperation& operation,
                                           const KeyboardLayoutCatalogue& catalogue);
LocalOutcome run_time_date_operation(const actions::TimeDateOperation& operation);

// The changes themselves, on a loaded record: the success sentence, or the failure message with the
// record left as it was.
std::expected<std::string, std::string> apply_input_operation(preferences::InputPrefs& input,
                                                              const actions::InputOperation& operation,
                                                              const KeyboardLayoutCatalogue& catalogue);
std::expected<std::string, std::string> apply_keyboard_source_operation(
    preferences::InputPrefs& input, const actions::KeyboardSourceOperation& operation,
    const KeyboardLayoutCatalogue& catalogue);

}  // namespace settings::device_local

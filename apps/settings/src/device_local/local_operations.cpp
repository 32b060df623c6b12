#include "device_local/local_operations.h"

#include <algorithm>
#include <array>
#include <utility>
#include <variant>

#include "os_actions/time.h"
#include "preferences/preferences_file.h"
#include <orvo_runtime/overloaded.h>

namespace settings::device_local {
namespace {

using namespace settings::actions;
using preferences::InputPrefs;
using Applied = std::expected<std::string, std::string>;

using orvo_runtime::Overloaded;

Applied failed(std::string_view message) { return std::unexpected(std::string(message)); }

// Sets a plain field and answers the success sentence.
template <class Field, class Value>
Applied set(Field& field, Value value, std::string_view message) {
  field = std::move(value);
  return std::string(message);
}

// A unit value (finite, 0.0 to 1.0) stored with `store`.
template <class Store>
Applied set_unit(double value, std::string_view message, Store store) {
  auto checked = preferences::validate_unit_interval(value);
  if (!checked) return std::unexpected(checked.error());
  store(*checked);
  return std::string(message);
}

// The id of the catalogue entry whose display name is `label`.
std::optional<std::string> installed_id(const KeyboardLayoutCatalogue& catalogue, const std::string& label) {
  if (!catalogue) return std::nullopt;
  for (auto& entry : catalogue()) {
    if (entry.name == label) return std::move(entry.id);
  }
  return std::nullopt;
}

constexpr std::string_view kNotInstalled = "keyboard input source is no longer installed";

constexpr std::array<std::pair<std::string_view, std::string_view>, 5> kComposeKeys{{
    {"Right Alt", "ralt"},
    {"Menu", "menu"},
    {"Caps Lock", "caps"},
    {"Right Super", "rwin"},
    {"Left Super", "lwin"},
}};

Applied set_compose_key(InputPrefs& input, const std::string& key) {
  constexpr std::string_view kUpdated = "compose key updated";
  if (key == "Disabled") return set(input.compose_key, std::nullopt, kUpdated);
  for (const auto& [label, value] : kComposeKeys) {
    if (key == label) return set(input.compose_key, std::string(value), kUpdated);
  }
  return failed("unsupported compose key");
}

bool contains(const std::vector<std::string>& list, const std::string& id) {
  return std::find(list.begin(), list.end(), id) != list.end();
}

Applied add_source(InputPrefs& input, const std::string& label, const KeyboardLayoutCatalogue& catalogue) {
  auto id = installed_id(catalogue, label);
  if (!id) return failed(kNotInstalled);
  if (contains(input.keyboard_layouts, *id)) return failed("keyboard input source is already active");
  if (input.keyboard_layouts.size() >= kMaxKeyboardSources) {
    return failed("the maximum number of keyboard input sources is already active");
  }
  input.keyboard_layout = *id;
  input.keyboard_layouts.push_back(std::move(*id));
  return std::string("keyboard input source added");
}

Applied remove_source(InputPrefs& input, std::uint64_t index) {
  auto& list = input.keyboard_layouts;
  if (list.size() < 2 || index >= list.size()) return failed("keyboard input source can no longer be removed");
  const auto at = static_cast<std::ptrdiff_t>(index);
  const bool was_in_use = list[index] == input.keyboard_layout;
  list.erase(list.begin() + at);
  if (was_in_use) {
    // The entry that moved into its place, or the new last one when it was the last.
    input.keyboard_layout = list[std::min<std::size_t>(index, list.size() - 1)];
  }
  return std::string("keyboard input source removed");
}

// Loads the preferences, changes the input section, normalises the sources and saves; a failed
// change saves nothing.
template <class Change>
LocalOutcome change_input_preferences(bool normalise_first, std::string_view save_failure, Change change) {
  auto prefs = preferences::load_preferences();
  if (normalise_first) prefs.input.normalise_sources();
  auto applied = change(prefs.input);
  if (!applied) return {false, std::move(applied.error())};
  prefs.input.normalise_sources();
  auto saved = preferences::save_preferences(prefs);
  if (!saved) return {false, std::string(save_failure) + saved.error()};
  return {true, std::move(*applied)};
}

}  // namespace

Applied apply_input_operation(InputPrefs& input, const InputOperation& operation,
                              const KeyboardLayoutCatalogue& catalogue) {
  using Op = InputOperation;
  return std::visit(
      Overloaded{
          [&](const Op::SetTouchpadNaturalScroll& op) {
            return set(input.touchpad_natural_scroll, op.enabled, "touchpad natural scrolling updated");
          },
          [&](const Op::SetMouseNaturalScroll& op) {
            return set(input.mouse_natural_scroll, op.enabled, "mouse natural scrolling updated");
          },
          [&](const Op::SetTapToClick& op) { return set(input.tap_to_click, op.enabled, "tap to click updated"); },
          [&](const Op::SetTouchpadPointerSpeed& op) {
            return set_unit(op.value, "touchpad speed updated", [&](double v) { input.touchpad_pointer_speed = v; });
          },
          [&](const Op::SetMousePointerSpeed& op) {
            return set_unit(op.value, "mouse speed updated", [&](double v) { input.mouse_pointer_speed = v; });
          },
          [&](const Op::SetKeyRepeat& op) {
            return set_unit(op.value, "key repeat updated", [&](double v) {
              input.key_repeat = v;
              // The slider replaces any finer delay and rate set elsewhere.
              input.key_repeat_delay_ms.reset();
              input.key_repeat_rate_hz.reset();
            });
          },
          [&](const Op::SetTapDrag& op) { return set(input.tap_drag, op.enabled, "tap and drag updated"); },
          [&](const Op::SetDisableWhileTyping& op) {
            return set(input.disable_while_typing, op.enabled, "disable while typing updated");
          },
          [&](const Op::SetMiddleEmulation& op) {
            return set(input.middle_emulation, op.enabled, "middle-button emulation updated");
          },
          [&](const Op::SetLeftHanded& op) { return set(input.left_handed, op.enabled, "pointer handedness updated"); },
          [&](const Op::SetTouchpadGestures& op) {
            return set(input.touchpad_gestures, op.enabled, "touchpad gestures updated");
          },
          [&](const Op::SetAccelerationProfile& op) {
            if (op.profile != "Adaptive" && op.profile != "Flat") return failed("unsupported acceleration profile");
            return set(input.accel_profile, std::string(op.profile == "Flat" ? "flat" : "adaptive"),
                       "pointer acceleration updated");
          },
          [&](const Op::SetComposeKey& op) { return set_compose_key(input, op.key); },
          [&](const Op::SetActiveSource& op) {
            auto id = installed_id(catalogue, op.label);
            if (!id) return failed(kNotInstalled);
            if (!contains(input.keyboard_layouts, *id)) {
              return failed("keyboard input source is not active on this device");
            }
            return set(input.keyboard_layout, std::move(*id), "active keyboard source updated");
          },
      },
      operation);
}

Applied apply_keyboard_source_operation(InputPrefs& input, const KeyboardSourceOperation& operation,
                                        const KeyboardLayoutCatalogue& catalogue) {
  using Op = KeyboardSourceOperation;
  auto& list = input.keyboard_layouts;
  return std::visit(
      Overloaded{
          [&](const Op::Add& op) { return add_source(input, op.label, catalogue); },
          [&](const Op::MoveUp& op) {
            if (op.index == 0 || op.index >= list.size()) return failed("keyboard input source can no longer move up");
            std::swap(list[op.index - 1], list[op.index]);
            return Applied(std::string("keyboard input source moved up"));
          },
          [&](const Op::MoveDown& op) {
            // Written so that the largest index cannot wrap around.
            if (op.index >= list.size() || op.index + 1 >= list.size()) {
              return failed("keyboard input source can no longer move down");
            }
            std::swap(list[op.index], list[op.index + 1]);
            return Applied(std::string("keyboard input source moved down"));
          },
          [&](const Op::Remove& op) { return remove_source(input, op.index); },
      },
      operation);
}

LocalOutcome run_input_operation(const InputOperation& operation, const KeyboardLayoutCatalogue& catalogue) {
  return change_input_preferences(false, "could not persist input preferences: ", [&](InputPrefs& input) {
    return apply_input_operation(input, operation, catalogue);
  });
}

LocalOutcome run_keyboard_source_operation(const KeyboardSourceOperation& operation,
                                           const KeyboardLayoutCatalogue& catalogue) {
  return change_input_preferences(true, "could not persist keyboard input sources: ", [&](InputPrefs& input) {
    return apply_keyboard_source_operation(input, operation, catalogue);
  });
}

LocalOutcome run_time_date_operation(const TimeDateOperation& operation) {
  using Op = TimeDateOperation;
  return std::visit(
      Overloaded{
          [](const Op::SetAutomaticTime& op) -> LocalOutcome {
            auto done = os_actions::time::set_ntp(op.enabled);
            if (!done) return {false, "automatic time could not be changed: " + done.error()};
            return {true, "automatic time updated"};
          },
          [](const Op::SetTimezone& op) -> LocalOutcome {
            // A zone the system does not know is refused before the time service is asked.
            auto zones = os_actions::time::list_timezones();
            if (!zones || std::find(zones->begin(), zones->end(), op.timezone) == zones->end()) {
              return {false, "time zone is not available on this device"};
            }
            auto done = os_actions::time::set_timezone(op.timezone);
            if (!done) return {false, "time zone could not be changed: " + done.error()};
            return {true, "time zone updated"};
          },
          [](const Op::SetHourCycle& op) -> LocalOutcome {
            auto locale = preferences::load_locale_preferences();
            locale.time_format = op.h24 ? preferences::TimeFormat::H24 : preferences::TimeFormat::H12;
            auto saved = preferences::save_locale_preferences(locale);
            if (!saved) return {false, "could not persist clock format: " + saved.error()};
            return {true, "clock format updated"};
          },
      },
      operation);
}

}  // namespace settings::device_local

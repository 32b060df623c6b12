// The preferences file: any text must load as preferences and merge (into itself when it is an
// object, else into a new file), never crash.
// What a merge writes must load back as the record that was merged.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "preferences/preferences_file.h"

namespace {

using namespace settings::preferences;

// A number beyond the 32-bit range in the balance turns into infinity, which is written as null
// and then refused: that section cannot read back.
bool all_finite(const Preferences& p) {
  const double values[] = {p.audio.balance,
                           p.display.scale,
                           p.input.pointer_speed,
                           p.input.key_repeat,
                           p.input.touchpad_pointer_speed.value_or(0),
                           p.input.mouse_pointer_speed.value_or(0),
                           p.appearance.text_scale,
                           p.appearance.ui_scale};
  for (double v : values) {
    if (!std::isfinite(v)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const Preferences prefs = decode_preferences(text);
  const Locale locale = decode_locale(text);

  // Text that is not a JSON object is refused (and reads as the defaults); the record still writes
  // into a new file. Every decoded record can be written.
  auto merged = merge_preferences_json(prefs, text);
  if (!merged) {
    if (!(prefs == decode_preferences("")) || !(locale == decode_locale(""))) std::abort();
    merged = merge_preferences_json(prefs, "");
    if (!merged) std::abort();
  }
  if (all_finite(prefs) && !(decode_preferences(*merged) == prefs)) std::abort();
  if (!(decode_locale(*merged) == locale)) std::abort();

  const auto with_locale = merge_locale_json(locale, *merged);
  if (!with_locale || !(decode_locale(*with_locale) == locale)) std::abort();
  if (all_finite(prefs) && !(decode_preferences(*with_locale) == prefs)) std::abort();
  return 0;
}

// Chords and the shortcut and desktop-controls files: any text gives a value or an error, never a
// crash; a chord read writes back to its canonical form, which reads the same, and a file read
// writes back to text that reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings_store/shortcut_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace hw = settings_store::hardware;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto chord = hw::KeyChord::parse(text)) {
    const auto again = hw::KeyChord::parse(chord->display());
    if (!again || *again != *chord) std::abort();
  }
  if (const auto config = hw::ShortcutConfig::parse(text)) {
    const auto again = hw::ShortcutConfig::parse(config->to_json());
    if (!again || again->bindings != config->bindings) std::abort();
  }
  if (const auto controls = hw::DesktopControlsConfig::parse(text)) {
    const auto again = hw::DesktopControlsConfig::parse(controls->to_json());
    if (!again || again->to_json() != controls->to_json()) std::abort();
  }
  return 0;
}

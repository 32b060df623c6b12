// The user's theme file: any bytes give a theme or nothing, never a crash, and a theme that is read
// keeps the name it was asked for and a corner radius within bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "orvo_ui/theme.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (const auto theme = orvo_ui::Theme::from_theme_file("custom:fuzz", text)) {
    if (theme->name != "custom:fuzz" || !(theme->corner_radius >= 0 && theme->corner_radius <= 64)) std::abort();
  }
  return 0;
}

// Text that reaches the sidebar from outside: search queries typed by the user (trimmed of Unicode
// white space and matched against every section) and the index paths of key-action ids.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sections/sections.h"
#include "sidebar/text_forms.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);

  const std::string_view trimmed = settings::settings_app::trim_unicode_whitespace(text);
  if (trimmed.data() < text.data() || trimmed.data() + trimmed.size() > text.data() + text.size()) __builtin_trap();
  for (auto section : settings::settings_app::SIDEBAR_ORDER) {
    if (section.matches(text) != section.matches(trimmed)) __builtin_trap();
  }

  auto path = settings::sidebar::parse_index_path(text);
  if (path && path->empty()) __builtin_trap();
  return 0;
}

// The XKB rules reader: any text is either refused or gives a catalogue whose ids are unique
// input-source ids and whose names are non-empty UTF-8; never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>

#include "settings_store/keyboard_layouts.h"

namespace {

using settings_store::hardware::input_source_id;

bool valid_utf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xC0U) != 0x80U) return false;
    }
    i += length;
  }
  return true;
}

bool well_formed_id(std::string_view id) {
  const auto colon = id.find(':');
  if (colon == std::string_view::npos) return input_source_id(id) == id;
  return input_source_id(id.substr(0, colon), id.substr(colon + 1)) == id;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto catalogue = settings_store::hardware::parse_rules_layouts(text);
  if (!catalogue) return 0;
  std::unordered_set<std::string> ids;
  for (const auto& entry : *catalogue) {
    if (!ids.insert(entry.id).second || !well_formed_id(entry.id) || entry.name.empty()) std::abort();
    // A catalogue name that is not valid UTF-8 could not travel in a JSON payload.
    if (!valid_utf8(entry.name)) std::abort();
  }
  return 0;
}

#include "utf8.h"

#include <cstdint>
#include <cstring>

namespace orvo_doc::utf8 {

bool is_valid(std::string_view text) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.data());
  const auto* end = p + text.size();
  while (p < end) {
    // Keys and most strings are ASCII: skip it eight bytes at a time.
    while (end - p >= 8) {
      std::uint64_t chunk;
      std::memcpy(&chunk, p, 8);
      if (chunk & 0x8080808080808080ULL) break;
      p += 8;
    }
    if (p == end) break;
    const std::uint8_t lead = *p;
    if (lead < 0x80) {
      ++p;
      continue;
    }
    std::size_t extra = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      if (lead == 0xE0) low = 0xA0;   // overlong
      if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      if (lead == 0xF0) low = 0x90;   // overlong
      if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
      return false;
    }
    if (static_cast<std::size_t>(end - p) <= extra) return false;
    if (p[1] < low || p[1] > high) return false;
    for (std::size_t i = 2; i <= extra; ++i) {
      if ((p[i] & 0xC0) != 0x80) return false;
    }
    p += extra + 1;
  }
  return true;
}

std::size_t count_code_points(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) {
    if ((static_cast<std::uint8_t>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::size_t byte_offset(std::string_view text, std::size_t index) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<std::uint8_t>(text[i]) & 0xC0) == 0x80) continue;
    if (seen == index) return i;
    ++seen;
  }
  return text.size();
}

}  // namespace orvo_doc::utf8

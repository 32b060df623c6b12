#include "orvo_json/utf8.h"

namespace orvo_json::utf8 {

std::size_t sequence_length(std::string_view s) {
  if (s.empty()) return 0;
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const auto cont = [&](std::size_t i) { return i < s.size() && (b(i) & 0xC0) == 0x80; };
  const unsigned char lead = b(0);
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return cont(1) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (!cont(1) || !cont(2)) return 0;
    if (lead == 0xE0 && b(1) < 0xA0) return 0;   // overlong
    if (lead == 0xED && b(1) >= 0xA0) return 0;  // surrogate
    return 3;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (!cont(1) || !cont(2) || !cont(3)) return 0;
    if (lead == 0xF0 && b(1) < 0x90) return 0;   // overlong
    if (lead == 0xF4 && b(1) >= 0x90) return 0;  // beyond U+10FFFF
    return 4;
  }
  return 0;
}

bool is_valid(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = sequence_length(text.substr(i));
    if (n == 0) return false;
    i += n;
  }
  return true;
}

namespace {

// How many bytes of an invalid stretch starting at `s[0]` form one maximal part: a lead byte with
// the continuation bytes that could still have belonged to it, or the single byte.
std::size_t invalid_part(std::string_view s) {
  const auto lead = static_cast<unsigned char>(s[0]);
  std::size_t want = 0;
  if (lead >= 0xC2 && lead <= 0xDF) want = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) want = 3;
  else if (lead >= 0xF0 && lead <= 0xF4) want = 4;
  std::size_t n = 1;
  while (n < want && n < s.size() && sequence_length(s.substr(0, n + 1)) == 0 &&
         (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) {
    // A continuation byte after a lead belongs to the cut sequence unless the prefix is already
    // impossible (an overlong or surrogate second byte).
    const auto second = static_cast<unsigned char>(s[1]);
    if (n == 1 && ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
                   (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90))) {
      break;
    }
    ++n;
  }
  return n;
}

}  // namespace

std::string to_valid(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = sequence_length(text.substr(i));
    if (n > 0) {
      i += n;
      continue;
    }
    out.append(text.substr(run, i - run));
    out += kReplacement;
    i += invalid_part(text.substr(i));
    run = i;
  }
  out.append(text.substr(run));
  return out;
}

}  // namespace orvo_json::utf8

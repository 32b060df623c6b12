#pragma once
// Well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF) and the one rule for
// text that is not: every invalid stretch becomes U+FFFD. Every text field keeps to it, so bytes from
// outside never reach the text shaper or a strict JSON dump.
#include <cstddef>
#include <string>
#include <string_view>

namespace orvo_json::utf8 {

inline constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the well-formed sequence at the start of `text`, or 0 when it does not start with one
// (an empty text included).
std::size_t sequence_length(std::string_view text);

bool is_valid(std::string_view text);

// The text with each maximal invalid part (one byte, or the start of a sequence cut short) replaced
// by U+FFFD; valid text comes back unchanged.
std::string to_valid(std::string_view text);

}  // namespace orvo_json::utf8

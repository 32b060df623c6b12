#pragma once
// Text helpers for what other programs print: their output is bytes, not necessarily UTF-8, and
// may hold terminal control sequences or run on for pages. These turn it into text that is safe and
// short enough to show. Lengths count characters (code points), never bytes, so a cut never splits
// a character.
#include <cstddef>
#include <string>
#include <string_view>

namespace orvo_runtime::text {

// The bytes as UTF-8, with every invalid sequence replaced by U+FFFD (one replacement for each
// maximal invalid subpart, as the Unicode standard recommends).
std::string decode_utf8_lossy(std::string_view bytes);

// Whether the bytes are well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF).
bool is_valid_utf8(std::string_view bytes);

// U+0000..U+001F and U+007F..U+009F.
constexpr bool is_control_character(char32_t c) { return c <= 0x1F || (c >= 0x7F && c <= 0x9F); }

// Unicode's White_Space property.
bool is_unicode_whitespace(char32_t c);

enum class ControlFilter {
  DropAll,                // every control character goes
  KeepTabAndLineFeed,     // tab and line feed stay, so multi-line messages keep their shape
};

// The valid UTF-8 text without its control characters.
std::string drop_control_characters(std::string_view text, ControlFilter filter);

// The first `count` characters of valid UTF-8 text (all of it when it is shorter).
std::string_view first_characters(std::string_view text, std::size_t count);

// The text without leading and trailing Unicode white space. Invalid UTF-8 is kept as it is.
std::string_view trim_unicode_whitespace(std::string_view text);

// The text without leading and trailing ASCII white space (space, tab, CR, LF, FF, VT).
std::string_view trim_ascii_whitespace(std::string_view text);

// A program's standard error as a message: decoded (invalid UTF-8 replaced), control characters
// other than tab and line feed dropped, the first `limit` characters kept, white space trimmed.
inline constexpr std::size_t kErrorTextLimit = 512;
std::string clean_error_output(std::string_view bytes, std::size_t limit = kErrorTextLimit);

// A program's standard error as the detail of a failure sentence: decoded (invalid UTF-8 replaced)
// and trimmed; the fallback when nothing is left, else its first `limit` characters that are not
// control characters (every control character is dropped and does not count).
std::string command_detail_text(std::string_view bytes, std::string_view fallback, std::size_t limit = kErrorTextLimit);

}  // namespace orvo_runtime::text

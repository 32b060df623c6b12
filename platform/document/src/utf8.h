#pragma once
// UTF-8 helpers for keys, strings and text positions (positions count code points).
#include <cstddef>
#include <string_view>

namespace orvo_doc::utf8 {

// Well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_valid(std::string_view text);

// The number of code points of valid UTF-8 text.
std::size_t count_code_points(std::string_view text);

// The byte offset of code point `index` in valid UTF-8 text; `index` may equal the count (the end).
std::size_t byte_offset(std::string_view text, std::size_t index);

}  // namespace orvo_doc::utf8

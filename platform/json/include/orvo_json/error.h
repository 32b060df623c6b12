#pragma once
// The error value of every JSON decode: what went wrong and, for text input, where.
#include <cstddef>
#include <string>

namespace orvo_json {

struct Error {
  std::string reason;      // "missing field `enabled`", "trailing characters", ...
  std::size_t line = 0;    // 1-based; 0 when the input was a JSON value rather than text
  std::size_t column = 0;  // bytes into the line

  // The text a caller reports: the reason, then " at line L column C" when the position is known.
  std::string text() const;

  bool operator==(const Error&) const = default;
};

}  // namespace orvo_json

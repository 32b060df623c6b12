#pragma once
// Small values turned into text, and the one text turned back into values: printer supply levels,
// key fingerprints, document heads, and the child-index paths of key-action ids.
#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_doc/change_hash.h"

namespace settings::sidebar {

// "Black 42%" for a known level (not clamped to 100); "Black — level not reported" without one.
std::string supply_level_label(std::string_view name, std::optional<std::uint8_t> level);

// Each byte as two upper-case hexadecimal digits, one text per byte.
std::vector<std::string> hex_pairs(std::span<const std::uint8_t> bytes);

// Each change hash in its display form, in the same order.
std::vector<std::string> heads_to_text(std::vector<orvo_doc::ChangeHash> heads);

// Why a piece of an index path is not a number.
enum class IndexParseError : std::uint8_t { Empty, InvalidDigit, Overflow };

struct IndexPathError {
  IndexParseError kind;
  std::string piece;  // the piece that failed
  friend bool operator==(const IndexPathError&, const IndexPathError&) = default;
};

std::string_view to_string(IndexParseError kind);

// Splits at every "/" and reads each piece as an unsigned 64-bit decimal number (an optional leading
// "+", then digits only). The first piece that is not such a number fails the whole path.
std::expected<std::vector<std::uint64_t>, IndexPathError> parse_index_path(std::string_view text);

}  // namespace settings::sidebar

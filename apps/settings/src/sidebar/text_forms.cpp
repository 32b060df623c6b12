#include "sidebar/text_forms.h"

#include <fmt/format.h>

#include <limits>

namespace settings::sidebar {

namespace {

std::expected<std::uint64_t, IndexParseError> parse_index(std::string_view piece) {
  if (piece.empty()) return std::unexpected(IndexParseError::Empty);
  if (piece.starts_with('+')) piece.remove_prefix(1);
  // A sign alone is not a number.
  if (piece.empty()) return std::unexpected(IndexParseError::InvalidDigit);
  std::uint64_t value = 0;
  for (char c : piece) {
    if (c < '0' || c > '9') return std::unexpected(IndexParseError::InvalidDigit);
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (value > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) {
      return std::unexpected(IndexParseError::Overflow);
    }
    value = value * 10 + digit;
  }
  return value;
}

}  // namespace

std::string supply_level_label(std::string_view name, std::optional<std::uint8_t> level) {
  if (level) return fmt::format("{} {}%", name, *level);
  return fmt::format("{} — level not reported", name);
}

std::vector<std::string> hex_pairs(std::span<const std::uint8_t> bytes) {
  std::vector<std::string> out;
  out.reserve(bytes.size());
  for (std::uint8_t b : bytes) out.push_back(fmt::format("{:02X}", b));
  return out;
}

std::vector<std::string> heads_to_text(std::vector<orvo_doc::ChangeHash> heads) {
  std::vector<std::string> out;
  out.reserve(heads.size());
  for (const auto& head : heads) out.push_back(head.to_hex());
  return out;
}

std::string_view to_string(IndexParseError kind) {
  switch (kind) {
    case IndexParseError::Empty: return "cannot parse integer from empty string";
    case IndexParseError::InvalidDigit: return "invalid digit found in string";
    case IndexParseError::Overflow: return "number too large to fit in target type";
  }
  return "";
}

std::expected<std::vector<std::uint64_t>, IndexPathError> parse_index_path(std::string_view text) {
  std::vector<std::uint64_t> indices;
  while (true) {
    const std::size_t slash = text.find('/');
    const std::string_view piece = text.substr(0, slash);
    auto index = parse_index(piece);
    if (!index) return std::unexpected(IndexPathError{index.error(), std::string(piece)});
    indices.push_back(*index);
    if (slash == std::string_view::npos) return indices;
    text.remove_prefix(slash + 1);
  }
}

}  // namespace settings::sidebar

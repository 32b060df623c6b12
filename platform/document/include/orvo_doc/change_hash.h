#pragma once
// The SHA-256 hash that names one committed change of a document.
#include <array>
#include <compare>
#include <cstdint>
#include <string>

namespace orvo_doc {

struct ChangeHash {
  std::array<std::uint8_t, 32> bytes{};

  // Lower-case hexadecimal, 64 digits: the display form of a change hash.
  std::string to_hex() const;

  friend auto operator<=>(const ChangeHash&, const ChangeHash&) = default;
};

}  // namespace orvo_doc

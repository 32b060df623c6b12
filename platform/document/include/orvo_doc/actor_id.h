#pragma once
// The identity of the writer of a document's changes: 16 random bytes.
#include <array>
#include <compare>
#include <cstdint>
#include <string>

namespace orvo_doc {

class ActorId {
 public:
  static constexpr std::size_t kSize = 16;
  using Bytes = std::array<std::uint8_t, kSize>;

  explicit constexpr ActorId(const Bytes& bytes) : bytes_(bytes) {}
  // Fresh bytes from the system's random source.
  static ActorId random();

  const Bytes& to_bytes() const { return bytes_; }
  // Lower-case hexadecimal, two digits per byte.
  std::string to_hex_string() const;

  friend auto operator<=>(const ActorId&, const ActorId&) = default;

 private:
  Bytes bytes_;
};

}  // namespace orvo_doc

#pragma once
// Ed25519 keys and signatures, SHA-256, and a byte array that wipes itself. Everything signed in the
// identity family is signed through `sign` and checked through `verify` here.
#include <sodium.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace orvo_user_identity {

struct PublicKey {
  std::array<std::uint8_t, 32> bytes{};
  bool operator==(const PublicKey&) const = default;
};

struct Signature {
  std::array<std::uint8_t, 64> bytes{};
  bool operator==(const Signature&) const = default;
};

using Digest = std::array<std::uint8_t, 32>;

// Fixed-size secret bytes, wiped when dropped or overwritten. Not copyable.
template <std::size_t N>
class SecretBytes {
 public:
  SecretBytes() = default;
  explicit SecretBytes(std::span<const std::uint8_t, N> bytes) { std::copy(bytes.begin(), bytes.end(), bytes_.begin()); }
  ~SecretBytes() { sodium_memzero(bytes_.data(), N); }
  SecretBytes(SecretBytes&& other) noexcept : bytes_(other.bytes_) { sodium_memzero(other.bytes_.data(), N); }
  SecretBytes& operator=(SecretBytes&& other) noexcept {
    if (this != &other) {
      bytes_ = other.bytes_;
      sodium_memzero(other.bytes_.data(), N);
    }
    return *this;
  }
  SecretBytes(const SecretBytes&) = delete;
  SecretBytes& operator=(const SecretBytes&) = delete;

  std::span<const std::uint8_t, N> view() const { return bytes_; }
  std::span<std::uint8_t, N> mutable_view() { return bytes_; }

 private:
  std::array<std::uint8_t, N> bytes_{};
};

// The 32-byte Ed25519 seed (RFC 8032's "secret key"), from which the key pair follows.
using Seed = SecretBytes<32>;

namespace ed25519 {

// The public key of a seed.
PublicKey public_key(const Seed& seed);
// The detached signature of `message` by the key pair of `seed`.
Signature sign(const Seed& seed, std::span<const std::uint8_t> message);
// Whether `signature` is a valid signature of `message` by `key`.
bool verify(const PublicKey& key, std::span<const std::uint8_t> message, const Signature& signature);

}  // namespace ed25519

Digest sha256(std::span<const std::uint8_t> bytes);

// Upper-case hexadecimal digits of each byte, joined by `separator` (none when empty).
std::string hex_upper(std::span<const std::uint8_t> bytes, std::string_view separator);

}  // namespace orvo_user_identity

#include "orvo_identity/keys.h"

#include <stdexcept>
#include <string>

namespace orvo_user_identity {
namespace {

// libsodium must be initialised once before its first use; failing that, no key can be trusted.
void ensure_sodium() {
  static const bool ready = sodium_init() >= 0;
  if (!ready) throw std::runtime_error("libsodium could not be initialised");
}

struct ExpandedKey {
  std::array<std::uint8_t, crypto_sign_SECRETKEYBYTES> secret{};
  PublicKey public_key;
  ~ExpandedKey() { sodium_memzero(secret.data(), secret.size()); }
};

void expand(const Seed& seed, ExpandedKey& out) {
  ensure_sodium();
  crypto_sign_seed_keypair(out.public_key.bytes.data(), out.secret.data(), seed.view().data());
}

}  // namespace

namespace ed25519 {

PublicKey public_key(const Seed& seed) {
  ExpandedKey key;
  expand(seed, key);
  return key.public_key;
}

Signature sign(const Seed& seed, std::span<const std::uint8_t> message) {
  ExpandedKey key;
  expand(seed, key);
  Signature out;
  crypto_sign_detached(out.bytes.data(), nullptr, message.data(), message.size(), key.secret.data());
  return out;
}

bool verify(const PublicKey& key, std::span<const std::uint8_t> message, const Signature& signature) {
  ensure_sodium();
  return crypto_sign_verify_detached(signature.bytes.data(), message.data(), message.size(), key.bytes.data()) == 0;
}

}  // namespace ed25519

Digest sha256(std::span<const std::uint8_t> bytes) {
  ensure_sodium();
  Digest out;
  crypto_hash_sha256(out.data(), bytes.data(), bytes.size());
  return out;
}

std::string hex_upper(std::span<const std::uint8_t> bytes, std::string_view separator) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i > 0) out += separator;
    out += kDigits[bytes[i] >> 4];
    out += kDigits[bytes[i] & 0x0f];
  }
  return out;
}

}  // namespace orvo_user_identity

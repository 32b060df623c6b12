#pragma once
// This device's signing key pair on disk: "device-private/keypair.bin" under the device identity
// root holds 64 bytes, the 32-byte Ed25519 seed followed by its 32-byte public key, mode 0600. The
// public half is checked against the seed on every read.
#include <expected>
#include <filesystem>
#include <string>

#include "orvo_identity/keys.h"

namespace orvo_user_identity::persist {

struct PersistError {
  std::string text;
  bool operator==(const PersistError&) const = default;
};

class DeviceSigningKey {
 public:
  DeviceSigningKey(Seed seed, PublicKey public_key) : seed_(std::move(seed)), public_key_(public_key) {}
  const PublicKey& public_key() const { return public_key_; }
  Signature sign(std::span<const std::uint8_t> message) const { return ed25519::sign(seed_, message); }

 private:
  Seed seed_;
  PublicKey public_key_;
};

inline constexpr std::size_t kDeviceKeyFileSize = 64;

// "could not read device key pair: <reason>", "device key pair has 12 bytes, expected 64",
// "device key pair is damaged" (the public half does not belong to the seed).
std::expected<DeviceSigningKey, PersistError> read_device_key(const std::filesystem::path& path);

// Writes the key pair of `seed` atomically with mode 0600, creating the parent folder (0700).
std::expected<void, PersistError> write_device_key(const std::filesystem::path& path, const Seed& seed);

}  // namespace orvo_user_identity::persist

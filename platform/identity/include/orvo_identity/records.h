#pragma once
// The signed records of a user's device fleet and their JSON form. Every record is strict: an unknown
// key is an error, and the fields are also read as an array in declaration order. Keys are arrays
// of 32 integers, signatures arrays of exactly 64 ("expected 64-byte signature, got 63"). Times are
// nanoseconds since the Unix epoch.
#include <cstdint>
#include <expected>
#include <vector>
#include <optional>
#include <string>

#include "orvo_identity/keys.h"
#include "orvo_json/json.h"

namespace orvo_user_identity {

struct DeviceCapabilities {
  bool can_own_workspaces = false;
  bool can_admit_devices = false;
  bool can_act_as_host = false;
  bool can_read_all_workspaces = false;
  bool operator==(const DeviceCapabilities&) const = default;
};

struct DeviceCert {
  PublicKey user_public_key;
  PublicKey device_public_key;
  std::string device_label;
  DeviceCapabilities capabilities;
  std::uint64_t issued_at_ns = 0;
  std::optional<std::uint64_t> expires_at_ns;  // none: no expiry
  Signature signature;
  bool operator==(const DeviceCert&) const = default;
};

enum class RevocationReason : std::uint8_t { Lost, Stolen, Retired, Compromised };

struct RevocationEntry {
  PublicKey user_public_key;
  PublicKey revoked_device_public_key;
  std::uint64_t revoked_at_ns = 0;
  RevocationReason reason = RevocationReason::Lost;
  Signature signature;
  bool operator==(const RevocationEntry&) const = default;
};

// A byte array of fixed length written as an array of integers 0 to 255.
template <class T, std::size_t N>
struct ByteArrayDescription {
  std::string_view wrong_length;  // format with "{}" for the length found; empty: the layer's length error

  void encode(orvo_json::Writer& w, const T& value) const {
    w.begin_array();
    for (auto b : value.bytes) w.unsigned_integer(b);
    w.end_array();
  }
  T decode(orvo_json::Reader& r) const {
    const auto bytes = orvo_json::Codec<std::vector<std::uint8_t>>::decode(r);
    if (bytes.size() != N) {
      if (wrong_length.empty()) {
        r.fail("invalid length " + std::to_string(bytes.size()) + ", expected an array of length " +
               std::to_string(N));
      }
      r.fail(std::string(wrong_length) + std::to_string(bytes.size()));
    }
    T out;
    std::copy(bytes.begin(), bytes.end(), out.bytes.begin());
    return out;
  }
};

constexpr auto describe_json(orvo_json::Tag<PublicKey>) { return ByteArrayDescription<PublicKey, 32>{}; }
constexpr auto describe_json(orvo_json::Tag<Signature>) {
  return ByteArrayDescription<Signature, 64>{"expected 64-byte signature, got "};
}

constexpr auto describe_json(orvo_json::Tag<DeviceCapabilities>) {
  using C = DeviceCapabilities;
  return orvo_json::strict_record<C>("DeviceCapabilities", orvo_json::field("can_own_workspaces", &C::can_own_workspaces),
                                     orvo_json::field("can_admit_devices", &C::can_admit_devices),
                                     orvo_json::field("can_act_as_host", &C::can_act_as_host),
                                     orvo_json::field("can_read_all_workspaces", &C::can_read_all_workspaces));
}

constexpr auto describe_json(orvo_json::Tag<DeviceCert>) {
  using C = DeviceCert;
  return orvo_json::strict_record<C>(
      "DeviceCert", orvo_json::field("user_public_key", &C::user_public_key),
      orvo_json::field("device_public_key", &C::device_public_key), orvo_json::field("device_label", &C::device_label),
      orvo_json::field("capabilities", &C::capabilities), orvo_json::field("issued_at_ns", &C::issued_at_ns),
      orvo_json::field("expires_at_ns", &C::expires_at_ns), orvo_json::field("signature", &C::signature));
}

constexpr auto describe_json(orvo_json::Tag<RevocationReason>) {
  using R = RevocationReason;
  return orvo_json::unit_enum<R>("RevocationReason", {{"Lost", R::Lost},
                                                      {"Stolen", R::Stolen},
                                                      {"Retired", R::Retired},
                                                      {"Compromised", R::Compromised}});
}

constexpr auto describe_json(orvo_json::Tag<RevocationEntry>) {
  using E = RevocationEntry;
  return orvo_json::strict_record<E>(
      "RevocationEntry", orvo_json::field("user_public_key", &E::user_public_key),
      orvo_json::field("revoked_device_public_key", &E::revoked_device_public_key),
      orvo_json::field("revoked_at_ns", &E::revoked_at_ns), orvo_json::field("reason", &E::reason),
      orvo_json::field("signature", &E::signature));
}

namespace cert {

// What the user key signs for a certificate: SHA-256 over the tag "orvo-device-cert-v1", the user
// key, the device key, the label's length (u32) and bytes, the four capability flags (one byte each),
// the issue time (u64), then 1 and the expiry (u64) or 0 and eight zero bytes; integers big-endian.
Digest device_cert_signing_digest(const DeviceCert& cert);

// The certificate's signature by its own user key, and an expiry (when present) not before its
// issue time. The wall clock is not consulted: an expired certificate still names a device of the
// fleet, which must stay listed and revocable.
std::expected<void, std::string> verify_device_cert(const DeviceCert& cert);

}  // namespace cert

namespace revocation {

// SHA-256 over the tag "orvo-device-revocation-v1", the user key, the revoked device key, the
// revocation time (u64, big-endian) and the reason (one byte: Lost 0, Stolen 1, Retired 2,
// Compromised 3).
Digest revocation_signing_digest(const RevocationEntry& entry);

// The entry's signature by its own user key.
std::expected<void, std::string> verify_revocation_entry(const RevocationEntry& entry);

}  // namespace revocation

}  // namespace orvo_user_identity

#pragma once
// Revoking a trusted personal device: a signed entry in the device fleet of the active identity,
// with the reason the user chose. Permanent, so the pane asks for two presses.
#include <chrono>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "panes/device_mesh/fleet.h"

namespace settings::panes::device_mesh {

using orvo_user_identity::RevocationReason;

// "Lost", "Stolen" and "Compromised" as written; anything else (or nothing) is Retired.
RevocationReason revocation_reason(const std::optional<std::string>& text);

// Nanoseconds since the Unix epoch; 0 before it, the largest value past what 64 bits hold.
std::uint64_t revocation_time_ns(std::chrono::system_clock::time_point now);

// The 64 lower-case hexadecimal digits of a device key.
std::string device_key_hex(const PublicKey& key);

enum class RevocationDone : std::uint8_t { Revoked, AlreadyRevoked };

// Signs a revocation of `device_key` with the active identity and appends it to its fleet. Nothing
// is written unless every check passed and the signed entry verified; the error is the sentence
// shown above the device list.
std::expected<RevocationDone, std::string> revoke_device(const PublicKey& device_key, RevocationReason reason,
                                                         std::chrono::system_clock::time_point now);

}  // namespace settings::panes::device_mesh

#pragma once
// The device fleet of the active identity: the files under the device identity root, the fleet
// file of an identity, its checks, and the rows of the trusted-devices list.
#include <cstdint>
#include <expected>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_identity/local_identity.h"
#include "orvo_identity/records.h"
#include "orvo_runtime/io_error.h"

namespace settings::panes::device_mesh {

using orvo_runtime::IoError;
using orvo_user_identity::DeviceCert;
using orvo_user_identity::PublicKey;
using orvo_user_identity::RevocationEntry;

struct IdentityFilePaths {
  std::filesystem::path user_public_key;     // "user-identity/pubkey.bin"
  std::filesystem::path user_private_key;    // "user-identity/privkey.bin"
  std::filesystem::path device_key_pair;     // "device-private/keypair.bin"
  std::filesystem::path device_certificate;  // "device/cert.bin"
};

IdentityFilePaths identity_file_paths(const std::filesystem::path& identity_root);

// The fleet of one identity. Strict: an unknown key anywhere is an error.
struct StoredFleet {
  std::uint32_t schema_version = 1;
  std::string identity_id;
  std::vector<DeviceCert> certificates;
  std::vector<RevocationEntry> revocations;
  bool operator==(const StoredFleet&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<StoredFleet>) {
  return orvo_json::strict_record<StoredFleet>("StoredFleet",
                                               orvo_json::field("schema_version", &StoredFleet::schema_version),
                                               orvo_json::field("identity_id", &StoredFleet::identity_id),
                                               orvo_json::field("certificates", &StoredFleet::certificates),
                                               orvo_json::field("revocations", &StoredFleet::revocations));
}

// The fleet file's text: pretty JSON with two-space indentation.
std::string encode_fleet(const StoredFleet& fleet);

// `identity_dir`/fleets/`identity_id`.json
std::filesystem::path fleet_path(const std::filesystem::path& identity_dir, std::string_view identity_id);

// Reads, decodes and verifies the fleet (invalid-data on a decoding error, a schema or identity
// mismatch "device fleet identity/schema mismatch", or the identity library's text for a
// certificate or revocation that does not verify).
std::expected<StoredFleet, IoError> load_verified_fleet(const std::filesystem::path& identity_dir,
                                                        std::string_view identity_id);

struct ActiveIdentity {
  std::filesystem::path identity_dir;
  runtime_identity::unix::LocalIdentity identity;
};

// The user identity directory and its first active identity; not-found "no active identity".
std::expected<ActiveIdentity, IoError> active_identity();

// This device's public key, from the key pair under the device identity root.
std::expected<PublicKey, IoError> device_public_key();

struct FleetDeviceRow {
  std::string device_label;
  std::string fingerprint;  // first six bytes of the device key: "0A 1B 2C 3D 4E 5F"
  PublicKey device_public_key;
  bool this_device = false;
  bool revoked = false;
  bool may_act_as_host = false;
  bool operator==(const FleetDeviceRow&) const = default;
};

// One row per certificate, in order.
std::vector<FleetDeviceRow> fleet_device_rows(const std::vector<DeviceCert>& certificates, const PublicKey& this_device,
                                              const std::vector<RevocationEntry>& revocations);

// The verified fleet of the active identity as rows; invalid-data "device fleet contains another
// identity" when a record carries another user key.
std::expected<std::vector<FleetDeviceRow>, IoError> check_fleet_identity();

}  // namespace settings::panes::device_mesh

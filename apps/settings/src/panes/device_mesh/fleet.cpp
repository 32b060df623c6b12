#include "panes/device_mesh/fleet.h"

#include <algorithm>

#include <nlohmann/json.hpp>

#include "orvo_identity/persist.h"
#include "orvo_json/json.h"
#include "orvo_runtime/capped_read.h"
#include "services/mesh_files.h"
#include "settings_store/json_document.h"

namespace settings::panes::device_mesh {

namespace {

// A fleet of a few hundred devices is well under this; the file is read on the interface thread.
constexpr std::size_t kFleetCap = 16 * 1'048'576;
constexpr std::size_t kFingerprintBytes = 6;

}  // namespace

IdentityFilePaths identity_file_paths(const std::filesystem::path& identity_root) {
  return {identity_root / "user-identity" / "pubkey.bin", identity_root / "user-identity" / "privkey.bin",
          identity_root / "device-private" / "keypair.bin", identity_root / "device" / "cert.bin"};
}

std::string encode_fleet(const StoredFleet& fleet) {
  return settings_store::json_document::pretty(orvo_json::encode_value(fleet));
}

std::filesystem::path fleet_path(const std::filesystem::path& identity_dir, std::string_view identity_id) {
  return identity_dir / "fleets" / (std::string(identity_id) + ".json");
}

std::expected<StoredFleet, IoError> load_verified_fleet(const std::filesystem::path& identity_dir,
                                                        std::string_view identity_id) {
  auto text = orvo_runtime::read_capped(fleet_path(identity_dir, identity_id), kFleetCap);
  if (!text) return std::unexpected(text.error());
  auto fleet = orvo_json::decode<StoredFleet>(*text);
  if (!fleet) return std::unexpected(IoError::invalid_data(fleet.error().text()));
  if (fleet->schema_version != 1 || fleet->identity_id != identity_id) {
    return std::unexpected(IoError::invalid_data("device fleet identity/schema mismatch"));
  }
  for (const auto& cert : fleet->certificates) {
    if (auto ok = orvo_user_identity::cert::verify_device_cert(cert); !ok) {
      return std::unexpected(IoError::invalid_data(ok.error()));
    }
  }
  for (const auto& entry : fleet->revocations) {
    if (auto ok = orvo_user_identity::revocation::verify_revocation_entry(entry); !ok) {
      return std::unexpected(IoError::invalid_data(ok.error()));
    }
  }
  return std::move(*fleet);
}

std::expected<ActiveIdentity, IoError> active_identity() {
  auto dir = runtime_identity::unix::identity_dir_from_env();
  if (!dir) return std::unexpected(dir.error());
  auto identity = runtime_identity::unix::resolve_active_identity(*dir);
  if (!identity) return std::unexpected(identity.error());
  return ActiveIdentity{std::move(*dir), std::move(*identity)};
}

std::expected<PublicKey, IoError> device_public_key() {
  const auto path = identity_file_paths(identity_root()).device_key_pair;
  auto key = orvo_user_identity::persist::read_device_key(path);
  if (!key) return std::unexpected(IoError::other(key.error().text));
  return key->public_key();
}

std::vector<FleetDeviceRow> fleet_device_rows(const std::vector<DeviceCert>& certificates, const PublicKey& this_device,
                                              const std::vector<RevocationEntry>& revocations) {
  std::vector<FleetDeviceRow> rows;
  rows.reserve(certificates.size());
  for (const auto& cert : certificates) {
    const auto& key = cert.device_public_key;
    const bool revoked = std::any_of(revocations.begin(), revocations.end(),
                                     [&](const RevocationEntry& e) { return e.revoked_device_public_key == key; });
    rows.push_back({cert.device_label,
                    orvo_user_identity::hex_upper(std::span(key.bytes).first(kFingerprintBytes), " "), key,
                    key == this_device, revoked, cert.capabilities.can_act_as_host});
  }
  return rows;
}

std::expected<std::vector<FleetDeviceRow>, IoError> check_fleet_identity() {
  auto active = active_identity();
  if (!active) return std::unexpected(active.error());
  auto fleet = load_verified_fleet(active->identity_dir, active->identity.id);
  if (!fleet) return std::unexpected(fleet.error());
  const auto& owner = active->identity.user_public_key;
  const bool foreign =
      std::any_of(fleet->certificates.begin(), fleet->certificates.end(),
                  [&](const DeviceCert& c) { return c.user_public_key != owner; }) ||
      std::any_of(fleet->revocations.begin(), fleet->revocations.end(),
                  [&](const RevocationEntry& e) { return e.user_public_key != owner; });
  if (foreign) return std::unexpected(IoError::invalid_data("device fleet contains another identity"));
  auto device_key = device_public_key();
  if (!device_key) return std::unexpected(device_key.error());
  return fleet_device_rows(fleet->certificates, *device_key, fleet->revocations);
}

}  // namespace settings::panes::device_mesh

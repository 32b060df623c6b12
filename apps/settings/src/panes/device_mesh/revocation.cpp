#include "panes/device_mesh/revocation.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "lib/settings_document.h"
#include "orvo_runtime/atomic_file.h"
#include "panes/device_mesh/device_mesh_pane.h"

namespace settings::panes::device_mesh {

RevocationReason revocation_reason(const std::optional<std::string>& text) {
  if (text == "Lost") return RevocationReason::Lost;
  if (text == "Stolen") return RevocationReason::Stolen;
  if (text == "Compromised") return RevocationReason::Compromised;
  return RevocationReason::Retired;
}

std::uint64_t revocation_time_ns(std::chrono::system_clock::time_point now) {
  using namespace std::chrono;
  const auto since = now.time_since_epoch();
  if (since < system_clock::duration::zero()) return 0;
  const auto secs = duration_cast<seconds>(since);
  const auto sub = duration_cast<nanoseconds>(since - secs).count();
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  const auto whole = static_cast<std::uint64_t>(secs.count());
  if (whole > (kMax - static_cast<std::uint64_t>(sub)) / 1'000'000'000ULL) return kMax;
  return whole * 1'000'000'000ULL + static_cast<std::uint64_t>(sub);
}

std::string device_key_hex(const PublicKey& key) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out(key.bytes.size() * 2, '0');
  for (std::size_t i = 0; i < key.bytes.size(); ++i) {
    out[2 * i] = kDigits[key.bytes[i] >> 4];
    out[2 * i + 1] = kDigits[key.bytes[i] & 0x0F];
  }
  return out;
}

std::expected<RevocationDone, std::string> revoke_device(const PublicKey& device_key, RevocationReason reason,
                                                         std::chrono::system_clock::time_point now) {
  auto active = active_identity();
  if (!active) return std::unexpected(active.error().text);
  auto own_key = device_public_key();
  if (!own_key) return std::unexpected(own_key.error().text);
  if (*own_key == device_key) return std::unexpected("use another trusted device to revoke the device you are using");

  auto fleet = load_verified_fleet(active->identity_dir, active->identity.id);
  if (!fleet) return std::unexpected(fleet.error().text);
  const auto cert = std::ranges::find_if(fleet->certificates,
                                         [&](const DeviceCert& c) { return c.device_public_key == device_key; });
  if (cert == fleet->certificates.end()) return std::unexpected("device is not enrolled");
  if (std::ranges::any_of(fleet->revocations,
                          [&](const RevocationEntry& e) { return e.revoked_device_public_key == device_key; })) {
    return RevocationDone::AlreadyRevoked;
  }

  auto resolved = runtime_identity::unix::resolve_active_identity(active->identity_dir);
  if (!resolved) {
    if (resolved.error().kind == orvo_runtime::IoErrorKind::NotFound) {
      return std::unexpected("active identity is unavailable");
    }
    return std::unexpected(resolved.error().text);
  }
  // Wherever the identity keeps its key: its folder, or the desktop keyring once it was secured.
  auto signing = runtime_identity::unix::load(active->identity_dir, resolved->id);
  if (!signing) return std::unexpected(signing.error().text);
  const PublicKey& user_key = signing->identity().user_public_key;
  if (user_key != cert->user_public_key) {
    return std::unexpected("active signing identity does not match its device fleet");
  }

  RevocationEntry entry{user_key, device_key, revocation_time_ns(now), reason, {}};
  const auto digest = orvo_user_identity::revocation::revocation_signing_digest(entry);
  entry.signature = signing->sign(digest);
  if (auto verified = orvo_user_identity::revocation::verify_revocation_entry(entry); !verified) {
    return std::unexpected(verified.error());
  }
  fleet->revocations.push_back(entry);
  if (auto written = atomic_file::write(fleet_path(active->identity_dir, active->identity.id), encode_fleet(*fleet),
                                        0600);
      !written) {
    return std::unexpected(written.error());
  }
  return RevocationDone::Revoked;
}

bool DeviceMeshPane::revocation_pending(const PublicKey& device_public_key) const {
  return pending_revocations_.contains(device_key_hex(device_public_key));
}

void DeviceMeshPane::load_trusted_devices() {
  trusted_devices_.clear();
  trusted_devices_error_.reset();
  auto rows = check_fleet_identity();
  if (rows) {
    trusted_devices_ = std::move(*rows);
  } else if (rows.error().kind != orvo_runtime::IoErrorKind::NotFound) {
    // No identity or fleet yet is not an error; anything else is shown above the empty list.
    trusted_devices_error_ = std::move(rows.error().text);
  }
}

const std::vector<DeviceMeshPane::TrustedDeviceKeys>& DeviceMeshPane::trusted_device_keys() {
  const bool current =
      trusted_device_keys_.size() == trusted_devices_.size() &&
      std::ranges::equal(trusted_device_keys_, trusted_devices_, [](const auto& keys, const auto& row) {
        return keys.device_public_key == row.device_public_key;
      });
  if (current) return trusted_device_keys_;
  trusted_device_keys_.clear();
  for (const FleetDeviceRow& row : trusted_devices_) {
    const PublicKey& key = row.device_public_key;
    trusted_device_keys_.push_back({key, device_key_hex(key), personal_device_key("revoke", key),
                                    personal_device_key("cancel", key), personal_device_key("reason", key)});
  }
  return trusted_device_keys_;
}

void DeviceMeshPane::read_trusted_device_keys(orvo_doc::Document& document) {
  const auto& keys = trusted_device_keys();
  // Confirmed revocations run after the loop: each one reloads the list the loop walks.
  std::vector<std::pair<FleetDeviceRow, std::optional<std::string>>> confirmed;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const FleetDeviceRow& row = trusted_devices_[i];
    if (take_press(document, orvo_doc::kRoot, keys[i].cancel)) {
      pending_revocations_.erase(keys[i].hex);
      mark_structure_dirty();
    }
    if (take_press(document, orvo_doc::kRoot, keys[i].revoke)) {
      if (pending_revocations_.erase(keys[i].hex) > 0) {
        confirmed.emplace_back(row, lib::read_text(document, orvo_doc::kRoot, keys[i].reason));
      } else if (!row.this_device && !row.revoked) {
        pending_revocations_.insert(keys[i].hex);
      }
      mark_structure_dirty();
    }
  }
  for (const auto& [row, reason] : confirmed) revoke_trusted_device(row, reason);
}

void DeviceMeshPane::revoke_trusted_device(const FleetDeviceRow& row, const std::optional<std::string>& reason) {
  mark_structure_dirty();
  auto done = revoke_device(row.device_public_key, revocation_reason(reason), clock_.wall());
  if (!done) {
    trusted_devices_error_ = std::move(done.error());
    return;
  }
  load_trusted_devices();
  status_message_ = fmt::format("{} can no longer access your workspaces", row.device_label);
}

}  // namespace settings::panes::device_mesh

#include "orvo_identity/records.h"

#include <string_view>
#include <vector>

namespace orvo_user_identity {
namespace {

class DigestInput {
 public:
  explicit DigestInput(std::string_view tag) { bytes_.insert(bytes_.end(), tag.begin(), tag.end()); }
  void key(const PublicKey& key) { bytes_.insert(bytes_.end(), key.bytes.begin(), key.bytes.end()); }
  void u8(std::uint8_t v) { bytes_.push_back(v); }
  void u32(std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes_.push_back(static_cast<std::uint8_t>(v >> shift));
  }
  void u64(std::uint64_t v) {
    for (int shift = 56; shift >= 0; shift -= 8) bytes_.push_back(static_cast<std::uint8_t>(v >> shift));
  }
  void text(std::string_view s) {
    u32(static_cast<std::uint32_t>(s.size()));
    bytes_.insert(bytes_.end(), s.begin(), s.end());
  }
  Digest digest() const { return sha256(bytes_); }

 private:
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

namespace cert {

Digest device_cert_signing_digest(const DeviceCert& cert) {
  DigestInput in("orvo-device-cert-v1");
  in.key(cert.user_public_key);
  in.key(cert.device_public_key);
  in.text(cert.device_label);
  in.u8(cert.capabilities.can_own_workspaces);
  in.u8(cert.capabilities.can_admit_devices);
  in.u8(cert.capabilities.can_act_as_host);
  in.u8(cert.capabilities.can_read_all_workspaces);
  in.u64(cert.issued_at_ns);
  in.u8(cert.expires_at_ns.has_value());
  in.u64(cert.expires_at_ns.value_or(0));
  return in.digest();
}

std::expected<void, std::string> verify_device_cert(const DeviceCert& cert) {
  if (!ed25519::verify(cert.user_public_key, device_cert_signing_digest(cert), cert.signature)) {
    return std::unexpected("device certificate signature is invalid");
  }
  if (cert.expires_at_ns && *cert.expires_at_ns < cert.issued_at_ns) {
    return std::unexpected("device certificate expires before it was issued");
  }
  return {};
}

}  // namespace cert

namespace revocation {

Digest revocation_signing_digest(const RevocationEntry& entry) {
  DigestInput in("orvo-device-revocation-v1");
  in.key(entry.user_public_key);
  in.key(entry.revoked_device_public_key);
  in.u64(entry.revoked_at_ns);
  in.u8(static_cast<std::uint8_t>(entry.reason));
  return in.digest();
}

std::expected<void, std::string> verify_revocation_entry(const RevocationEntry& entry) {
  if (!ed25519::verify(entry.user_public_key, revocation_signing_digest(entry), entry.signature)) {
    return std::unexpected("revocation entry signature is invalid");
  }
  return {};
}

}  // namespace revocation

}  // namespace orvo_user_identity

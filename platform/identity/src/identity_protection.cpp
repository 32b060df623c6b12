// Moving an identity's key into the desktop's keyring, and reading it back from there.
#include <sodium.h>

#include <system_error>

#include "accounts/secret_vault.h"
#include "orvo_identity/local_identity.h"

namespace runtime_identity::unix {
namespace {

constexpr std::string_view kSeedFile = "seed.bin";

// The keyring keeps one 32-byte secret per identity folder, found by the folder's path.
std::unique_ptr<accounts::vault::KeyCustody> keyring_of(const std::filesystem::path& folder) {
  return accounts::vault::secret_service_custody(folder);
}

IoError keyring_failure(const std::string& reason) { return IoError::other("Could not protect the identity: " + reason); }

}  // namespace

std::expected<void, IoError> secure_identity(const std::filesystem::path& identity_dir, const std::string& id) {
  auto found = find_identity(identity_dir, id);
  if (!found) return std::unexpected(found.error());
  std::error_code ec;
  if (!std::filesystem::exists(found->folder / kSeedFile, ec)) {
    return std::unexpected(IoError::invalid_data("this identity has no private-file key to protect"));
  }
  auto signing = load_from_path(found->folder);
  if (!signing) return std::unexpected(signing.error());
  const auto seed = signing->seed().view();
  auto key = accounts::vault::VaultKey::from_bytes(
      std::string_view(reinterpret_cast<const char*>(seed.data()), seed.size()));
  if (!key) return std::unexpected(IoError::invalid_data("identity seed is damaged"));

  auto keyring = keyring_of(found->folder);
  if (auto stored = keyring->store(*key); !stored) return std::unexpected(keyring_failure(stored.error()));
  auto read_back = keyring->load();
  if (!read_back) return std::unexpected(keyring_failure(read_back.error()));
  if (!*read_back || sodium_memcmp((*read_back)->data(), key->data(), accounts::vault::VaultKey::kSize) != 0) {
    return std::unexpected(keyring_failure("the stored copy did not read back"));
  }

  LocalIdentity record = found->record;
  record.protection_byte = static_cast<std::uint8_t>(SigningProtection::DesktopKeyring);
  if (auto written = write_record(found->folder, record); !written) return written;
  std::filesystem::remove(found->folder / kSeedFile, ec);
  if (ec) {
    return std::unexpected(
        IoError::other("the key is in the keyring, but the file copy could not be removed: " + ec.message()));
  }
  return {};
}

std::expected<SigningIdentity, IoError> load(const std::filesystem::path& identity_dir, const std::string& id) {
  auto found = find_identity(identity_dir, id);
  if (!found) return std::unexpected(found.error());
  std::error_code ec;
  if (std::filesystem::exists(found->folder / kSeedFile, ec) ||
      found->record.protection() != SigningProtection::DesktopKeyring) {
    return load_from_path(found->folder);
  }
  auto kept = keyring_of(found->folder)->load();
  if (!kept) return std::unexpected(IoError::other(kept.error()));
  if (!*kept) return std::unexpected(IoError::not_found("the keyring holds no key for identity " + id));
  orvo_user_identity::Seed seed(std::span<const std::uint8_t, 32>((*kept)->data(), 32));
  if (orvo_user_identity::ed25519::public_key(seed) != found->record.user_public_key) {
    return std::unexpected(IoError::invalid_data("the key in the keyring does not match identity " + id));
  }
  return SigningIdentity(std::move(found->record), std::move(seed));
}

}  // namespace runtime_identity::unix

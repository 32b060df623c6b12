#include <sodium.h>

#include <atomic>
#include <cstring>

#include "accounts/secret_vault.h"
#include "orvo_runtime/atomic_file.h"

namespace accounts::vault {
namespace {

std::atomic<int> local_key_only_scopes{0};

void ensure_sodium() {
  static const bool ready = [] { return sodium_init() >= 0; }();
  (void)ready;
}

class KeyFile final : public KeyCustody {
 public:
  explicit KeyFile(std::filesystem::path path) : path_(std::move(path)) {}

  std::expected<std::optional<VaultKey>, std::string> load() override {
    auto bytes = atomic_file::read_existing(path_);
    if (!bytes) return std::unexpected(bytes.error());
    if (!bytes->has_value()) return std::optional<VaultKey>{};
    std::string& text = **bytes;
    auto key = VaultKey::from_bytes(text);
    sodium_memzero(text.data(), text.size());
    if (!key) return std::unexpected("the credential vault key file " + path_.string() + " is damaged");
    return key;
  }

  std::expected<void, std::string> store(const VaultKey& key) override {
    const std::string_view bytes(reinterpret_cast<const char*>(key.data()), VaultKey::kSize);
    return atomic_file::write_creating_parent_with_mode(path_, bytes, 0600);
  }

  bool local() const override { return true; }

 private:
  std::filesystem::path path_;
};

}  // namespace

VaultKey VaultKey::generate() {
  ensure_sodium();
  VaultKey key;
  crypto_aead_xchacha20poly1305_ietf_keygen(key.bytes_);
  return key;
}

std::optional<VaultKey> VaultKey::from_bytes(std::string_view bytes) {
  if (bytes.size() != kSize) return std::nullopt;
  VaultKey key;
  std::memcpy(key.bytes_, bytes.data(), kSize);
  return key;
}

VaultKey::VaultKey(const VaultKey& other) { std::memcpy(bytes_, other.bytes_, kSize); }

VaultKey& VaultKey::operator=(const VaultKey& other) {
  std::memcpy(bytes_, other.bytes_, kSize);
  return *this;
}

VaultKey::~VaultKey() { sodium_memzero(bytes_, kSize); }

LocalKeyOnly::LocalKeyOnly() { ++local_key_only_scopes; }
LocalKeyOnly::~LocalKeyOnly() { --local_key_only_scopes; }

std::unique_ptr<KeyCustody> key_file_custody(const std::filesystem::path& key_file) {
  return std::make_unique<KeyFile>(key_file);
}

std::vector<std::unique_ptr<KeyCustody>> default_custody(const std::filesystem::path& vault_dir) {
  std::vector<std::unique_ptr<KeyCustody>> out;
  if (local_key_only_scopes.load() == 0) out.push_back(secret_service_custody(vault_dir));
  out.push_back(key_file_custody(vault_dir / kKeyFileName));
  return out;
}

}  // namespace accounts::vault

#pragma once
// SecretVault: one credential per account id, kept encrypted at rest in "vault.enc" (in the vault
// directory, mode 0600) with XChaCha20-Poly1305. Its 32-byte key is kept by the desktop's Secret
// Service when one answers on the session bus, else in the owner-only file "vault.key" beside it.
//
// A vault file that exists but cannot be read or decrypted (no key, wrong key, damage) is never
// treated as empty: `get` finds nothing, and `try_save` refuses, so that one passing problem cannot
// turn into the loss of every saved credential.
#include <expected>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_secret/secret_string.h"

namespace accounts::vault {

struct Credential {
  orvo_secret::SecretString secret;
  std::optional<orvo_secret::SecretString> extra;  // carried unchanged

  Credential clone() const;
  friend bool operator==(const Credential&, const Credential&) = default;
};

// The vault key, wiped when dropped.
class VaultKey {
 public:
  static constexpr std::size_t kSize = 32;
  static VaultKey generate();
  static std::optional<VaultKey> from_bytes(std::string_view bytes);  // none unless exactly kSize bytes
  VaultKey(const VaultKey& other);
  VaultKey& operator=(const VaultKey& other);
  ~VaultKey();
  const unsigned char* data() const { return bytes_; }

 private:
  VaultKey() = default;
  unsigned char bytes_[kSize] = {};
};

// One place where the key can be kept.
class KeyCustody {
 public:
  virtual ~KeyCustody() = default;
  // The key kept here; none when there is none; an error when the place could not be asked.
  virtual std::expected<std::optional<VaultKey>, std::string> load() = 0;
  virtual std::expected<void, std::string> store(const VaultKey& key) = 0;
  // An owner-only file on this machine rather than the desktop's keyring.
  virtual bool local() const = 0;
};

// The places asked for the key of the vault in `vault_dir`, in order of preference: the Secret
// Service (unless a `LocalKeyOnly` scope is alive), then "vault.key" in the directory.
std::vector<std::unique_ptr<KeyCustody>> default_custody(const std::filesystem::path& vault_dir);
std::unique_ptr<KeyCustody> key_file_custody(const std::filesystem::path& key_file);
std::unique_ptr<KeyCustody> secret_service_custody(const std::filesystem::path& vault_dir);

// While alive, vaults keep their key only in the local key file (tests must never touch the user's keyring).
class LocalKeyOnly {
 public:
  LocalKeyOnly();
  ~LocalKeyOnly();
  LocalKeyOnly(const LocalKeyOnly&) = delete;
  LocalKeyOnly& operator=(const LocalKeyOnly&) = delete;
};

class SecretVault {
 public:
  // The vault of the user's configuration root; without one the vault is empty and cannot be saved.
  static SecretVault open();
  static SecretVault open_in(const std::filesystem::path& root);
  static SecretVault open_in(const std::filesystem::path& root, std::vector<std::unique_ptr<KeyCustody>> custody);

  SecretVault(SecretVault&&) noexcept;
  SecretVault& operator=(SecretVault&&) noexcept;
  ~SecretVault();

  std::optional<Credential> get(std::string_view id) const;
  void put(std::string_view id, Credential credential);
  // Tells whether an entry was there.
  bool remove(std::string_view id);
  // Writes every entry to "vault.enc". On failure the file on disk is as it was.
  std::expected<void, std::string> try_save();

  // The key is (or, for a vault not yet saved, will be) the owner-only local file.
  bool uses_local_key() const;
  // Set when the stored vault could not be read; the vault then refuses to save.
  const std::optional<std::string>& read_error() const;
  std::optional<std::filesystem::path> file() const;

 private:
  struct State;
  explicit SecretVault(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

inline constexpr std::string_view kVaultFileName = "vault.enc";
inline constexpr std::string_view kKeyFileName = "vault.key";

}  // namespace accounts::vault

#include "accounts/secret_vault.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>

#include "accounts/paths.h"
#include "orvo_runtime/atomic_file.h"
#include "orvo_runtime/system_paths.h"

namespace {

using accounts::vault::Credential;
using accounts::vault::KeyCustody;
using accounts::vault::SecretVault;
using accounts::vault::VaultKey;
using orvo_secret::SecretString;

Credential credential(std::string_view secret, std::optional<std::string_view> extra = std::nullopt) {
  Credential c{SecretString(secret), std::nullopt};
  if (extra) c.extra.emplace(*extra);
  return c;
}

std::string bytes_of(const std::filesystem::path& path) {
  auto read = atomic_file::read_existing(path);
  return read && *read ? **read : std::string();
}

mode_t mode_of(const std::filesystem::path& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

// A keyring stand-in: answers or not, and remembers one key.
struct FakeKeyring : KeyCustody {
  struct Shared {
    bool answers = true;
    std::optional<VaultKey> key;
  };
  explicit FakeKeyring(std::shared_ptr<Shared> shared) : shared(std::move(shared)) {}
  std::expected<std::optional<VaultKey>, std::string> load() override {
    if (!shared->answers) return std::unexpected(std::string("no keyring"));
    return shared->key;
  }
  std::expected<void, std::string> store(const VaultKey& key) override {
    if (!shared->answers) return std::unexpected(std::string("no keyring"));
    shared->key = key;
    return {};
  }
  bool local() const override { return false; }
  std::shared_ptr<Shared> shared;
};

class Vault : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvo-vault-XXXXXX";
    root_ = ::mkdtemp(pattern);
    file_ = accounts::vault_dir_in(root_) / "vault.enc";
    key_file_ = accounts::vault_dir_in(root_) / "vault.key";
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  std::vector<std::unique_ptr<KeyCustody>> custody() {
    std::vector<std::unique_ptr<KeyCustody>> out;
    out.push_back(std::make_unique<FakeKeyring>(keyring_));
    out.push_back(accounts::vault::key_file_custody(key_file_));
    return out;
  }

  accounts::vault::LocalKeyOnly local_only_;
  std::filesystem::path root_, file_, key_file_;
  std::shared_ptr<FakeKeyring::Shared> keyring_ = std::make_shared<FakeKeyring::Shared>();
};

TEST_F(Vault, KeepsCredentialsEncryptedWithOwnerOnlyFiles) {
  const mode_t old_umask = ::umask(0);
  {
    SecretVault vault = SecretVault::open_in(root_);
    EXPECT_TRUE(vault.uses_local_key());
    vault.put("m1", credential("hunter2-very-secret"));
    vault.put("w1", credential("pw", "token-extra"));
    ASSERT_TRUE(vault.try_save().has_value());
  }
  ::umask(old_umask);
  EXPECT_EQ(mode_of(file_), 0600u);
  EXPECT_EQ(mode_of(key_file_), 0600u);
  EXPECT_EQ(bytes_of(file_).find("hunter2"), std::string::npos);

  SecretVault reopened = SecretVault::open_in(root_);
  EXPECT_FALSE(reopened.read_error().has_value());
  EXPECT_EQ(reopened.get("m1"), credential("hunter2-very-secret"));
  EXPECT_EQ(reopened.get("w1"), credential("pw", "token-extra"));
  EXPECT_EQ(reopened.get("nobody"), std::nullopt);
  EXPECT_TRUE(reopened.remove("m1"));
  EXPECT_FALSE(reopened.remove("m1"));
  ASSERT_TRUE(reopened.try_save().has_value());
  EXPECT_EQ(SecretVault::open_in(root_).get("m1"), std::nullopt);
}

// Damage of any kind leaves the file as it is and refuses to save over it.
TEST_F(Vault, UnreadableVaultIsRefusedAndLeftUntouched) {
  {
    SecretVault vault = SecretVault::open_in(root_);
    vault.put("m1", credential("secret"));
    ASSERT_TRUE(vault.try_save().has_value());
  }
  const std::string good = bytes_of(file_);
  const std::string key = bytes_of(key_file_);
  struct Case {
    const char* name;
    std::string vault;
    std::optional<std::string> key;
  };
  std::string flipped = good;
  flipped[flipped.size() / 2] ^= 0x01;
  std::string other_key(32, 'k');
  const Case cases[] = {
      {"tampered ciphertext", flipped, key},
      {"truncated", good.substr(0, 20), key},
      {"key file missing", good, std::nullopt},
      {"wrong key", good, other_key},
      {"damaged key file", good, key.substr(0, 31)},
  };
  for (const auto& c : cases) {
    ASSERT_TRUE(atomic_file::write(file_, c.vault, 0600).has_value());
    std::filesystem::remove(key_file_);
    if (c.key) ASSERT_TRUE(atomic_file::write(key_file_, *c.key, 0600).has_value());

    SecretVault vault = SecretVault::open_in(root_);
    ASSERT_TRUE(vault.read_error().has_value()) << c.name;
    EXPECT_EQ(vault.get("m1"), std::nullopt) << c.name;
    vault.put("m2", credential("new"));
    auto saved = vault.try_save();
    ASSERT_FALSE(saved.has_value()) << c.name;
    EXPECT_TRUE(saved.error().starts_with("the credential vault could not be read, so it was left unchanged: "))
        << saved.error();
    EXPECT_EQ(bytes_of(file_), c.vault) << c.name;
  }
}

TEST_F(Vault, PrefersTheKeyringAndFallsBackToTheKeyFile) {
  {
    SecretVault vault = SecretVault::open_in(root_, custody());
    EXPECT_FALSE(vault.uses_local_key());
    vault.put("m1", credential("one"));
    ASSERT_TRUE(vault.try_save().has_value());
  }
  ASSERT_TRUE(keyring_->key.has_value());
  EXPECT_FALSE(std::filesystem::exists(key_file_));
  EXPECT_EQ(SecretVault::open_in(root_, custody()).get("m1"), credential("one"));

  // Keyring away: the vault cannot be opened, and is not replaced.
  keyring_->answers = false;
  SecretVault without = SecretVault::open_in(root_, custody());
  EXPECT_TRUE(without.read_error().has_value());
  EXPECT_FALSE(without.try_save().has_value());

  // A new vault while the keyring is away keeps its key in the file; once the keyring answers
  // again (holding an older key), the file's key still opens it.
  std::filesystem::remove(file_);
  SecretVault fresh = SecretVault::open_in(root_, custody());
  EXPECT_TRUE(fresh.uses_local_key());
  fresh.put("m2", credential("two"));
  ASSERT_TRUE(fresh.try_save().has_value());
  EXPECT_TRUE(std::filesystem::exists(key_file_));
  keyring_->answers = true;
  SecretVault later = SecretVault::open_in(root_, custody());
  EXPECT_FALSE(later.read_error().has_value());
  EXPECT_EQ(later.get("m2"), credential("two"));
  EXPECT_TRUE(later.uses_local_key());
}

TEST_F(Vault, WithoutAConfigurationRootNothingIsSaved) {
  system_paths::ScopedOverride no_config("/", std::nullopt);
  const char* home = std::getenv("HOME");
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  const std::string saved_home = home ? home : "", saved_xdg = xdg ? xdg : "";
  ::unsetenv("HOME");
  ::unsetenv("XDG_CONFIG_HOME");
  SecretVault vault = SecretVault::open();
  vault.put("m1", credential("x"));
  auto saved = vault.try_save();
  if (home) ::setenv("HOME", saved_home.c_str(), 1);
  if (xdg) ::setenv("XDG_CONFIG_HOME", saved_xdg.c_str(), 1);
  ASSERT_FALSE(saved.has_value());
  EXPECT_EQ(saved.error(), "no config dir");
  EXPECT_EQ(vault.file(), std::nullopt);
}

}  // namespace

// The vault key in the desktop keyring, against a Secret Service stand-in on a private bus.
#include <gtest/gtest.h>

#include "accounts/paths.h"
#include "accounts/secret_vault.h"
#include "orvo_dbus_testing/stand_in_bus.h"

namespace {

using accounts::vault::Credential;
using accounts::vault::SecretVault;

const std::string kTemplate = std::string(ORVO_SOURCE_DIR) + "/platform/accounts/tests/fixtures/secret_service.py";

class KeyringVault : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvo-keyring-XXXXXX";
    root_ = ::mkdtemp(pattern);
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  std::filesystem::path key_file() const { return accounts::vault_dir_in(root_) / "vault.key"; }
  std::filesystem::path root_;
};

TEST_F(KeyringVault, KeepsTheKeyInTheKeyringWhenOneAnswers) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.freedesktop.secrets", "--template", kTemplate);
  {
    SecretVault vault = SecretVault::open_in(root_);
    EXPECT_FALSE(vault.uses_local_key());
    vault.put("m1", Credential{orvo_secret::SecretString("kept by the keyring"), std::nullopt});
    auto saved = vault.try_save();
    ASSERT_TRUE(saved.has_value()) << saved.error();
  }
  EXPECT_FALSE(std::filesystem::exists(key_file()));
  SecretVault reopened = SecretVault::open_in(root_);
  ASSERT_FALSE(reopened.read_error().has_value()) << *reopened.read_error();
  EXPECT_EQ(reopened.get("m1")->secret.view(), "kept by the keyring");
  EXPECT_FALSE(reopened.uses_local_key());
}

TEST_F(KeyringVault, FallsBackToTheKeyFileWhenTheKeyringWantsAPrompt) {
  ORVO_STAND_IN_BUS(bus);
  ORVO_STAND_IN_MOCK(bus, "org.freedesktop.secrets", "--template", kTemplate, "--parameters", R"({"prompt": true})");
  SecretVault vault = SecretVault::open_in(root_);
  vault.put("m1", Credential{orvo_secret::SecretString("kept locally"), std::nullopt});
  ASSERT_TRUE(vault.try_save().has_value());
  EXPECT_TRUE(vault.uses_local_key());
  EXPECT_TRUE(std::filesystem::exists(key_file()));
  EXPECT_EQ(SecretVault::open_in(root_).get("m1")->secret.view(), "kept locally");
}

}  // namespace

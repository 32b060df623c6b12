#pragma once
// A temporary accounts root with the vault key kept in its local file, and small file helpers.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "accounts/mutation_journal.h"
#include "accounts/paths.h"
#include "accounts/store_access.h"
#include "orvo_runtime/atomic_file.h"

namespace accounts_test {

inline std::optional<std::string> file_bytes(const std::filesystem::path& path) {
  auto read = atomic_file::read_existing(path);
  if (!read) return std::nullopt;
  return *read;
}

inline void write_file(const std::filesystem::path& path, std::string_view text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

inline accounts::vault::Credential credential(std::string_view secret) {
  return {orvo_secret::SecretString(secret), std::nullopt};
}

inline accounts::Account account(std::string id, std::string_view type, std::string name = "Name") {
  auto a = accounts::Account::make(std::move(id), type);
  a.display_name = std::move(name);
  return a;
}

// Makes the platform report no configuration directory at all.
class NoConfigDir {
 public:
  NoConfigDir() {
    save("HOME", home_);
    save("XDG_CONFIG_HOME", xdg_);
  }
  ~NoConfigDir() {
    restore("HOME", home_);
    restore("XDG_CONFIG_HOME", xdg_);
  }
  NoConfigDir(const NoConfigDir&) = delete;
  NoConfigDir& operator=(const NoConfigDir&) = delete;

 private:
  static void save(const char* name, std::optional<std::string>& slot) {
    if (const char* v = std::getenv(name)) slot = v;
    ::unsetenv(name);
  }
  static void restore(const char* name, const std::optional<std::string>& slot) {
    if (slot) ::setenv(name, slot->c_str(), 1);
  }
  std::optional<std::string> home_, xdg_;
};

class AccountsRoot : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvo-settings-accounts-XXXXXX";
    root_ = ::mkdtemp(pattern);
    over_ = root_;
  }
  void TearDown() override { std::filesystem::remove_all(root_); }

  std::filesystem::path accounts_dir() const { return accounts::accounts_dir_in(root_); }
  std::filesystem::path journal() const { return accounts_dir() / "mutation-journal.json"; }
  std::filesystem::path metadata() const { return accounts_dir() / "accounts.json"; }
  std::filesystem::path statuses() const { return accounts_dir() / "sync-status.json"; }
  std::filesystem::path vault_file() const { return accounts::vault_dir_in(root_) / "vault.enc"; }

  void save_vault(std::initializer_list<std::pair<std::string_view, std::string_view>> entries) {
    auto vault = settings::accounts::open_secret_vault(over_);
    for (const auto& [id, secret] : entries) vault.put(id, credential(secret));
    ASSERT_TRUE(vault.try_save().has_value());
  }

  accounts::vault::LocalKeyOnly local_key_only_;
  std::filesystem::path root_;
  settings::accounts::RootOverride over_;
};

}  // namespace accounts_test

#pragma once
// A temporary configuration root for the provider files and the gateway's vault (its key kept in a
// local file, never the user's keyring).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "accounts/secret_vault.h"
#include "agent_provider_config/provider_config.h"
#include "orvo_model_gateway/api_keys.h"
#include "orvo_runtime/atomic_file.h"
#include "orvo_runtime/system_paths.h"

namespace agent_provider_config {

class ProviderFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvo-providers-XXXXXX";
    dir_ = ::mkdtemp(pattern);
    paths_.emplace("/", dir_);
  }
  void TearDown() override {
    paths_.reset();
    std::filesystem::remove_all(dir_);
  }

  std::filesystem::path config_file() const { return dir_ / "orvo" / kProviderConfigFileName; }
  void write_config(std::string_view text) const {
    std::filesystem::create_directories(config_file().parent_path());
    std::ofstream(config_file(), std::ios::binary) << text;
  }
  std::string read(const std::filesystem::path& path) const { return atomic_file::read_existing(path)->value_or(""); }
  std::filesystem::path gateway_vault_file() const { return *orvo_model_gateway::vault_root() / "vault" / "vault.enc"; }

  accounts::vault::LocalKeyOnly local_key_only_;
  std::filesystem::path dir_;
  std::optional<system_paths::ScopedOverride> paths_;
};

}  // namespace agent_provider_config

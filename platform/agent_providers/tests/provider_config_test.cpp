// The provider configuration file and the gateway's key removal, against a temporary configuration
// directory.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <fstream>

#include "provider_files.h"
#include "agent_provider_config/provider_config.h"
#include "orvo_model_gateway/api_keys.h"
#include "orvo_runtime/atomic_file.h"
#include "orvo_runtime/system_paths.h"

namespace agent_provider_config {
namespace {

TEST(ProviderProtocol, ParsesExactlyTheTwoIds) {
  EXPECT_EQ(parse_provider_protocol("anthropic"), ProviderProtocol::Anthropic);
  EXPECT_EQ(parse_provider_protocol("openai-compatible"), ProviderProtocol::OpenAiCompatible);
  for (std::string_view text : {"Anthropic", " anthropic", "openai", ""}) {
    EXPECT_EQ(parse_provider_protocol(text), std::unexpected(std::string("unsupported provider protocol"))) << text;
  }
}

TEST(ProviderProfile, HostedProfilesOfOneProtocolGetDistinctIds) {
  const auto a = ProviderProfile::hosted(ProviderProtocol::Anthropic);
  const auto b = ProviderProfile::hosted(ProviderProtocol::Anthropic);
  EXPECT_NE(a.id, b.id);
  EXPECT_TRUE(a.id.starts_with("anthropic-"));
  EXPECT_EQ(a.label, "Anthropic");
  EXPECT_EQ(a.protocol, ProviderProtocol::Anthropic);
  EXPECT_EQ(a.kind, ProviderKind::Hosted);
  EXPECT_TRUE(a.models.empty());
  EXPECT_EQ(a.model, std::nullopt);
}

TEST_F(ProviderFiles, SavedConfigurationLoadsBackEqual) {
  ProviderConfig config;
  auto profile = ProviderProfile::hosted(ProviderProtocol::OpenAiCompatible);
  profile.models.push_back(ModelDescriptor::named("gpt-x"));
  profile.model = "gpt-x";
  config.upsert(profile);
  config.default_provider = profile.id;
  ASSERT_TRUE(config.save().has_value());
  EXPECT_EQ(ProviderConfig::try_load(), config);
  EXPECT_EQ(std::filesystem::status(config_file()).permissions() & std::filesystem::perms::all,
            std::filesystem::perms(0600));
}

TEST_F(ProviderFiles, OnlyAMissingFileIsEmpty) {
  EXPECT_EQ(ProviderConfig::try_load(), ProviderConfig{});
  write_config(R"({"profiles":[{"label":"no id"}]})");
  const auto damaged = ProviderConfig::try_load();
  ASSERT_FALSE(damaged.has_value());
  EXPECT_TRUE(damaged.error().starts_with("could not read provider settings: missing field `id`")) << damaged.error();
  EXPECT_EQ(ProviderConfig::load(), ProviderConfig{});
}

TEST(ProviderConfigList, UpsertReplacesByIdAndRemoveClearsTheDefault) {
  ProviderConfig config;
  ProviderProfile a;
  a.id = "a";
  ProviderProfile b;
  b.id = "b";
  config.upsert(a);
  config.upsert(b);
  a.label = "changed";
  config.upsert(a);
  ASSERT_EQ(config.profiles.size(), 2U);
  EXPECT_EQ(config.profiles[0].label, "changed");
  config.default_provider = "b";
  EXPECT_TRUE(config.remove("b"));
  EXPECT_FALSE(config.remove("b"));
  EXPECT_EQ(config.default_provider, std::nullopt);
  EXPECT_EQ(config.profiles.size(), 1U);
}

TEST_F(ProviderFiles, RemovingAKeyKeepsTheOthers) {
  {
    auto vault = accounts::vault::SecretVault::open_in(*orvo_model_gateway::vault_root());
    vault.put("p1", {orvo_secret::SecretString("k1"), std::nullopt});
    vault.put("p2", {orvo_secret::SecretString("k2"), std::nullopt});
    ASSERT_TRUE(vault.try_save().has_value());
  }
  EXPECT_TRUE(orvo_model_gateway::remove_api_key("p1").has_value());
  EXPECT_TRUE(orvo_model_gateway::remove_api_key("never-stored").has_value());
  auto vault = accounts::vault::SecretVault::open_in(*orvo_model_gateway::vault_root());
  EXPECT_FALSE(vault.get("p1").has_value());
  ASSERT_TRUE(vault.get("p2").has_value());
  EXPECT_EQ(vault.get("p2")->secret.view(), "k2");
}

TEST_F(ProviderFiles, AnUnreadableVaultIsAnErrorAndStaysAsItWas) {
  std::filesystem::create_directories(gateway_vault_file().parent_path());
  std::ofstream(gateway_vault_file(), std::ios::binary) << "damaged";
  const auto removed = orvo_model_gateway::remove_api_key("p1");
  ASSERT_FALSE(removed.has_value());
  EXPECT_TRUE(removed.error().starts_with("the key vault could not be read: ")) << removed.error();
  EXPECT_EQ(read(gateway_vault_file()), "damaged");
}

}  // namespace
}  // namespace agent_provider_config

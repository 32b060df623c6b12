// The profile's local-model helpers, its label and checks, and storing API keys in the gateway's vault.
#include "provider_files.h"

namespace agent_provider_config {
namespace {

TEST(ProviderProfile, LocalVllmIsTheOnlyCandidate) {
  const auto local = ProviderProfile::local_vllm();
  ASSERT_TRUE(local.has_value());
  EXPECT_TRUE(local->is_local_vllm_candidate());
  EXPECT_EQ(local->kind, ProviderKind::ThisDevice);
  EXPECT_FALSE(local->enabled);
  ProviderProfile hosted_with_the_id = *local;
  hosted_with_the_id.kind = ProviderKind::Hosted;
  EXPECT_FALSE(hosted_with_the_id.is_local_vllm_candidate());
  ProviderProfile other_device = *local;
  other_device.id = "my-server";
  EXPECT_FALSE(other_device.is_local_vllm_candidate());
}

TEST(ProviderProfile, DisplayLabelFallsBackToTheProtocol) {
  ProviderProfile profile;
  profile.protocol = ProviderProtocol::Anthropic;
  profile.label = " \t";
  EXPECT_EQ(profile.display_label(), "Anthropic");
  profile.label = "Work";
  EXPECT_EQ(profile.display_label(), "Work");
}

TEST(ProviderConfigChecks, ValidationErrorsNameWhatToMend) {
  ProviderConfig config;
  ProviderProfile good;
  good.id = "good";
  good.label = "Good";
  good.endpoint = "https://example.test/v1";
  ProviderProfile blank;
  blank.id = "blank";
  blank.label = "  ";
  config.profiles = {good, blank, good};
  config.default_provider = "gone";
  using Errors = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(config.validation_errors(), (Errors{{"blank", "provider blank has no name"},
                                                {"blank", "provider blank has no endpoint"},
                                                {"good", "provider id good is used more than once"},
                                                {"", "the default provider gone is not configured"}}));
  config.profiles = {good};
  config.default_provider = "good";
  EXPECT_TRUE(config.validation_errors().empty());
}

TEST_F(ProviderFiles, SecretReferenceAndUnknownKeysSurviveASave) {
  write_config(
      R"({"profiles":[{"id":"p","label":"P","secret":{"vault":"model-gateway","name":"p"},"future":1}],"later":true})");
  auto config = ProviderConfig::try_load();
  ASSERT_TRUE(config.has_value()) << config.error();
  ASSERT_TRUE(config->profiles[0].secret.has_value());
  EXPECT_EQ(config->profiles[0].secret->vault, "model-gateway");
  config->profiles[0].label = "Q";
  ASSERT_TRUE(config->save().has_value());
  const std::string saved = read(config_file());
  EXPECT_NE(saved.find(R"("secret":{"vault":"model-gateway","name":"p"})"), std::string::npos) << saved;
  EXPECT_NE(saved.find(R"("later":true)"), std::string::npos) << saved;
  EXPECT_EQ(ProviderConfig::try_load(), config);
}

TEST_F(ProviderFiles, ApiKeysAreStoredEncryptedAndRemoved) {
  EXPECT_FALSE(orvo_model_gateway::secret_configured("p1"));
  ASSERT_TRUE(orvo_model_gateway::set_api_key("p1", orvo_secret::SecretString("  sk-test-123456\n")).has_value());
  EXPECT_TRUE(orvo_model_gateway::secret_configured("p1"));
  EXPECT_EQ(std::filesystem::status(gateway_vault_file()).permissions() & std::filesystem::perms::all,
            std::filesystem::perms(0600));
  EXPECT_EQ(read(gateway_vault_file()).find("sk-test-123456"), std::string::npos);
  auto vault = accounts::vault::SecretVault::open_in(*orvo_model_gateway::vault_root());
  EXPECT_EQ(vault.get("p1")->secret.view(), "sk-test-123456");
  ASSERT_TRUE(orvo_model_gateway::remove_api_key("p1").has_value());
  EXPECT_FALSE(orvo_model_gateway::secret_configured("p1"));
}

TEST_F(ProviderFiles, ABlankKeyOrAnUnreadableVaultStoresNothing) {
  EXPECT_EQ(orvo_model_gateway::set_api_key("p1", orvo_secret::SecretString(" \n")),
            std::unexpected(std::string("no API key was entered")));
  EXPECT_FALSE(std::filesystem::exists(gateway_vault_file()));
  std::filesystem::create_directories(gateway_vault_file().parent_path());
  std::ofstream(gateway_vault_file(), std::ios::binary) << "damaged";
  const auto stored = orvo_model_gateway::set_api_key("p1", orvo_secret::SecretString("sk-1"));
  ASSERT_FALSE(stored.has_value());
  EXPECT_TRUE(stored.error().starts_with("the key vault could not be read: ")) << stored.error();
  EXPECT_EQ(read(gateway_vault_file()), "damaged");
  EXPECT_FALSE(orvo_model_gateway::secret_configured("p1"));
}

}  // namespace
}  // namespace agent_provider_config

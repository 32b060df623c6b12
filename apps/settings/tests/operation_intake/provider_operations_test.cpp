// Provider operations against a configuration file in a temporary configuration directory.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>

#include "agent_provider_config/provider_config.h"
#include "intake_support.h"
#include "orvo_model_gateway/api_keys.h"

namespace settings::settings_app {
namespace {

using namespace testing;
using agent_provider_config::ModelDescriptor;
using agent_provider_config::ProviderConfig;
using agent_provider_config::ProviderProfile;
using agent_provider_config::ProviderProtocol;

constexpr std::string_view kProviderKind = "settings.agent-provider-operation";

ProviderProfile profile(std::string id, bool enabled, std::optional<std::string> model) {
  ProviderProfile p;
  p.id = std::move(id);
  p.label = "Label of " + p.id;
  p.endpoint = "https://" + p.id + ".example";
  p.enabled = enabled;
  if (model) p.models.push_back(ModelDescriptor::named(*model));
  p.model = std::move(model);
  return p;
}

class ProviderOperations : public RootIntake {
 protected:
  void SetUp() override {
    RootIntake::SetUp();
    seeded_.profiles = {profile("ready", true, "model-a"), profile("bare", true, std::nullopt),
                        profile("off", false, "model-b")};
    ASSERT_TRUE(seeded_.save().has_value());
    seeded_bytes_ = file_bytes();
  }

  orvo_ui::StartAnswer provider(std::string_view payload) { return start(kEffect, kProviderKind, payload); }
  ProviderConfig stored() const { return ProviderConfig::try_load().value(); }
  std::string file_bytes() const { return accounts_test::file_bytes(*ProviderConfig::path()).value_or(""); }

  ProviderConfig seeded_;
  std::string seeded_bytes_;
};

struct RefusalCase {
  std::string_view payload;
  std::string message;
};

void PrintTo(const RefusalCase& c, std::ostream* out) { *out << c.payload; }

class ProviderRefusals : public ProviderOperations, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(ProviderRefusals, SaveNothingAndSelectNothing) {
  EXPECT_EQ(provider(GetParam().payload), rejected(GetParam().message));
  EXPECT_EQ(file_bytes(), seeded_bytes_);
  EXPECT_EQ(app().section(), SettingsSection::Network);
}

INSTANTIATE_TEST_SUITE_P(
    EachVariant, ProviderRefusals,
    ::testing::Values(
        RefusalCase{R"({"Add":{"protocol":"Anthropic"}})", "unsupported provider protocol"},
        RefusalCase{R"({"SetProtocol":{"id":"gone","protocol":"anthropic"}})", "provider is no longer available"},
        RefusalCase{R"({"SetProtocol":{"id":"ready","protocol":"openai"}})", "unsupported provider protocol"},
        RefusalCase{R"({"SetEnabled":{"id":"gone","enabled":true}})", "provider is no longer available"},
        RefusalCase{R"({"Remove":{"id":"gone"}})", "provider is no longer available"},
        // Only an enabled provider with a default model can become the default.
        RefusalCase{R"({"SetDefault":{"id":"bare"}})", "provider cannot currently be selected as default"},
        RefusalCase{R"({"SetDefault":{"id":"off"}})", "provider cannot currently be selected as default"},
        RefusalCase{R"({"SetDefault":{"id":"gone"}})", "provider cannot currently be selected as default"},
        RefusalCase{R"({"SetDetails":{"id":"gone","label":" \t","endpoint":"https://x","model":null}})",
                    "provider name and endpoint are required"},
        RefusalCase{R"({"SetDetails":{"id":"ready","label":"Name","endpoint":"  ","model":null}})",
                    "provider name and endpoint are required"},
        RefusalCase{R"({"SetDetails":{"id":"gone","label":"Name","endpoint":"https://x","model":null}})",
                    "provider is no longer available"},
        // The provider's key would be sent to the endpoint.
        RefusalCase{R"j({"SetDetails":{"id":"ready","label":"Name","endpoint":"javascript:alert(1)","model":null}})j",
                    "the endpoint must be an http:// or https:// address"}));

TEST_F(ProviderOperations, AddAppendsAHostedProfileAndSelectsAgentModels) {
  EXPECT_EQ(provider(R"({"Add":{"protocol":"anthropic"}})"), completed());
  EXPECT_EQ(provider(R"({"Add":{"protocol":"anthropic"}})"), completed());
  const ProviderConfig config = stored();
  ASSERT_EQ(config.profiles.size(), 5U);
  EXPECT_EQ(config.profiles[3].protocol, ProviderProtocol::Anthropic);
  EXPECT_NE(config.profiles[3].id, config.profiles[4].id) << "a second Add keeps the first";
  EXPECT_EQ(app().section(), SettingsSection::AgentModels);
}

TEST_F(ProviderOperations, SetProtocolEnabledAndDefaultChangeOnlyTheirField) {
  EXPECT_EQ(provider(R"({"SetProtocol":{"id":"ready","protocol":"anthropic"}})"), completed());
  EXPECT_EQ(provider(R"({"SetEnabled":{"id":"bare","enabled":false}})"), completed());
  EXPECT_EQ(provider(R"({"SetDefault":{"id":"ready"}})"), completed());
  ProviderConfig expected = seeded_;
  expected.profiles[0].protocol = ProviderProtocol::Anthropic;
  expected.profiles[1].enabled = false;
  expected.default_provider = "ready";
  EXPECT_EQ(stored(), expected);
}

struct DetailsCase {
  std::string name;
  std::string_view payload;
  std::vector<std::string> models;  // ids afterwards
  std::optional<std::string> model;
};

void PrintTo(const DetailsCase& c, std::ostream* out) { *out << c.name; }

class ProviderDetails : public ProviderOperations, public ::testing::WithParamInterface<DetailsCase> {};

TEST_P(ProviderDetails, ReplaceLabelAndEndpointAsGiven) {
  ASSERT_EQ(provider(GetParam().payload), completed());
  const ProviderConfig config = stored();
  const ProviderProfile& p = config.profiles[0];
  EXPECT_EQ(p.label, " New name ");
  EXPECT_EQ(p.endpoint, "https://new.example ");
  std::vector<std::string> ids;
  for (const auto& m : p.models) ids.push_back(m.id);
  EXPECT_EQ(ids, GetParam().models);
  EXPECT_EQ(p.model, GetParam().model);
}

INSTANTIATE_TEST_SUITE_P(
    Models, ProviderDetails,
    ::testing::Values(
        DetailsCase{"ListedModelOnlyBecomesTheDefault",
                    R"({"SetDetails":{"id":"ready","label":" New name ","endpoint":"https://new.example ","model":"model-a"}})",
                    {"model-a"}, "model-a"},
        DetailsCase{"NewModelIsAddedAndBecomesTheDefault",
                    R"({"SetDetails":{"id":"ready","label":" New name ","endpoint":"https://new.example ","model":"model-c"}})",
                    {"model-a", "model-c"}, "model-c"},
        DetailsCase{"BlankModelKeepsTheModels",
                    R"({"SetDetails":{"id":"ready","label":" New name ","endpoint":"https://new.example ","model":"  "}})",
                    {"model-a"}, "model-a"},
        DetailsCase{"AbsentModelKeepsTheModels",
                    R"({"SetDetails":{"id":"ready","label":" New name ","endpoint":"https://new.example ","model":null}})",
                    {"model-a"}, "model-a"}),
    [](const auto& info) { return info.param.name; });

TEST_F(ProviderOperations, NewModelDescriptorIsNamedByItsId) {
  ASSERT_EQ(provider(R"({"SetDetails":{"id":"bare","label":"B","endpoint":"https://e.example","model":"m-9"}})"), completed());
  EXPECT_EQ(stored().profiles[1].models, std::vector<ModelDescriptor>{ModelDescriptor::named("m-9")});
}

TEST_F(ProviderOperations, RemoveDeletesTheKeyThenTheProfile) {
  {
    auto vault = ::accounts::vault::SecretVault::open_in(*orvo_model_gateway::vault_root());
    vault.put("ready", accounts_test::credential("sk-ready"));
    vault.put("bare", accounts_test::credential("sk-bare"));
    ASSERT_TRUE(vault.try_save().has_value());
  }
  EXPECT_EQ(provider(R"({"Remove":{"id":"ready"}})"), completed());
  EXPECT_EQ(stored().find("ready"), nullptr);
  EXPECT_EQ(stored().profiles.size(), 2U);
  auto vault = ::accounts::vault::SecretVault::open_in(*orvo_model_gateway::vault_root());
  EXPECT_FALSE(vault.get("ready").has_value());
  EXPECT_TRUE(vault.get("bare").has_value());
}

TEST_F(ProviderOperations, AKeyThatCannotBeRemovedKeepsTheProfile) {
  const auto vault_file = *orvo_model_gateway::vault_root() / "vault" / "vault.enc";
  accounts_test::write_file(vault_file, "not a vault");
  const auto answer = provider(R"({"Remove":{"id":"ready"}})");
  const auto* refusal = std::get_if<orvo_ui::start::Rejected>(&answer);
  ASSERT_NE(refusal, nullptr);
  EXPECT_TRUE(refusal->message.starts_with("provider vault key was not removed: ")) << refusal->message;
  EXPECT_EQ(file_bytes(), seeded_bytes_);
  EXPECT_EQ(accounts_test::file_bytes(vault_file), "not a vault");
}

// A configuration file that cannot be read stops the change instead of being replaced by one
// holding only the change.
TEST_F(ProviderOperations, AnUnreadableFileIsNotOverwritten) {
  accounts_test::write_file(*ProviderConfig::path(), "{\"profiles\":[");
  const auto answer = provider(R"({"Add":{"protocol":"anthropic"}})");
  const auto* refusal = std::get_if<orvo_ui::start::Rejected>(&answer);
  ASSERT_NE(refusal, nullptr);
  EXPECT_TRUE(refusal->message.starts_with("could not read provider settings: ")) << refusal->message;
  EXPECT_EQ(file_bytes(), "{\"profiles\":[");
}

// The save runs in a child whose file size limit stops the write part-way.
TEST_F(ProviderOperations, AFailedSaveLeavesTheFileUnchanged) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{64, 64};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const auto answer = provider(R"({"SetDetails":{"id":"ready","label":"A longer label","endpoint":"https://e.example","model":null}})");
    const auto* refusal = std::get_if<orvo_ui::start::Rejected>(&answer);
    ::_exit(refusal && refusal->message.starts_with("provider settings were not saved: ") ? 0 : 3);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status)) << status;
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed save is reported";
  EXPECT_EQ(file_bytes(), seeded_bytes_);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(ProviderConfig::path()->parent_path()),
                          std::filesystem::directory_iterator{}),
            1)
      << "no temporary file is left behind";
}

}  // namespace
}  // namespace settings::settings_app

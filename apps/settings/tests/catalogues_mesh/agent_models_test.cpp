#include <gtest/gtest.h>

#include "catalogues/agent_models_actions.h"
#include "catalogues/section_catalogues.h"
#include "mesh_fixture.h"
#include "orvo_runtime/system_paths.h"
#include "orvo_testing/temp_dir.h"

namespace settings::actions {
namespace {

using testing::action_names;
using testing::build_with;
using testing::FakeMeshQueries;
using testing::sent;

orvo_actions::Resource agent_models(const FakeMeshQueries& mesh) {
  return build_with(mesh, [](const SectionInputs& inputs) { return agent_models_resource(inputs); });
}

ProviderEntry hosted(std::string id, bool enabled = true, std::string protocol = "anthropic") {
  return {std::move(id), std::move(protocol), enabled, ProviderPlacement::Hosted, "Provider"};
}

TEST(AgentModelsActions, SectionWithoutProvidersOrSnapshot) {
  const auto resource = agent_models(FakeMeshQueries{});
  EXPECT_EQ(resource.id, "settings.section:agent_models");
  EXPECT_EQ(resource.kind, "settings.agent-models");
  EXPECT_EQ(action_names(resource), (std::vector<std::string>{"add-anthropic", "add-openai-compatible"}));
  EXPECT_TRUE(resource.children.empty());
  EXPECT_EQ(sent(resource.actions[1]), R"(settings.agent-provider-operation {"Add":{"protocol":"openai-compatible"}})");
}

TEST(AgentModelsActions, ProviderChildren) {
  FakeMeshQueries mesh;
  mesh.profiles = {hosted("p1"), hosted("p2", false, "openai-compatible"),
                   {"local", "anthropic", true, ProviderPlacement::Local, "Local"},
                   {"lan", "anthropic", true, ProviderPlacement::PrivateNetwork, "LAN"}};
  const auto resource = agent_models(mesh);
  ASSERT_EQ(resource.children.size(), 3u);
  const auto& p1 = resource.children[0];
  EXPECT_EQ(p1.id, "settings.agent-provider:p1");
  EXPECT_EQ(p1.kind, "settings.agent-provider");
  EXPECT_EQ(action_names(p1),
            (std::vector<std::string>{"set-protocol", "disable", "remove", "set-details", "set-default"}));
  EXPECT_EQ(p1.actions[0].title, "Use openai-compatible protocol");
  EXPECT_TRUE(p1.find_action("remove")->is_destructive);
  EXPECT_EQ(p1.find_action("remove")->contract.tags, (std::vector<std::string>{"device-local", "agent-provider"}));
  EXPECT_EQ(sent(*p1.find_action("set-details"), R"({"label":"Work","endpoint":"https://api.example"})"),
            R"(settings.agent-provider-operation {"SetDetails":{"id":"p1","label":"Work","endpoint":"https://api.example","model":null}})");
  EXPECT_EQ(sent(*p1.find_action("set-details"), R"({"label":"Work"})").substr(0, 8), "refused:");

  const auto& p2 = resource.children[1];
  EXPECT_EQ(p2.actions[0].title, "Use anthropic protocol");
  ASSERT_NE(p2.find_action("enable"), nullptr);
  EXPECT_EQ(sent(*p2.find_action("enable")), R"(settings.agent-provider-operation {"SetEnabled":{"id":"p2","enabled":true}})");
  EXPECT_EQ(resource.children[2].id, "settings.agent-provider:lan");
}

TEST(AgentModelsActions, ProviderChildrenAreCappedWithoutCountingLocalProfiles) {
  FakeMeshQueries mesh;
  for (int i = 0; i < 10; ++i) mesh.profiles.push_back({"l" + std::to_string(i), "anthropic", true, ProviderPlacement::Local, "L"});
  for (int i = 0; i < 300; ++i) mesh.profiles.push_back(hosted("h" + std::to_string(i)));
  const auto resource = agent_models(mesh);
  ASSERT_EQ(resource.children.size(), 256u);
  EXPECT_EQ(resource.children.front().id, "settings.agent-provider:h0");
  EXPECT_EQ(resource.children.back().id, "settings.agent-provider:h255");
}

TEST(AgentModelsActions, AcceleratorStateGatesSetupAndInstall) {
  const ModelRecommendation recommended{ModelFit::Good, {"pkg", "Small model", "r3"}};
  const struct {
    std::optional<AcceleratorState> state;
    ModelFit fit;
    bool stage;
    bool install;
  } cases[] = {
      {std::nullopt, ModelFit::Good, false, true},
      {AcceleratorState::Available, ModelFit::Good, true, false},
      {AcceleratorState::Error, ModelFit::Good, true, false},
      {AcceleratorState::Staging, ModelFit::Good, false, false},
      {AcceleratorState::Active, ModelFit::Good, false, true},
      {AcceleratorState::Active, ModelFit::Unsupported, false, false},
  };
  for (const auto& row : cases) {
    FakeMeshQueries mesh;
    mesh.snapshot = ModelSnapshot{ModelRecommendation{row.fit, recommended.package}, {}, row.state};
    const auto resource = agent_models(mesh);
    EXPECT_EQ(resource.find_action("stage-accelerator") != nullptr, row.stage);
    ASSERT_EQ(resource.children.size(), 1u);
    const auto& child = resource.children.front();
    EXPECT_EQ(child.id, "settings.agent-model-recommendation:pkg");
    EXPECT_EQ(child.kind, "settings.agent-model-package");
    EXPECT_EQ(child.find_action("install") != nullptr, row.install);
    if (row.install) {
      EXPECT_EQ(sent(*child.find_action("install")),
                R"(settings.agent-model-operation {"Install":{"id":"pkg","revision":"r3"}})");
    }
  }
}

TEST(AgentModelsActions, ModelActionsByPhase) {
  FakeMeshQueries mesh;
  mesh.snapshot = ModelSnapshot{std::nullopt,
                                {{{"a", "A", "1"}, ModelPhase::Downloading, false},
                                 {{"b", "B", "1"}, ModelPhase::Installing, false},
                                 {{"c", "C", "1"}, ModelPhase::Ready, false},
                                 {{"d", "D", "1"}, ModelPhase::Ready, true},
                                 {{"e", "E", "2"}, ModelPhase::Error, false}},
                                std::nullopt};
  const auto resource = agent_models(mesh);
  ASSERT_EQ(resource.children.size(), 5u);
  const std::vector<std::vector<std::string>> expected{
      {}, {}, {"start", "remove"}, {"stop", "remove"}, {"retry", "remove"}};
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(action_names(resource.children[i]), expected[i]) << i;
  const auto& failed = resource.children[4];
  EXPECT_EQ(failed.id, "settings.agent-model:e");
  EXPECT_EQ(sent(*failed.find_action("retry")), R"(settings.agent-model-operation {"Retry":{"id":"e","revision":"2"}})");
  const auto* remove = failed.find_action("remove");
  EXPECT_TRUE(remove->is_destructive);
  EXPECT_EQ(remove->contract.tags,
            (std::vector<std::string>{"device-local", "agent-models", "live-model", "destructive"}));
}

TEST(AgentModelsActions, ProviderButtonBindings) {
  FakeMeshQueries mesh;
  mesh.profiles = {hosted("p1")};
  const auto resource = agent_models(mesh);
  auto add = agent_provider_unit_binding(resource, std::nullopt, "add-anthropic");
  ASSERT_TRUE(add.has_value());
  EXPECT_EQ(add->address().resource, "settings.section:agent_models");
  auto remove = agent_provider_unit_binding(resource, "p1", "remove");
  ASSERT_TRUE(remove.has_value());
  EXPECT_EQ(remove->address().resource, "settings.agent-provider:p1");
  EXPECT_FALSE(agent_provider_unit_binding(resource, "p2", "remove").has_value());
  EXPECT_FALSE(agent_provider_unit_binding(resource, "p1", "set-details").has_value());  // takes arguments
}

TEST(AgentModelsActions, SystemQueriesReadTheProviderConfiguration) {
  const orvo_testing::TempDir config;
  config.write("orvo/agent-providers.json",
               R"({"profiles":[{"id":"a","label":"Work","protocol":"anthropic","enabled":false},)"
               R"({"id":"b","label":" ","kind":"this-device"},)"
               R"({"id":"c","protocol":"openai-compatible","kind":"private-network"}]})");
  const system_paths::ScopedOverride paths(config.root(), config.root());
  EXPECT_EQ(system_mesh_model_queries().provider_profiles(),
            (std::vector<ProviderEntry>{{"a", "anthropic", false, ProviderPlacement::Hosted, "Work"},
                                        {"b", "openai-compatible", true, ProviderPlacement::Local, "OpenAI-compatible"},
                                        {"c", "openai-compatible", true, ProviderPlacement::PrivateNetwork,
                                         "OpenAI-compatible"}}));

  config.write("orvo/agent-providers.json", "{ not json");
  EXPECT_TRUE(system_mesh_model_queries().provider_profiles().empty());
}

}  // namespace
}  // namespace settings::actions

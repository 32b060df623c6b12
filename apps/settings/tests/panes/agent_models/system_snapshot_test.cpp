// The Agent Models catalogue against the system's queries, with a stand-in model manager.
#include <gtest/gtest.h>

#include "agent_models/model_stub.h"
#include "catalogues/queries/mesh_model_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_inputs.h"
#include "harness/pane_home.h"
#include "orvo_doc/document.h"
#include "preferences/records.h"

namespace settings::actions {
namespace {

constexpr std::string_view kOneReadyModel = R"({"hardware":{"fit":"good","memory_gib":32,"accelerator":"none",
"reason":"Enough memory."},"models":[{"package":{"id":"tiny-2.5","name":"Tiny","description":"Small.",
"source":"s","revision":"r7","license":"MIT","license_url":"u","download_bytes":1,"installed_bytes":2},
"phase":{"state":"ready","running":false}}]})";

orvo_actions::Resource agent_models_with_system_snapshot() {
  const CatalogueQueries& offline = offline_queries();
  const CatalogueQueries queries{offline.devices, offline.media, offline.input, offline.lists,
                                 system_mesh_model_queries()};
  orvo_doc::Document document;
  preferences::Preferences preferences;
  return agent_models_resource(SectionInputs{document, preferences, {}, queries});
}

TEST(SystemModelSnapshot, InstalledModelsBecomeChildren) {
  panes::testing::PaneHome home;
  panes::testing::ModelManagerStub stub(home.root() / "stubs");
  stub.answer(kOneReadyModel);
  const auto resource = agent_models_with_system_snapshot();
  const orvo_actions::Resource* model = nullptr;
  for (const auto& child : resource.children) {
    if (child.id == "settings.agent-model:tiny-2.5") model = &child;
  }
  ASSERT_NE(model, nullptr);
  EXPECT_NE(model->find_action("start"), nullptr);
  EXPECT_NE(model->find_action("remove"), nullptr);
  EXPECT_EQ(model->find_action("stop"), nullptr);

  stub.uninstall();
  const auto without = agent_models_with_system_snapshot();
  for (const auto& child : without.children) EXPECT_FALSE(child.id.starts_with("settings.agent-model:")) << child.id;
}

TEST(SystemModelSnapshot, AnUnreadableAnswerGivesNoModels) {
  panes::testing::PaneHome home;
  panes::testing::ModelManagerStub stub(home.root() / "stubs");
  stub.answer("not json");
  const auto resource = agent_models_with_system_snapshot();
  for (const auto& child : resource.children) EXPECT_FALSE(child.id.starts_with("settings.agent-model")) << child.id;
}

}  // namespace
}  // namespace settings::actions

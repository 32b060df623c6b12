// The Agent Models page inside the application window: a provider button goes through the shell,
// which changes the stored list after the frame, and the page shows the stored list in the frames
// that follow without further input.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "../../settings_app/root_support.h"
#include "agent_provider_config/provider_config.h"
#include "harness/pane_home.h"
#include "harness/stub_programs.h"
#include "orvo_ui/widgets/button.h"
#include "orvo_ui/widgets/text_input.h"
#include "panes/agent_models/agent_models_pane.h"

namespace settings::panes::agent_models {
namespace {

using agent_provider_config::ProviderConfig;
using agent_provider_config::ProviderProfile;
using agent_provider_config::ProviderProtocol;
using settings_app::SettingsSection;

ProviderProfile hosted(std::string id) {
  ProviderProfile p;
  p.id = std::move(id);
  p.label = "Provider " + p.id;
  p.endpoint = "https://" + p.id + ".example/v1";
  return p;
}

orvo_ui::Widget* find_id(orvo_ui::Widget& root, std::string_view id) {
  if (root.widget_id() == id) return &root;
  for (auto* child : root.children_mut()) {
    if (auto* found = find_id(*child, id)) return found;
  }
  return nullptr;
}

AgentModelsPane* find_pane(orvo_ui::Widget& root) {
  if (auto* pane = dynamic_cast<AgentModelsPane*>(&root)) return pane;
  for (auto* child : root.children_mut()) {
    if (auto* found = find_pane(*child)) return found;
  }
  return nullptr;
}

// Frames until the page waits for nothing (its snapshot, the vault's answers), then one more for the
// last answer's rebuild: a click then lands where the page was laid out.
void settle(settings_app::testing::RootInALoop& ui) {
  for (int i = 0; i < 2000; ++i) {
    ui.frame();
    const AgentModelsPane* pane = find_pane(ui.root());
    if (pane && !pane->busy()) {
      ui.frame();
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  FAIL() << "the Agent Models page kept waiting";
}

std::string click_line(const orvo_ui::Widget& widget) {
  const auto c = widget.get_rect().center();
  return "click " + std::to_string(static_cast<int>(c.x)) + " " + std::to_string(static_cast<int>(c.y));
}

TEST(AgentModelsInTheWindow, ProviderButtonsShowTheStoredListInTheFollowingFrames) {
  testing::PaneHome home;
  // No model manager: the local part says so and the providers work as usual.
  testing::StubPrograms stubs(home.root() / "stubs");
  ProviderConfig config;
  config.profiles = {hosted("one"), hosted("two")};
  ASSERT_TRUE(config.save().has_value());

  settings_app::testing::RootInALoop ui(1280, 4000);
  ui.frame();
  ui.run(ui.click_row(SettingsSection::AgentModels));
  ui.run("frames 2");
  settle(ui);
  auto& root = ui.root();
  ASSERT_NE(find_id(root, "agent-models-enabled-one"), nullptr);

  // Text typed into another provider's form, not saved.
  ui.run(click_line(*find_id(root, "agent-models-url-two")));
  ui.run("text /typed");

  ui.run(click_line(*find_id(root, "agent-models-enabled-one")));
  ui.run("frames 3");
  settle(ui);
  auto* toggle = dynamic_cast<orvo_ui::Button*>(find_id(root, "agent-models-enabled-one"));
  ASSERT_NE(toggle, nullptr);
  EXPECT_EQ(toggle->label(), "Enable");
  EXPECT_FALSE(ProviderConfig::load().find("one")->enabled);

  ui.run(click_line(*find_id(root, "agent-models-add-anthropic")));
  ui.run("frames 3");
  settle(ui);
  const auto stored = ProviderConfig::load();
  ASSERT_EQ(stored.profiles.size(), 3u);
  const ProviderProfile& added = stored.profiles.back();
  EXPECT_EQ(added.protocol, ProviderProtocol::Anthropic);
  EXPECT_NE(find_id(root, "agent-models-url-" + added.id), nullptr);

  auto* typed = dynamic_cast<orvo_ui::TextInput*>(find_id(root, "agent-models-url-two"));
  ASSERT_NE(typed, nullptr);
  EXPECT_EQ(typed->cell().snapshot(), "https://two.example/v1/typed");

  ui.run(click_line(*find_id(root, "agent-models-remove-provider-one")));
  ui.run("frames 3");
  settle(ui);
  EXPECT_EQ(find_id(root, "agent-models-url-one"), nullptr);
}

}  // namespace
}  // namespace settings::panes::agent_models

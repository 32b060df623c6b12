// The Devices & Sync page inside the running root: a switch pressed on the page travels as a typed
// operation through the action system and the device-local runner to the pane, and the page built
// afterwards shows the new value.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>

#include "../../settings_app/root_support.h"
#include "device_mesh/mesh_env.h"
#include "device_mesh/mesh_pane_fixture.h"
#include "harness/pane_harness.h"
#include "harness/pane_home.h"
#include "harness/stub_programs.h"
#include "orvo_ui/widgets/toggle.h"
#include "panes/device_mesh/device_mesh_pane.h"

namespace settings::panes::device_mesh {
namespace {

using panes::testing::find_widget;
using settings_app::OperationStatus;
using settings_app::SettingsSection;
using testing::ScopedEnv;

constexpr std::string_view kClipboardToggle = "device_mesh.continuity.clipboard";

TEST(DeviceMeshPageInTheRoot, ASwitchReachesThePaneAsAnOperationAndTheRebuiltPageShowsIt) {
  panes::testing::PaneHome home;
  ScopedEnv identity_root("ORVO_IDENTITY_ROOT", (home.root() / "device-root").string());
  ScopedEnv identity_dir("ORVO_USER_IDENTITY_DIR", (home.root() / "identities").string());
  panes::testing::StubPrograms stubs(home.root() / "stubs");
  stubs.answer("pkexec", "");

  settings_app::testing::RootInALoop loop;
  loop.frame();
  loop.run(loop.click_row(SettingsSection::DevicesSync));
  loop.run("frames 2");
  auto* before = dynamic_cast<orvo_ui::Toggle*>(find_widget(loop.root(), kClipboardToggle));
  ASSERT_NE(before, nullptr);
  ASSERT_FALSE(before->value());
  const auto at = before->get_rect().center();
  loop.run("click " + std::to_string(static_cast<int>(at.x)) + " " + std::to_string(static_cast<int>(at.y)));

  // The press went through the section's action to the device-local runner, which handed the
  // operation to the pane's cell under its key; the pane ends it in a later pass.
  const std::string key =
      R"(settings.device-mesh-operation:{"SetService":{"service":"continuity.clipboard","enabled":true}})";
  EXPECT_EQ(loop.root().operation_status().snapshot(), OperationStatus(OperationStatus::Running{key}));
  for (int i = 0; i < 200 && loop.root().operation_status().snapshot().is_running(key); ++i) {
    loop.run("frames 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_FALSE(loop.root().operation_status().snapshot().is_running(key));
  EXPECT_FALSE(loop.root().device_mesh_operation().snapshot().has_value());
  loop.run("frames 2");

  // Built again from the pane: the switch, its description and the audit follow the new value.
  auto* after = dynamic_cast<orvo_ui::Toggle*>(find_widget(loop.root(), kClipboardToggle));
  ASSERT_NE(after, nullptr);
  EXPECT_TRUE(after->value());
  const auto texts = panes::testing::texts_of(loop.root());
  const auto shows = [&](std::string_view text) { return std::find(texts.begin(), texts.end(), text) != texts.end(); };
  EXPECT_TRUE(shows("Share copied text and images with the current certified device. Prepared, but stopped by the "
                    "master switch."));
  EXPECT_TRUE(std::any_of(texts.begin(), texts.end(),
                          [](const std::string& t) { return t.starts_with("Clipboard allowed · local record "); }));
  const auto settings = nlohmann::json::parse(home.read("config/orvo/settings.json").value_or("null"));
  EXPECT_EQ(settings["continuity"]["clipboard"], true) << settings.dump();
  EXPECT_EQ(settings["continuity"]["audit"].size(), 1u) << settings.dump();

  // The policy apply that follows the change ran through the stand-in.
  for (int i = 0; i < 200 && stubs.log().empty(); ++i) {
    loop.run("frames 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(stubs.log().size(), 1u);
  EXPECT_EQ(stubs.log().front(), "pkexec /usr/libexec/orvo-home-peer-control apply");
}

TEST(DeviceMeshPageInTheRoot, APressOnThePageLeavesThePanesSourceRecordOnce) {
  testing::MeshPaneFixture fixture;
  DeviceMeshPane pane = fixture.attached_pane();
  panes::testing::PaneInALoop ui(pane, 1280, 800);
  EXPECT_FALSE(pane.commit_context().has_value());
  orvo_ui::Widget* add = find_widget(pane, "device_mesh.approve_personal_device");
  ASSERT_NE(add, nullptr);
  ui.click(*add);
  ui.frame();
  const auto source = pane.commit_context();
  ASSERT_TRUE(source.has_value());
  EXPECT_EQ(source->title, "Change device mesh settings");
  ASSERT_TRUE(source->source.has_value());
  EXPECT_EQ(source->source->resource_id, "settings.preference:devices-sync");
  EXPECT_EQ(source->source->source_kind, "settings.preference-pane");
  EXPECT_EQ(source->source->label, "Devices & Sync");
  ASSERT_TRUE(source->application.has_value());
  EXPECT_EQ(source->application->id, "org.orvo.Settings");
  EXPECT_FALSE(pane.commit_context().has_value());
}

}  // namespace
}  // namespace settings::panes::device_mesh

#include <gtest/gtest.h>

#include "catalogues/devices_sync_actions.h"
#include "catalogues/resource_tree.h"
#include "catalogues/section_catalogues.h"
#include "mesh_fixture.h"

namespace settings::actions {
namespace {

using testing::action_names;
using testing::build_with;
using testing::FakeMeshQueries;
using testing::sent;

orvo_actions::Resource devices_sync(const FakeMeshQueries& mesh) {
  return build_with(mesh, [](const SectionInputs& inputs) { return devices_sync_resource(inputs); });
}

TEST(DevicesSyncActions, PublishesSixteenActionsInOrderWhateverTheWorkspaces) {
  const std::vector<std::string> expected{
      "role", "replication", "inbound-relay", "remote-control", "app-serving", "compute",
      "continuity-enabled", "continuity-clipboard", "continuity-notifications", "continuity-wifi-settings",
      "continuity-media", "continuity-display-input", "continuity-file-transfer", "continuity-realtime-sessions",
      "continuity-typed-gamepad", "continuity-app-continuations"};
  FakeMeshQueries none;
  FakeMeshQueries two;
  two.workspace_list = {{7, "Studio"}, {9, "Workspace 9"}};
  EXPECT_EQ(action_names(devices_sync(none)), expected);
  EXPECT_EQ(action_names(devices_sync(two)), expected);
  EXPECT_TRUE(devices_sync(none).children.empty());

  const auto resource = devices_sync(two);
  EXPECT_EQ(resource.id, "settings.section:devices_sync");
  EXPECT_EQ(resource.kind, "settings.section");
  EXPECT_EQ(resource.title, "Devices & Sync");
}

TEST(DevicesSyncActions, FlagsTagsAndWhatEachActionSends) {
  const auto resource = devices_sync(FakeMeshQueries{});
  const auto* role = resource.find_action("role");
  const auto* replication = resource.find_action("replication");
  ASSERT_TRUE(role && replication);
  EXPECT_TRUE(role->is_destructive);
  EXPECT_FALSE(replication->is_destructive);
  EXPECT_EQ(role->find_param("choice")->allowed_values,
            (std::vector<std::string>{"Personal device", "Available while active", "Always-on server"}));
  EXPECT_EQ(role->contract.tags, (std::vector<std::string>{"device-local", "security", "device-mesh"}));
  EXPECT_EQ(sent(*role, R"({"choice":"Always-on server"})"),
            R"(settings.device-mesh-operation {"SetRole":{"role":"Always-on server"}})");
  EXPECT_EQ(sent(*replication, R"({"choice":"Cloud"})").substr(0, 8), "refused:");

  const struct {
    const char* action;
    const char* service;
  } services[] = {{"continuity-media", "continuity.media"},
                  {"compute", "compute"},
                  {"remote-control", "remote_control_relay"},
                  {"continuity-enabled", "continuity.enabled"}};
  for (const auto& row : services) {
    const auto* action = resource.find_action(row.action);
    ASSERT_NE(action, nullptr) << row.action;
    EXPECT_FALSE(action->is_destructive) << row.action;
    EXPECT_EQ(sent(*action, R"({"value":true})"),
              std::string(R"(settings.device-mesh-operation {"SetService":{"service":")") + row.service +
                  R"(","enabled":true}})")
        << row.action;
  }
}

TEST(DevicesSyncActions, WorkspaceChildrenAndTheirLookup) {
  FakeMeshQueries mesh;
  mesh.workspace_list = {{7, "Studio"}};
  const auto resource = devices_sync(mesh);
  ASSERT_EQ(resource.children.size(), 1u);
  const auto& child = resource.children.front();
  EXPECT_EQ(child.id, "settings.device-mesh-workspace:7");
  EXPECT_EQ(child.kind, "settings.device-mesh-workspace");
  EXPECT_EQ(child.title, "Studio");
  ASSERT_EQ(action_names(child), std::vector<std::string>{"set-available"});
  EXPECT_EQ(child.actions[0].contract.tags, (std::vector<std::string>{"device-local", "device-mesh", "workspace"}));
  EXPECT_EQ(sent(child.actions[0], R"({"value":false})"),
            R"(settings.device-mesh-operation {"SetWorkspace":{"id":7,"enabled":false}})");

  EXPECT_TRUE(find_workspace_resource(resource.children, 7).has_value());
  EXPECT_FALSE(find_workspace_resource(resource.children, 8).has_value());
  EXPECT_TRUE(workspace_available_binding(7, mesh).has_value());
  EXPECT_FALSE(workspace_available_binding(8, mesh).has_value());
}

TEST(DevicesSyncActions, BindingsExistOnlyForPublishedNames) {
  for (const char* name : {"continuity-enabled", "inbound-relay", "remote-control", "app-serving", "compute"}) {
    auto first = device_mesh_toggle_binding(name);
    ASSERT_TRUE(first.has_value()) << name;
    EXPECT_EQ(first->address().resource, "settings.section:devices_sync");
    auto second = device_mesh_toggle_binding(name);
    EXPECT_EQ(first->address(), second->address());
    EXPECT_EQ(first->spec.title, second->spec.title);
    EXPECT_EQ(first->spec.params, second->spec.params);
    EXPECT_EQ(first->arguments(true).to_json_text(), second->arguments(true).to_json_text());
  }
  EXPECT_TRUE(device_mesh_choice_binding("role").has_value());
  EXPECT_TRUE(device_mesh_choice_binding("replication").has_value());
  EXPECT_FALSE(device_mesh_toggle_binding("continuity-enable").has_value());
  EXPECT_FALSE(device_mesh_choice_binding("Role").has_value());
}

}  // namespace
}  // namespace settings::actions

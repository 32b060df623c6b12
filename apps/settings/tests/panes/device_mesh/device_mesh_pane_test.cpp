#include "panes/device_mesh/device_mesh_pane.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "device_mesh/mesh_pane_fixture.h"
#include "lib/settings_document.h"

namespace settings::panes::device_mesh {
namespace {

using namespace std::chrono_literals;
using orvo_relay_protocol::config::DeviceRole;
using orvo_relay_protocol::config::ReplicationKind;
using panes::testing::PaneHarness;
using settings_app::OperationStatus;
using testing::MeshPaneFixture;
using SetRole = DeviceMeshOperation::SetRole;
using SetReplication = DeviceMeshOperation::SetReplication;
using SetService = DeviceMeshOperation::SetService;
using SetWorkspace = DeviceMeshOperation::SetWorkspace;

OperationStatus succeeded(const std::string& key) {
  return OperationStatus(OperationStatus::Succeeded{key, std::string(kOperationSucceeded)});
}
OperationStatus failed(const std::string& key, std::string message) {
  return OperationStatus(OperationStatus::Failed{key, std::move(message)});
}

TEST(DeviceMeshPane, NewPaneShowsTheRelayStatusAndItsFirstPassWritesEveryKeyOnce) {
  MeshPaneFixture fixture;
  {
    DeviceMeshPane pane;
    EXPECT_EQ(pane.status_message(), "Not configured on this device");
  }
  fixture.home().write("etc/orvo/relay.toml", "role = \"hybrid\"\n");
  DeviceMeshPane pane;
  EXPECT_EQ(pane.status_message(), "Configuration loaded");
  EXPECT_EQ(pane.relay_config().role, DeviceRole::AvailableWhileActive);

  PaneHarness::pass(pane);
  const orvo_doc::Document& document = *pane.own_document();
  EXPECT_EQ(lib::read_bool(document, orvo_doc::kRoot, kApproveEnrollmentKey), false);
  EXPECT_EQ(lib::read_bool(document, orvo_doc::kRoot, kApprovePersonalDeviceKey), false);
  const auto heads = pane.own_document()->get_heads();
  const auto pending = document.pending_ops();
  PaneHarness::pass(pane);
  EXPECT_EQ(pane.own_document()->pending_ops(), pending);
  EXPECT_EQ(pane.own_document()->get_heads(), heads);
}

TEST(DeviceMeshPane, APressedApproveKeyIsWrittenBackToFalse) {
  MeshPaneFixture fixture;
  DeviceMeshPane pane;
  PaneHarness::pass(pane);
  ASSERT_TRUE(lib::put_if_changed(*pane.own_document(), orvo_doc::kRoot, kApprovePersonalDeviceKey,
                                  orvo_doc::ScalarValue::boolean(true)));
  PaneHarness::pass(pane);
  EXPECT_EQ(lib::read_bool(*pane.own_document(), orvo_doc::kRoot, kApprovePersonalDeviceKey), false);
  EXPECT_FALSE(pane.policy_running());
}

TEST(DeviceMeshPane, WithoutTheRootsCellsNothingIsTakenOrPublished) {
  MeshPaneFixture fixture;
  DeviceMeshPane pane;
  const DeviceMeshOperation operation = SetRole{"Always-on server"};
  const std::string key = fixture.hand_over(operation);
  PaneHarness::pass(pane);
  EXPECT_EQ(fixture.harness().app().device_mesh_operation().snapshot(), operation);
  EXPECT_EQ(fixture.harness().status(), OperationStatus(OperationStatus::Running{key}));
  EXPECT_EQ(pane.relay_config().role, DeviceRole::PersonalDevice);
  EXPECT_TRUE(fixture.pkexec_calls().empty());
}

TEST(DeviceMeshPane, WakesEvery100MsWhileACommandRunsElseAtTheRefreshOnlyWhenServing) {
  MeshPaneFixture fixture;
  fixture.answer_pkexec(0, "", "1");
  auto pane = fixture.attached_pane();
  EXPECT_EQ(pane.next_wake_deadline(), std::nullopt);

  fixture.hand_over(SetService{"compute", true});
  PaneHarness::pass(pane);
  ASSERT_TRUE(pane.policy_running());
  const auto before = orvo_ui::Deadline::after_millis(100);
  const auto wake = pane.next_wake_deadline();
  const auto after = orvo_ui::Deadline::after_millis(100);
  ASSERT_TRUE(wake.has_value());
  EXPECT_LE(before, *wake);
  EXPECT_LE(*wake, after);
  MeshPaneFixture::settle(pane);
  EXPECT_EQ(pane.next_wake_deadline(), std::nullopt);

  fixture.home().write("etc/orvo/relay.toml", "role = \"always-on\"\n");
  DeviceMeshPane server;
  EXPECT_EQ(server.next_wake_deadline(), server.refresh_deadline());
}

TEST(DeviceMeshPane, CommandDetailCleansTheProgramsErrorOutput) {
  const std::string printable(600, 'x');
  const struct {
    const char* name;
    std::string output;
    std::string expected;
  } cases[] = {
      {"white space only", " \n\t ", "fallback"},
      {"empty", "", "fallback"},
      {"600 printable characters", printable, std::string(512, 'x')},
      {"line break dropped without counting", "ab\ncd" + std::string(510, 'y'), "abcd" + std::string(508, 'y')},
      {"invalid UTF-8 replaced", "bad \xff byte", "bad \xEF\xBF\xBD byte"},
      {"trimmed", "  denied \n", "denied"},
  };
  for (const auto& c : cases) EXPECT_EQ(command_detail(c.output, "fallback"), c.expected) << c.name;
}

TEST(DeviceMeshPane, OperationsEndUnderTheirKeyAndHandTheControlProgramThePolicy) {
  struct Case {
    const char* name;
    std::vector<DeviceMeshOperation> before;
    DeviceMeshOperation operation;
    std::optional<std::string> failure;
    // role, ids, replication, inbound relay of the policy handed over
    std::optional<std::tuple<const char*, const char*, const char*, bool>> policy;
  };
  const Case cases[] = {
      {"personal device to always-on server", {}, SetRole{"Always-on server"}, {},
       {{"always-on", "4,12", "full", true}}},
      {"back to personal device keeps the bindings", {SetRole{"Always-on server"}}, SetRole{"Personal device"}, {},
       {{"interactive", "4,12", "full", false}}},
      {"the same role again still applies", {}, SetRole{"Personal device"}, {},
       {{"interactive", "", "on-demand", false}}},
      {"a workspace binding is on demand", {}, SetWorkspace{12, true}, {}, {{"interactive", "12", "on-demand", false}}},
      {"replication of every binding", {SetWorkspace{4, true}}, SetReplication{"Workspace state"}, {},
       {{"interactive", "4", "workspace-only", false}}},
      {"removing a binding", {SetWorkspace{4, true}}, SetWorkspace{4, false}, {},
       {{"interactive", "", "on-demand", false}}},
      {"a relay service switch", {}, SetService{"inbound_relay", true}, {}, {{"interactive", "", "on-demand", true}}},
      {"a Continuity capability also applies", {}, SetService{"continuity.clipboard", true}, {},
       {{"interactive", "", "on-demand", false}}},
      {"an unlabelled workspace", {}, SetWorkspace{99, true}, "workspace is no longer available on this device", {}},
      {"an unknown role", {}, SetRole{"Mainframe"}, "unsupported device role", {}},
      {"an unknown replication", {}, SetReplication{"Mirror"}, "unsupported replication policy", {}},
      {"an unknown service", {}, SetService{"bluetooth", true}, "unsupported device service", {}},
      {"an unknown Continuity capability", {}, SetService{"continuity.bluetooth", true},
       "unsupported Continuity capability", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MeshPaneFixture fixture;
    fixture.two_workspaces();
    auto pane = fixture.attached_pane();
    for (const auto& operation : c.before) {
      fixture.hand_over(operation);
      MeshPaneFixture::settle(pane);
    }
    const std::size_t calls_before = fixture.pkexec_calls().size();
    const std::string key = fixture.hand_over(c.operation);
    PaneHarness::pass(pane);
    EXPECT_EQ(fixture.harness().app().device_mesh_operation().snapshot(), std::nullopt);
    if (c.failure) {
      EXPECT_EQ(fixture.harness().status(), failed(key, *c.failure));
      EXPECT_FALSE(pane.policy_running());
      EXPECT_EQ(fixture.pkexec_calls().size(), calls_before);
      continue;
    }
    EXPECT_EQ(fixture.harness().status(), succeeded(key));
    EXPECT_EQ(pane.status_message(), "Saving changes…");
    MeshPaneFixture::settle(pane);
    EXPECT_EQ(pane.status_message(), "Saved");
    const auto calls = fixture.pkexec_calls();
    ASSERT_EQ(calls.size(), calls_before + 1);
    EXPECT_EQ(calls.back(), "/usr/libexec/orvo-home-peer-control apply");
    const auto& [role, ids, replication, inbound] = *c.policy;
    EXPECT_EQ(fixture.pkexec_input(calls.size()), fixture.policy(role, ids, replication, inbound));
  }
}

TEST(DeviceMeshPane, RoleChangesFollowThroughTheBindingsAndTheFullCopyFlag) {
  MeshPaneFixture fixture;
  fixture.two_workspaces();
  auto pane = fixture.attached_pane();
  fixture.hand_over(SetRole{"Always-on server"});
  MeshPaneFixture::settle(pane);
  const RelayConfig& config = pane.relay_config();
  ASSERT_EQ(config.workspaces.size(), 2u);
  for (const auto& binding : config.workspaces) {
    EXPECT_EQ(binding.replication.kind, ReplicationKind::Full);
    EXPECT_TRUE(binding.host_for_peers);
  }
  EXPECT_TRUE(config.full_copy);
  EXPECT_TRUE(config.reachable_by_peers);

  fixture.hand_over(SetRole{"Personal device"});
  MeshPaneFixture::settle(pane);
  EXPECT_EQ(pane.relay_config().workspaces.size(), 2u);
  EXPECT_FALSE(pane.relay_config().full_copy);
  EXPECT_FALSE(pane.relay_config().services.inbound_relay);
  EXPECT_FALSE(pane.relay_config().workspaces[0].host_for_peers);
}

TEST(DeviceMeshPane, OperationsDuringASlowApplyLeaveExactlyOneReapplyOfTheLatestState) {
  MeshPaneFixture fixture;
  fixture.two_workspaces();
  fixture.answer_pkexec(0, "", "0.6");
  auto pane = fixture.attached_pane();
  fixture.hand_over(SetService{"compute", true});
  PaneHarness::pass(pane);
  ASSERT_TRUE(pane.policy_running());

  const DeviceMeshOperation during[] = {SetService{"app_serving", true}, SetWorkspace{4, true},
                                        SetReplication{"Full workspace copy"}};
  for (const auto& operation : during) {
    const std::string key = fixture.hand_over(operation);
    PaneHarness::pass(pane);
    EXPECT_EQ(fixture.harness().status(), succeeded(key));
    EXPECT_TRUE(pane.reapply_pending());
    EXPECT_EQ(pane.status_message(), "Saving latest changes…");
  }
  MeshPaneFixture::settle(pane);
  EXPECT_EQ(pane.status_message(), "Saved");
  ASSERT_EQ(fixture.pkexec_calls().size(), 2u);
  EXPECT_EQ(fixture.pkexec_input(2),
            "{\"identity_root\":\"" + fixture.identity_root() +
                "\",\"role\":\"interactive\",\"workspace_ids\":[4],\"replication\":\"full\",\"inbound_relay\":false,"
                "\"remote_control_relay\":false,\"app_serving\":true,\"compute\":true}");
}

TEST(DeviceMeshPane, AFailedApplyIsShownAndDropsThePendingReapply) {
  const struct {
    const char* name;
    int status;
    const char* standard_error;
    bool missing;
    const char* expected;
  } cases[] = {
      {"refused without a reason", 126, "", false, "Not saved: administrator approval was not granted"},
      {"refused with a reason", 1, "relay.toml:\n permission denied ", false,
       "Not saved: relay.toml: permission denied"},
      {"pkexec missing", 0, "", true, "Not saved: could not start system setup: program \"pkexec\" was not found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MeshPaneFixture fixture;
    fixture.answer_pkexec(c.status, c.standard_error, "0.3");
    if (c.missing) fixture.stubs().remove("pkexec");
    auto pane = fixture.attached_pane();
    const std::string key = fixture.hand_over(SetService{"compute", true});
    PaneHarness::pass(pane);
    EXPECT_EQ(fixture.harness().status(), succeeded(key));
    if (!c.missing) {
      fixture.hand_over(SetService{"compute", false});
      PaneHarness::pass(pane);
      EXPECT_TRUE(pane.reapply_pending());
    }
    MeshPaneFixture::settle(pane);
    EXPECT_EQ(pane.status_message(), c.expected);
    EXPECT_FALSE(pane.reapply_pending());
    EXPECT_LE(fixture.pkexec_calls().size(), 1u);
  }
}

TEST(DeviceMeshPane, DroppingThePaneWhileTheApplyRunsReturnsAtOnce) {
  MeshPaneFixture fixture;
  fixture.answer_pkexec(0, "", "5");
  std::chrono::steady_clock::duration took{};
  {
    auto pane = fixture.attached_pane();
    fixture.hand_over(SetService{"compute", true});
    PaneHarness::pass(pane);
    ASSERT_TRUE(pane.policy_running());
    std::this_thread::sleep_for(50ms);
    const auto start = std::chrono::steady_clock::now();
    { DeviceMeshPane dropped = std::move(pane); }
    took = std::chrono::steady_clock::now() - start;
  }
  EXPECT_LT(took, 200ms);
}

TEST(DeviceMeshPane, RefreshMarksAChangedSyncStatusOrProvenanceFileAndNothingElse) {
  MeshPaneFixture fixture;
  fixture.home().write("etc/orvo/relay.toml", "state_dir = \"" + (fixture.home().root() / "relay").string() + "\"\n");
  DeviceMeshPane pane;
  EXPECT_EQ(pane.sync_status(), SyncStatus::Offline);
  (void)pane.take_structure_dirty();
  pane.refresh_status();
  EXPECT_FALSE(pane.take_structure_dirty());

  fixture.home().write("relay/metrics.json", R"({"peers":1})");
  pane.refresh_status();
  EXPECT_EQ(pane.sync_status(), SyncStatus::Online);
  EXPECT_TRUE(pane.take_structure_dirty());
  pane.refresh_status();
  EXPECT_FALSE(pane.take_structure_dirty());

  const auto path = settings_store::roaming_provenance::path();
  ASSERT_TRUE(path.has_value());
  fixture.home().write(std::filesystem::relative(*path, fixture.home().root()).string(), "{}");
  pane.refresh_status();
  EXPECT_TRUE(pane.take_structure_dirty());
  pane.refresh_status();
  EXPECT_FALSE(pane.take_structure_dirty());
}

}  // namespace
}  // namespace settings::panes::device_mesh

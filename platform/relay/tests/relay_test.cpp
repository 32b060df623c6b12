#include <gtest/gtest.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "orvo_relay/config.h"
#include "orvo_relay/protocol.h"
#include "orvo_runtime/system_paths.h"
#include "orvo_testing/temp_dir.h"

namespace {

using namespace orvo_relay_protocol;
using namespace orvo_relay_protocol::config;
using orvo_testing::TempDir;

TEST(RelayConfig, ReadsEveryKeyOfTheSchema) {
  const auto config = RelayConfig::parse(R"(
role = "always-on"
reachable_by_peers = true
full_copy = true
state_dir = "/srv/relay"
future_key = "ignored"

[services]
inbound_relay = true
compute = true

[[workspaces]]
id = 42
replication = "full"
host_for_peers = true
pinned = ["notes/plan.md"]

[[workspaces]]
id = 7
replication = "per-resource"
per_resource = { Note = "full", File = "workspace-only" }
)",
                                         "relay.toml");
  ASSERT_TRUE(config.has_value()) << config.error().text;
  EXPECT_EQ(config->role, DeviceRole::AlwaysOnServer);
  EXPECT_TRUE(config->reachable_by_peers && config->full_copy);
  EXPECT_EQ(config->services, (ServiceSwitches{true, false, false, true}));
  EXPECT_EQ(config->state_dir, "/srv/relay");
  EXPECT_EQ(config->replica_status_path, "/srv/relay/replica-status.json");
  ASSERT_EQ(config->workspaces.size(), 2u);
  EXPECT_EQ(config->workspaces[0],
            (WorkspaceBinding{42, {ReplicationKind::Full, {}}, {"notes/plan.md"}, true}));
  EXPECT_EQ(config->workspaces[1].replication,
            (ReplicationPolicy{ReplicationKind::PerResource,
                               {{"File", ReplicationKind::WorkspaceOnly}, {"Note", ReplicationKind::Full}}}));

  auto changed = *config;
  changed.remove_workspace(42);
  changed.remove_workspace(99);
  ASSERT_EQ(changed.workspaces.size(), 1u);
  EXPECT_EQ(changed.workspaces[0].workspace_id, 7u);
}

TEST(RelayConfig, DefaultsAndSchemaErrorsNameTheKey) {
  system_paths::ScopedOverride root("/tmp/relay-root");
  const auto defaults = RelayConfig::default_config();
  EXPECT_EQ(defaults.role, DeviceRole::PersonalDevice);
  EXPECT_EQ(defaults.services, ServiceSwitches{});
  EXPECT_TRUE(defaults.workspaces.empty());
  EXPECT_EQ(defaults.state_dir, "/tmp/relay-root/var/lib/orvo/relay");
  EXPECT_EQ(RelayConfig::parse("", "relay.toml").value(), defaults);
  EXPECT_EQ(default_path(), "/tmp/relay-root/etc/orvo/relay.toml");

  const struct {
    const char* text;
    const char* error;
  } cases[] = {
      {"role = \"server\"", "relay.toml: role: unknown role \"server\""},
      {"full_copy = 1", "relay.toml: full_copy: expected true or false"},
      {"state_dir = \"relative\"", "relay.toml: state_dir: expected an absolute path"},
      {"services = 3", "relay.toml: services: expected a table"},
      {"[[workspaces]]\nreplication = \"full\"", "relay.toml: workspaces[0].id: missing"},
      {"[[workspaces]]\nid = -1", "relay.toml: workspaces[0].id: expected a non-negative integer"},
      {"[[workspaces]]\nid = 1\nreplication = \"lots\"", "relay.toml: workspaces[0].replication: unknown replication \"lots\""},
      {"[[workspaces]]\nid = 1\nper_resource = { Note = \"per-resource\" }",
       "relay.toml: workspaces[0].per_resource.Note: unknown replication \"per-resource\""},
  };
  for (const auto& c : cases) {
    const auto result = RelayConfig::parse(c.text, "relay.toml");
    ASSERT_FALSE(result.has_value()) << c.text;
    EXPECT_EQ(result.error(), (ConfigError{std::nullopt, c.error}));
  }
  const auto bad = RelayConfig::parse("role = ", "relay.toml");
  ASSERT_FALSE(bad.has_value());
  EXPECT_EQ(bad.error().io_kind, std::nullopt);
  EXPECT_EQ(bad.error().text.rfind("relay.toml:1:", 0), 0u) << bad.error().text;
}

TEST(RelayConfig, LoadKeepsTheKindOfInputOutputFailures) {
  TempDir dir;
  const auto missing = RelayConfig::load(dir.root() / "relay.toml");
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error().io_kind, orvo_runtime::IoErrorKind::NotFound);
  std::filesystem::create_directories(dir.root() / "relay.toml");
  const auto directory = RelayConfig::load(dir.root() / "relay.toml");
  ASSERT_FALSE(directory.has_value());
  EXPECT_EQ(directory.error().io_kind, orvo_runtime::IoErrorKind::Other);
  EXPECT_EQ(directory.error().text, "could not read " + (dir.root() / "relay.toml").string() + ": Is a directory");
  dir.write("ok.toml", "role = \"hybrid\"\n");
  EXPECT_EQ(RelayConfig::load(dir.root() / "ok.toml").value().role, DeviceRole::AvailableWhileActive);
}

TEST(RelayProtocol, RoomIdsMetricsAndLabels) {
  EXPECT_EQ(room_workspace_id("").error(), "room id is empty");
  // SHA-256("abc") begins ba7816bf8f01cfea.
  EXPECT_EQ(room_workspace_id("abc").value(), 0xba7816bf8f01cfeaULL);

  TempDir dir;
  EXPECT_FALSE(metrics::load_metrics(dir.root()).has_value());
  dir.write("metrics.json", "[1]");
  EXPECT_FALSE(metrics::load_metrics(dir.root()).has_value());
  dir.write("metrics.json", R"({"peers":2})");
  EXPECT_TRUE(metrics::load_metrics(dir.root()).has_value());

  const struct {
    std::string label;
    bool valid;
  } labels[] = {{"Home server", true}, {"  trimmed  ", true}, {"", false}, {"   ", false},
                {std::string(64, 'x'), true}, {std::string(65, 'x'), false}, {" " + std::string(64, 'x') + " ", true},
                {std::string(64, 'x').replace(0, 2, "\xc3\xa9"), true}, {"tab\tinside", false},
                {"bell\x07", false}, {"c1 \xc2\x85", false}, {"broken \xc3", false}, {"del\x7f", false}};
  for (const auto& c : labels) EXPECT_EQ(home_peer::valid_home_peer_label(c.label), c.valid) << c.label;
}

}  // namespace

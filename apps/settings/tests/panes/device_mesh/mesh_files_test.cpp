#include "services/mesh_files.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include "catalogues/devices_sync_actions.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_inputs.h"
#include "mesh_env.h"
#include "orvo_doc/document.h"
#include "orvo_json/json.h"
#include "preferences/records.h"

namespace settings::panes::device_mesh {
namespace {

using namespace std::chrono;
using orvo_relay_protocol::config::DeviceRole;
using orvo_relay_protocol::config::WorkspaceBinding;
using testing::MeshEnv;
using testing::ScopedEnv;

RelayConfig with_bindings(std::vector<std::uint64_t> ids) {
  RelayConfig config = RelayConfig::default_config();
  for (auto id : ids) config.workspaces.push_back(WorkspaceBinding{id, {}, {}, false});
  return config;
}

TEST(MeshFiles, IdentityRootTable) {
  MeshEnv env;
  {
    ScopedEnv set("ORVO_IDENTITY_ROOT", "/srv/identity");
    EXPECT_EQ(identity_root(), "/srv/identity");
  }
  {
    ScopedEnv empty("ORVO_IDENTITY_ROOT", "");
    EXPECT_EQ(identity_root(), "");
  }
  ScopedEnv unset("ORVO_IDENTITY_ROOT", std::nullopt);
  EXPECT_EQ(identity_root(), env.root() / "data" / "orvo");
  {
    ScopedEnv no_xdg("XDG_DATA_HOME", std::nullopt);
    ScopedEnv no_home("HOME", std::nullopt);
    system_paths::ScopedOverride no_data_dir(env.root());
    EXPECT_EQ(identity_root(), ".local/share/orvo");
  }

  std::filesystem::create_directories(env.root() / "var/lib/orvo/device");
  EXPECT_EQ(identity_root(), env.root() / "var/lib/orvo");
  orvo_relay_protocol::home_peer::HomePeerRegistration peer;
  peer.device_node_id = "node-a";
  peer.label = "Basement";
  env.write("var/lib/orvo/home-peers.json", "[" + orvo_json::encode(peer) + "]");
  const auto peers = load_home_peers();
  ASSERT_EQ(peers.size(), 1u);
  EXPECT_EQ(peers[0], peer);
  EXPECT_EQ(home_peer_health_path(), env.root() / "var/lib/orvo/home-peer-health.json");
}

TEST(MeshFiles, WorkspaceLabelsTable) {
  MeshEnv env;
  const struct {
    const char* name;
    const char* state;  // null: no state file
    std::vector<std::uint64_t> bindings;
    std::vector<WorkspaceLabel> expected;
  } cases[] = {
      {"unnamed", R"({"workspaces":[{"id":3},{"id":1}]})", {}, {{"Workspace", 1}, {"Workspace", 3}}},
      {"binding absent from the state", R"({"workspaces":[]})", {42}, {{"Workspace 42", 42}}},
      {"no state file", nullptr, {42, 7}, {{"Workspace 42", 42}, {"Workspace 7", 7}}},
      {"sorted by label bytes", R"({"workspaces":[{"id":2,"name":"b"},{"id":9,"name":"a"}]})", {5, 9},
       {{"Workspace 5", 5}, {"a", 9}, {"b", 2}}},
      {"room wins over id", R"({"workspaces":[{"room":"abc","id":4,"name":"R"}]})", {},
       {{"R", 0xba7816bf8f01cfeaULL}}},
      {"empty room falls back to id", R"({"workspaces":[{"room":"","id":4,"name":"R"}]})", {}, {{"R", 4}}},
      {"neither room nor id: skipped",
       R"({"workspaces":[{"name":"x"},{"id":-1},{"id":1.5},{"room":7},"text",{"id":6,"name":7}]})", {},
       {{"Workspace", 6}}},
      {"duplicates kept", R"({"workspaces":[{"id":8,"name":"d"},{"id":8,"name":"d"}]})", {8}, {{"d", 8}, {"d", 8}}},
      {"state not an object", R"([{"id":1}])", {11}, {{"Workspace 11", 11}}},
      {"state not JSON", "{", {11}, {{"Workspace 11", 11}}},
      {"workspaces not an array", R"({"workspaces":{"id":1}})", {}, {}},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(mesh_state_path());
    if (c.state) env.write("config/orvo/state.json", c.state);
    EXPECT_EQ(workspace_labels(with_bindings(c.bindings)), c.expected) << c.name;
  }
  EXPECT_EQ(mesh_state_path(), env.root() / "config/orvo/state.json");
}

TEST(MeshFiles, SystemQueriesListTheStateFileWorkspacesAsChildren) {
  MeshEnv env;
  env.write("config/orvo/state.json", R"({"workspaces":[{"id":12,"name":"Studio"},{"id":4,"name":"Family"}]})");
  const auto& offline = actions::offline_queries();
  const actions::CatalogueQueries queries{offline.devices, offline.media, offline.input, offline.lists,
                                          actions::system_mesh_model_queries()};
  orvo_doc::Document document;
  preferences::Preferences preferences;
  const auto resource = actions::devices_sync_resource(actions::SectionInputs{document, preferences, {}, queries});
  ASSERT_EQ(resource.children.size(), 2u);
  EXPECT_EQ(resource.children[0].id, "settings.device-mesh-workspace:4");
  EXPECT_EQ(resource.children[0].title, "Family");
  EXPECT_EQ(resource.children[1].id, "settings.device-mesh-workspace:12");
  EXPECT_EQ(resource.children[1].title, "Studio");
}

// A JSON array of one peer, padded with spaces to exactly `size` bytes.
std::string peers_of_size(std::size_t size) {
  orvo_relay_protocol::home_peer::HomePeerRegistration peer;
  peer.device_node_id = "node-a";
  std::string text = "[" + orvo_json::encode(peer) + "]";
  text.append(size - text.size(), ' ');
  return text;
}

TEST(MeshFiles, HomePeerFilesAreCappedAtOneMebibyte) {
  MeshEnv env;
  EXPECT_TRUE(load_home_peers().empty());
  env.write("device-root/home-peers.json", peers_of_size(1'048'576));
  EXPECT_EQ(load_home_peers().size(), 1u);
  env.write("device-root/home-peers.json", peers_of_size(1'048'577));
  EXPECT_TRUE(load_home_peers().empty());
  std::string one_bad = peers_of_size(4000);
  one_bad.replace(one_bad.rfind(']'), 1, ",{}]");
  env.write("device-root/home-peers.json", one_bad);
  EXPECT_TRUE(load_home_peers().empty());

  std::string health = R"({"node-a":1700000000000,"node-b":5})";
  env.write("device-root/home-peer-health.json", health + std::string(1'048'576 - health.size(), ' '));
  EXPECT_EQ(load_home_peer_health(), (std::unordered_map<std::string, std::uint64_t>{{"node-a", 1700000000000}, {"node-b", 5}}));
  env.write("device-root/home-peer-health.json", health + std::string(1'048'577 - health.size(), ' '));
  EXPECT_TRUE(load_home_peer_health().empty());
  env.write("device-root/home-peer-health.json", R"({"node-a":-1})");
  EXPECT_TRUE(load_home_peer_health().empty());
}

TEST(MeshFiles, PendingDecommissionsNeedANonEmptyArray) {
  MeshEnv env;
  EXPECT_FALSE(has_pending_decommissions());
  const struct {
    const char* text;
    bool pending;
  } cases[] = {{"[]", false}, {"[{}]", true}, {"garbage", false}, {"{\"a\":[1]}", false}, {"[1, \"x\"]", true}};
  for (const auto& c : cases) {
    env.write("device-root/pending-home-peer-decommissions.json", c.text);
    EXPECT_EQ(has_pending_decommissions(), c.pending) << c.text;
  }
}

void set_mtime(const std::filesystem::path& path, system_clock::time_point when) {
  const auto ns = duration_cast<nanoseconds>(when.time_since_epoch()).count();
  const timespec times[2] = {{ns / 1'000'000'000, ns % 1'000'000'000}, {ns / 1'000'000'000, ns % 1'000'000'000}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

TEST(SyncStatus, MetricsFreshnessRoleAndReplica) {
  MeshEnv env;
  const system_clock::time_point now(milliseconds(1'765'400'000'000));
  const auto now_ms = duration_cast<milliseconds>(now.time_since_epoch()).count();
  RelayConfig config = RelayConfig::default_config();
  config.state_dir = env.root() / "relay";
  config.replica_status_path = env.root() / "relay/replica.json";
  EXPECT_EQ(sync_status(config, now), SyncStatus::Offline);  // no metrics file

  const auto metrics = env.write("relay/metrics.json", R"({"peers":1})");
  const struct {
    const char* name;
    system_clock::duration age;
    SyncStatus expected;
  } ages[] = {{"4 s", seconds(4), SyncStatus::Online},
              {"5 s", seconds(5), SyncStatus::Online},
              {"6 s", seconds(6), SyncStatus::Offline},
              {"5.001 s", milliseconds(5001), SyncStatus::Offline},
              {"in the future", -seconds(60), SyncStatus::Online}};
  for (const auto& c : ages) {
    set_mtime(metrics, now - c.age);
    EXPECT_EQ(sync_status(config, now), c.expected) << c.name;
  }
  set_mtime(metrics, now);
  env.write("relay/metrics.json", "[]");
  set_mtime(metrics, now);
  EXPECT_EQ(sync_status(config, now), SyncStatus::Offline);  // metrics do not load
  env.write("relay/metrics.json", "{}");
  set_mtime(metrics, now);

  config.role = DeviceRole::AlwaysOnServer;
  EXPECT_EQ(sync_status(config, now), SyncStatus::Online);  // no full copy
  config.full_copy = true;
  EXPECT_EQ(sync_status(config, now), SyncStatus::Syncing);  // no replica file
  const auto replica = [&](std::string body) { env.write("relay/replica.json", body); };
  const struct {
    std::string body;
    SyncStatus expected;
  } replicas[] = {
      {R"({"state":"ready","full_content_replication":true,"updated_at_ms":)" + std::to_string(now_ms) + "}",
       SyncStatus::Ready},
      {R"({"state":"ready","full_content_replication":true,"updated_at_ms":)" + std::to_string(now_ms - 6000) + "}",
       SyncStatus::Syncing},
      {R"({"state":"ready","full_content_replication":true,"updated_at_ms":)" + std::to_string(now_ms - 5000) + "}",
       SyncStatus::Ready},
      {R"({"state":"ready","full_content_replication":true,"updated_at_ms":)" + std::to_string(now_ms + 9000) + "}",
       SyncStatus::Ready},
      {R"({"state":"ready","full_content_replication":true})", SyncStatus::Syncing},
      {R"({"state":"ready","full_content_replication":true,"updated_at_ms":"now"})", SyncStatus::Syncing},
      {R"({"state":"ready","full_content_replication":1,"updated_at_ms":)" + std::to_string(now_ms) + "}",
       SyncStatus::Syncing},
      {R"({"state":"copying","full_content_replication":true,"updated_at_ms":)" + std::to_string(now_ms) + "}",
       SyncStatus::Syncing},
      {"not json", SyncStatus::Syncing},
  };
  for (const auto& c : replicas) {
    replica(c.body);
    EXPECT_EQ(sync_status(config, now), c.expected) << c.body;
  }
  // Before the epoch the replica counts as fresh whatever its time.
  replica(R"({"state":"ready","full_content_replication":true,"updated_at_ms":0})");
  const system_clock::time_point before_epoch(-seconds(10));
  set_mtime(metrics, before_epoch);
  EXPECT_EQ(sync_status(config, before_epoch), SyncStatus::Ready);

  EXPECT_EQ(sync_status_label(SyncStatus::Syncing), "Syncing");
  EXPECT_EQ(sync_status_caption(SyncStatus::Online), "This device is reachable by your other devices.");
  EXPECT_EQ(sync_status_tone(SyncStatus::Offline), 2);
  EXPECT_EQ(sync_status_tone(SyncStatus::Syncing), 1);
  EXPECT_EQ(sync_status_tone(SyncStatus::Ready), 0);
}

TEST(MeshFiles, RelayStatusTexts) {
  MeshEnv env;
  const auto path = env.root() / "etc/orvo/relay.toml";
  EXPECT_EQ(orvo_relay_protocol::config::default_path(), path);
  const auto missing = load_relay_status();
  EXPECT_EQ(missing.text, "Not configured on this device");
  EXPECT_EQ(missing.config, RelayConfig::default_config());

  std::filesystem::create_directories(path);
  EXPECT_EQ(load_relay_status().text, "Configuration could not be read: could not read " + path.string() +
                                          ": Is a directory");
  std::filesystem::remove(path);
  env.write("etc/orvo/relay.toml", "role = [");
  const auto bad = load_relay_status();
  EXPECT_EQ(bad.text.rfind("Configuration could not be read: " + path.string() + ":1:", 0), 0u) << bad.text;
  EXPECT_EQ(bad.config, RelayConfig::default_config());
  env.write("etc/orvo/relay.toml", "role = \"always-on\"\n[[workspaces]]\nid = 3\n");
  const auto loaded = load_relay_status();
  EXPECT_EQ(loaded.text, "Configuration loaded");
  EXPECT_EQ(loaded.config.workspaces.size(), 1u);
}

TEST(MeshFiles, RoamingProvenanceLoadsWithItsModificationTime) {
  MeshEnv env;
  const auto path = settings_store::roaming_provenance::path();
  ASSERT_TRUE(path.has_value());
  EXPECT_EQ(*path, env.root() / "config/orvo/roaming-provenance.json");
  const auto none = load_roaming_provenance(std::nullopt);
  EXPECT_FALSE(none.provenance || none.error || none.modified);
  const auto missing = load_roaming_provenance(path);
  EXPECT_FALSE(missing.provenance || missing.error || missing.modified);

  env.write("config/orvo/roaming-provenance.json",
            R"({"settings":[{"key":"appearance.theme","winner":{"device_label":"Laptop","revision":12},)"
            R"("differing":[{"device_label":"Desk","revision":9}]}],)"
            R"("wifi_profiles":[{"profile":"Home","security":"wpa-psk","winner":{"device_label":"Desk","revision":3}}]})");
  const auto loaded = load_roaming_provenance(path);
  ASSERT_TRUE(loaded.provenance.has_value()) << loaded.error.value_or("");
  EXPECT_TRUE(loaded.modified.has_value());
  EXPECT_EQ(loaded.provenance->settings.at(0).differing.at(0).device_label, "Desk");
  EXPECT_EQ(loaded.provenance->wifi_profiles.at(0).winner.revision, 3u);
  EXPECT_TRUE(loaded.provenance->wifi_profiles.at(0).differing.empty());

  env.write("config/orvo/roaming-provenance.json", R"({"settings":[{"key":"x"}]})");
  const auto bad = load_roaming_provenance(path);
  EXPECT_FALSE(bad.provenance.has_value());
  EXPECT_TRUE(bad.modified.has_value());
  EXPECT_EQ(bad.error, "Roaming provenance is unavailable; no conflict decision is shown: missing field `winner` "
                       "at line 1 column 24");
}

TEST(MeshFiles, PairCandidateDecoding) {
  const PairCandidate expected{"node", "relay", "Basement", "123-456"};
  EXPECT_EQ(decode_pair_candidate(
                R"({"device_node_id":"node","relay_service_node_id":"relay","label":"Basement","verification_code":"123-456","extra":1})")
                .value(),
            expected);
  EXPECT_EQ(decode_pair_candidate(R"(["node","relay","Basement","123-456"])").value(), expected);
  EXPECT_EQ(decode_pair_candidate(R"({"device_node_id":"node","relay_service_node_id":"relay","label":"B"})").error(),
            "missing field `verification_code` at line 1 column 69");
  EXPECT_EQ(decode_pair_candidate(R"({"label":"a","label":"b"})").error(), "duplicate field `label` at line 1 column 21");
}

}  // namespace
}  // namespace settings::panes::device_mesh

// The only translation unit that parses TOML.
#include "orvo_relay/config.h"

#include <toml++/toml.h>

#include <algorithm>
#include <limits>
#include <sstream>

#include "orvo_runtime/capped_read.h"
#include "orvo_runtime/system_paths.h"

namespace orvo_relay_protocol::config {
namespace {

// Configuration files are small; a larger one is refused rather than read whole.
constexpr std::size_t kMaxConfigBytes = 1 << 20;

struct SchemaError {
  std::string text;
};

struct Roles {
  std::string_view name;
  DeviceRole role;
};
constexpr Roles kRoles[] = {{"interactive", DeviceRole::PersonalDevice},
                            {"always-on", DeviceRole::AlwaysOnServer},
                            {"hybrid", DeviceRole::AvailableWhileActive}};

struct Replications {
  std::string_view name;
  ReplicationKind kind;
};
constexpr Replications kReplications[] = {{"workspace-only", ReplicationKind::WorkspaceOnly},
                                          {"on-demand", ReplicationKind::OnDemand},
                                          {"full", ReplicationKind::Full},
                                          {"per-resource", ReplicationKind::PerResource}};

class Reader {
 public:
  Reader(const toml::table& table, std::string prefix) : table_(table), prefix_(std::move(prefix)) {}

  void boolean(std::string_view key, bool& out) const {
    const toml::node* node = table_.get(key);
    if (node == nullptr) return;
    auto value = node->value<bool>();
    if (!node->is_boolean() || !value) fail(key, "expected true or false");
    out = *value;
  }
  std::optional<std::string> text(std::string_view key) const {
    const toml::node* node = table_.get(key);
    if (node == nullptr) return std::nullopt;
    if (!node->is_string()) fail(key, "expected a string");
    return *node->value<std::string>();
  }
  void path(std::string_view key, std::filesystem::path& out) const {
    if (auto value = text(key)) {
      if (value->empty() || value->front() != '/') fail(key, "expected an absolute path");
      out = *value;
    }
  }
  [[noreturn]] void fail(std::string_view key, std::string_view what) const {
    throw SchemaError{prefix_ + std::string(key) + ": " + std::string(what)};
  }
  const toml::table& table() const { return table_; }
  const std::string& prefix() const { return prefix_; }

 private:
  const toml::table& table_;
  std::string prefix_;
};

ReplicationKind replication_of(const Reader& r, std::string_view key, const std::string& name, bool allow_per_resource) {
  for (const auto& entry : kReplications) {
    if (entry.name == name && (allow_per_resource || entry.kind != ReplicationKind::PerResource)) return entry.kind;
  }
  r.fail(key, "unknown replication \"" + name + "\"");
}

WorkspaceBinding read_binding(const toml::table& table, std::size_t index) {
  const Reader r(table, "workspaces[" + std::to_string(index) + "].");
  WorkspaceBinding binding;
  const toml::node* id = table.get("id");
  if (id == nullptr) r.fail("id", "missing");
  // Only an integer node is read as one: converting a float (4e21) would overflow.
  const auto* number = id->as_integer();
  if (number == nullptr || number->get() < 0) r.fail("id", "expected a non-negative integer");
  binding.workspace_id = static_cast<WorkspaceId>(number->get());
  if (auto name = r.text("replication")) binding.replication.kind = replication_of(r, "replication", *name, true);
  r.boolean("host_for_peers", binding.host_for_peers);
  if (const toml::node* pinned = table.get("pinned")) {
    const toml::array* list = pinned->as_array();
    if (list == nullptr) r.fail("pinned", "expected an array of strings");
    for (const auto& item : *list) {
      if (!item.is_string()) r.fail("pinned", "expected an array of strings");
      binding.pinned.push_back(*item.value<std::string>());
    }
  }
  if (const toml::node* per = table.get("per_resource")) {
    const toml::table* map = per->as_table();
    if (map == nullptr) r.fail("per_resource", "expected a table");
    const Reader inner(*map, r.prefix() + "per_resource.");
    for (const auto& [key, value] : *map) {
      const std::string name(key.str());
      if (!value.is_string()) inner.fail(name, "expected a string");
      binding.replication.per_resource[name] = replication_of(inner, name, *value.value<std::string>(), false);
    }
  }
  return binding;
}

RelayConfig read_config(const toml::table& root) {
  RelayConfig config = RelayConfig::default_config();
  const Reader r(root, "");
  if (auto role = r.text("role")) {
    const auto* found = std::find_if(std::begin(kRoles), std::end(kRoles), [&](const Roles& e) { return e.name == *role; });
    if (found == std::end(kRoles)) r.fail("role", "unknown role \"" + *role + "\"");
    config.role = found->role;
  }
  r.boolean("reachable_by_peers", config.reachable_by_peers);
  r.boolean("full_copy", config.full_copy);
  const bool state_dir_given = root.contains("state_dir");
  r.path("state_dir", config.state_dir);
  if (state_dir_given) config.replica_status_path = config.state_dir / "replica-status.json";
  r.path("replica_status_path", config.replica_status_path);
  if (const toml::node* services = root.get("services")) {
    const toml::table* table = services->as_table();
    if (table == nullptr) r.fail("services", "expected a table");
    const Reader s(*table, "services.");
    s.boolean("inbound_relay", config.services.inbound_relay);
    s.boolean("remote_control_relay", config.services.remote_control_relay);
    s.boolean("app_serving", config.services.app_serving);
    s.boolean("compute", config.services.compute);
  }
  if (const toml::node* workspaces = root.get("workspaces")) {
    const toml::array* list = workspaces->as_array();
    if (list == nullptr) r.fail("workspaces", "expected an array of tables");
    std::size_t index = 0;
    for (const auto& item : *list) {
      const toml::table* table = item.as_table();
      if (table == nullptr) r.fail("workspaces", "expected an array of tables");
      config.workspaces.push_back(read_binding(*table, index++));
    }
  }
  return config;
}

}  // namespace

RelayConfig RelayConfig::default_config() {
  RelayConfig config;
  config.state_dir = system_paths::system_path("/var/lib/orvo/relay");
  config.replica_status_path = config.state_dir / "replica-status.json";
  return config;
}

std::expected<RelayConfig, ConfigError> RelayConfig::parse(std::string_view text, std::string_view origin) {
  try {
    const toml::table root = toml::parse(text, origin);
    return read_config(root);
  } catch (const toml::parse_error& error) {
    std::ostringstream out;
    out << origin << ":" << error.source().begin.line << ":" << error.source().begin.column << ": "
        << error.description();
    return std::unexpected(ConfigError{std::nullopt, out.str()});
  } catch (const SchemaError& error) {
    return std::unexpected(ConfigError{std::nullopt, std::string(origin) + ": " + error.text});
  }
}

std::expected<RelayConfig, ConfigError> RelayConfig::load(const std::filesystem::path& path) {
  auto text = orvo_runtime::read_capped(path, kMaxConfigBytes);
  if (!text) {
    const auto& error = text.error();
    if (error.kind == orvo_runtime::IoErrorKind::InvalidData) return std::unexpected(ConfigError{std::nullopt, error.text});
    return std::unexpected(ConfigError{error.kind, "could not read " + path.string() + ": " + error.text});
  }
  return parse(*text, path.string());
}

void RelayConfig::remove_workspace(WorkspaceId id) {
  std::erase_if(workspaces, [id](const WorkspaceBinding& b) { return b.workspace_id == id; });
}

std::filesystem::path default_path() { return system_paths::system_path("/etc/orvo/relay.toml"); }

std::string_view role_name(DeviceRole role) {
  for (const auto& entry : kRoles) {
    if (entry.role == role) return entry.name;
  }
  return "interactive";
}

std::string_view replication_name(ReplicationKind kind) {
  for (const auto& entry : kReplications) {
    if (entry.kind == kind) return entry.name;
  }
  return "on-demand";
}

}  // namespace orvo_relay_protocol::config

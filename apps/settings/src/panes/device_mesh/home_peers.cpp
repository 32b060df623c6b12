#include "panes/device_mesh/home_peers.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <variant>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include "lib/settings_document.h"
#include "orvo_runtime/atomic_file.h"
#include "orvo_runtime/system_paths.h"
#include "orvo_runtime/text.h"
#include "panes/device_mesh/device_mesh_pane.h"
#include "settings_store/json_document.h"

namespace settings::panes::device_mesh {
namespace {

constexpr std::uint64_t kMinuteMs = 60'000;
constexpr std::uint64_t kHourMs = 3'600'000;
// As the reader's limit: a file this large was not written here.
constexpr std::size_t kHomePeerHealthCap = 1'048'576;

bool member_true(const nlohmann::ordered_json& object, const char* name) {
  if (!object.is_object()) return false;
  const auto member = object.find(name);
  return member != object.end() && member->is_boolean() && member->get<bool>();
}

const HomePeerRegistration* find_peer(const std::vector<HomePeerRegistration>& peers, std::string_view id) {
  const auto found =
      std::ranges::find_if(peers, [id](const HomePeerRegistration& peer) { return peer.device_node_id == id; });
  return found == peers.end() ? nullptr : &*found;
}

}  // namespace

bounded_command::PreparedCommand relay_admin_command(std::string_view subcommand,
                                                     const std::filesystem::path& identity_root,
                                                     const HomePeerRegistration& peer,
                                                     const std::optional<std::string>& label) {
  bounded_command::PreparedCommand command{system_paths::system_path(kRelayAdminProgram).string(),
                                           {std::string(subcommand), "--identity-root", identity_root.string(),
                                            "--device", peer.device_node_id, "--service", peer.relay_service_node_id}};
  if (label) {
    command.arguments.emplace_back("--label");
    command.arguments.push_back(*label);
  }
  return command;
}

bounded_command::PreparedCommand retry_removals_command(const std::filesystem::path& identity_root) {
  return {system_paths::system_path(kRelayAdminProgram).string(),
          {std::string(kHomePeerRetryRemovals), "--identity-root", identity_root.string()}};
}

std::optional<HomePeerAnswer> read_home_peer_answer(std::string_view standard_output) {
  const auto value = settings_store::json_document::parse(standard_output);
  if (!value) return std::nullopt;
  return HomePeerAnswer{member_true(*value, "files_ready"), member_true(*value, "decommissioned")};
}

std::string_view home_peer_online_text(const HomePeerAnswer& answer) {
  if (answer.decommissioned) return "Removed";
  return answer.files_ready ? "Online · Files ready" : "Online · Syncing files";
}

std::uint64_t unix_millis(std::chrono::system_clock::time_point now) {
  const auto since = now.time_since_epoch();
  if (since.count() < 0) return 0;
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
  return static_cast<std::uint64_t>(millis);
}

std::string last_seen_text(std::uint64_t last_seen_ms, std::chrono::system_clock::time_point now) {
  const std::uint64_t now_ms = unix_millis(now);
  const std::uint64_t age = now_ms > last_seen_ms ? now_ms - last_seen_ms : 0;
  if (age < kMinuteMs) return "Offline · Last seen just now";
  if (age < kHourMs) return fmt::format("Offline · Last seen {} min ago", age / kMinuteMs);
  return fmt::format("Offline · Last seen {} h ago", age / kHourMs);
}

std::expected<void, std::string> write_home_peer_health(
    const std::unordered_map<std::string, std::uint64_t>& last_seen) {
  const auto path = home_peer_health_path();
  const auto target = atomic_file::write_target(path);
  auto existing = atomic_file::read_existing(target, kHomePeerHealthCap);
  if (!existing) return std::unexpected(std::move(existing.error()));
  // Members the map does not hold (one whose value could not be read, say) are kept as they are.
  nlohmann::ordered_json map = nlohmann::ordered_json::object();
  if (*existing) {
    auto stored = settings_store::json_document::parse(**existing);
    if (!stored || !stored->is_object()) {
      return std::unexpected(fmt::format("could not read {}: the file is not a JSON object", target.string()));
    }
    map = std::move(*stored);
  }
  for (const auto& [id, millis] : last_seen) map[id] = millis;
  return atomic_file::write(path, settings_store::json_document::pretty(map), 0600);
}

void DeviceMeshPane::run_relay_admin(const HomePeerRegistration& peer, std::string_view subcommand,
                                     std::optional<std::string> label) {
  if (admin_command_) return;
  mark_structure_dirty();
  auto started = bounded_command::spawn_prepared(relay_admin_command(subcommand, identity_root(), peer, label),
                                                 std::nullopt, kCommandOutputLimit, kRelayAdminTimeLimit);
  if (!started) {
    home_peer_status_[peer.device_node_id] = "Offline · " + started.error().display();
    return;
  }
  admin_command_ = std::move(*started);
  admin_command_peer_ = peer.device_node_id;
  home_peer_status_[peer.device_node_id] = std::string(kConnecting);
}

void DeviceMeshPane::request_relay_admin(const std::string& device_node_id, std::string_view subcommand,
                                         std::optional<std::string> label) {
  // The slot is busy most of the time when a peer is unreachable (its check may take a minute);
  // the user's command waits for it rather than being lost.
  waiting_admin_ = WaitingAdmin{device_node_id, std::string(subcommand), std::move(label)};
  start_waiting_admin();
}

void DeviceMeshPane::start_waiting_admin() {
  if (admin_command_ || !waiting_admin_) return;
  WaitingAdmin waiting = std::move(*waiting_admin_);
  waiting_admin_.reset();
  // A peer that left the list meanwhile has nothing left to rename or remove.
  if (const HomePeerRegistration* peer = find_peer(home_peers_, waiting.device_node_id)) {
    run_relay_admin(*peer, waiting.subcommand, std::move(waiting.label));
  }
}

void DeviceMeshPane::poll_admin_command() {
  if (!admin_command_) return;
  auto polled = admin_command_->try_wait();
  if (polled && std::holds_alternative<bounded_command::AsyncCommand::Running>(*polled)) return;
  admin_command_.reset();
  const std::optional<std::string> key = std::exchange(admin_command_peer_, std::nullopt);
  end_admin_command(key, polled);
  mark_structure_dirty();
  start_waiting_admin();
}

void DeviceMeshPane::end_admin_command(
    const std::optional<std::string>& key,
    const std::expected<bounded_command::AsyncCommand::Poll, bounded_command::Error>& polled) {
  // The retry of pending removals is about no peer of the list: it only changes the list.
  const bool about_peer = key && *key != kPendingRemovalsPeer;
  if (!polled) {
    if (about_peer) home_peer_status_[*key] = "Offline · " + polled.error().display();
    return;
  }
  const auto& output = std::get<bounded_command::Output>(*polled);
  if (output.status.success()) {
    const auto answer = read_home_peer_answer(output.standard_output);
    if (!answer) return;
    if (about_peer) {
      home_peer_status_[*key] = std::string(home_peer_online_text(*answer));
      home_peer_last_seen_[*key] = unix_millis(clock_.wall());
      // The times stay in memory when the file cannot be written.
      (void)write_home_peer_health(home_peer_last_seen_);
    }
    home_peers_ = load_home_peers();
    paired_home_server_count_ = home_peers_.size();
    return;
  }
  if (!about_peer) return;
  if (const auto seen = home_peer_last_seen_.find(*key); seen != home_peer_last_seen_.end()) {
    home_peer_status_[*key] = last_seen_text(seen->second, clock_.wall());
  } else {
    home_peer_status_[*key] = "Offline · " + command_detail(output.standard_error, "not reachable");
  }
}

void DeviceMeshPane::run_periodic_admin_work() {
  if (admin_command_) return;
  if (waiting_admin_) {
    start_waiting_admin();
    return;
  }
  if (has_pending_decommissions()) {
    auto started = bounded_command::spawn_prepared(retry_removals_command(identity_root()), std::nullopt,
                                                   kCommandOutputLimit, kRelayAdminTimeLimit);
    // One that cannot start is tried again at the next refresh.
    if (started) {
      admin_command_ = std::move(*started);
      admin_command_peer_ = std::string(kPendingRemovalsPeer);
    }
    return;
  }
  if (home_peers_.empty()) return;
  const HomePeerRegistration peer = home_peers_[health_check_cursor_ % home_peers_.size()];
  ++health_check_cursor_;
  run_relay_admin(peer, kHomePeerStatus, std::nullopt);
}

const std::vector<DeviceMeshPane::HomePeerKeys>& DeviceMeshPane::home_peer_keys() {
  const bool current = home_peer_keys_.size() == home_peers_.size() &&
                       std::ranges::equal(home_peer_keys_, home_peers_, [](const auto& keys, const auto& peer) {
                         return keys.device_node_id == peer.device_node_id;
                       });
  if (current) return home_peer_keys_;
  home_peer_keys_.clear();
  for (const HomePeerRegistration& peer : home_peers_) {
    const std::string& id = peer.device_node_id;
    home_peer_keys_.push_back({id, home_peer_key("name", id), home_peer_key("rename", id),
                               home_peer_key("remove", id), home_peer_key("cancel_remove", id)});
  }
  return home_peer_keys_;
}

void DeviceMeshPane::read_home_peer_keys(orvo_doc::Document& document) {
  const auto& keys = home_peer_keys();
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const std::string& id = keys[i].device_node_id;
    if (take_press(document, orvo_doc::kRoot, keys[i].rename)) {
      const auto name = lib::read_text(document, orvo_doc::kRoot, keys[i].name);
      if (name && orvo_relay_protocol::home_peer::valid_home_peer_label(*name)) {
        request_relay_admin(id, kHomePeerRename, std::string(orvo_runtime::text::trim_ascii_whitespace(*name)));
      }
    }
    if (take_press(document, orvo_doc::kRoot, keys[i].cancel_remove)) {
      pending_removals_.erase(id);
      mark_structure_dirty();
    }
    if (take_press(document, orvo_doc::kRoot, keys[i].remove)) {
      if (pending_removals_.erase(id) > 0) {
        request_relay_admin(id, kHomePeerRemove, std::nullopt);
      } else {
        pending_removals_.insert(id);
        status_message_ = fmt::format(
            "Review the file-copy warning, then choose Revoke & remove to stop {} permanently", home_peers_[i].label);
      }
      mark_structure_dirty();
    }
  }
}

}  // namespace settings::panes::device_mesh

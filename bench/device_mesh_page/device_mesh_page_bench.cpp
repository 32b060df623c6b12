// The Devices & Sync page of a busy always-on server built afresh, laid out, drawn and rendered at
// 1280x800, as after every pass that changes what it shows: 8 home servers, 32 trusted devices, 24
// Continuity audit entries and 50 workspaces. Target: under 5 ms.
#include <benchmark/benchmark.h>

#include <fmt/format.h>

#include <memory>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_ui/widgets/container.h"
#include "orvo_ui/widgets/scrollable.h"
#include "panes/device_mesh/device_mesh_pane.h"
#include "panes/device_mesh/device_mesh_view.h"
#include "panes/pane_glue.h"

namespace {

using namespace orvo_ui;
using namespace settings::panes::device_mesh;
using orvo_relay_protocol::config::DeviceRole;
using orvo_relay_protocol::config::ReplicationPolicy;
using orvo_relay_protocol::config::WorkspaceBinding;

MeshPageState busy_server() {
  MeshPageState state;
  state.config.role = DeviceRole::AlwaysOnServer;
  state.config.full_copy = true;
  state.status_message = "Saved";
  state.sync_status = SyncStatus::Syncing;
  for (std::uint64_t id = 1; id <= 50; ++id) {
    state.workspace_labels.push_back({fmt::format("Workspace {}", id), id});
    if (id % 2 == 0) state.config.workspaces.push_back(WorkspaceBinding{id, ReplicationPolicy{ReplicationKind::Full, {}}, {}, true});
  }
  for (int i = 0; i < 8; ++i) {
    HomePeerRegistration peer;
    peer.device_node_id = fmt::format("node-{}", i);
    peer.label = fmt::format("Home server {}", i);
    state.home_peers.push_back(peer);
    state.home_peer_status[peer.device_node_id] = i % 2 ? "Online · Files ready" : "Online · Syncing files";
  }
  state.paired_home_server_count = 8;
  state.pending_removals = {"node-3"};
  for (std::uint8_t i = 0; i < 32; ++i) {
    FleetDeviceRow row;
    row.device_label = fmt::format("Device {}", i);
    row.fingerprint = fmt::format("{0:02X} {0:02X} {0:02X} {0:02X} {0:02X} {0:02X}", i);
    row.device_public_key.bytes.fill(i);
    row.this_device = i == 0;
    row.revoked = i == 5;
    state.trusted_devices.push_back(row);
  }
  state.pending_revocations = {device_key_hex(state.trusted_devices[7].device_public_key)};
  state.continuity.enabled = state.continuity.clipboard = state.continuity.media = true;
  for (std::uint64_t i = 0; i < 24; ++i) {
    state.continuity.record_change(kContinuityCapabilities[i % kContinuityCapabilities.size()], i % 3 != 0, 1'765'000'000 + i);
  }
  return state;
}

// The page of a fixed state in a scrolled page area, marked for rebuilding on every pass as a
// changed pane marks it.
class PageHost final : public settings::panes::PaneGlue {
 public:
  explicit PageHost(MeshPageState state)
      : PaneGlue("DeviceMeshPage", settings::panes::DirtyRule::OwnFlagFirst), state_(std::move(state)) {}
  std::string_view type_name() const override { return "DeviceMeshPageHost"; }

 protected:
  std::unique_ptr<Widget> build_view() override {
    auto scroll = std::make_unique<Scrollable>(build_device_mesh_page(state_, controls_));
    return std::make_unique<Container>(Container(std::move(scroll)).with_fill(true));
  }
  void sync_pane(orvo_doc::Document*, SyncContext&) override { mark_structure_dirty(); }

 private:
  MeshPageState state_;
};

void BM_DeviceMeshPageRebuild(benchmark::State& state) {
  PageHost page(busy_server());
  OffscreenBackend backend(1280, 800);
  App app;
  FrameLoop loop(backend, page, app, TextRenderer::Metrics::Fonts);
  loop.frame(backend.take_events());
  for (auto _ : state) loop.frame(backend.take_events());
  benchmark::DoNotOptimize(backend.frame());
}
BENCHMARK(BM_DeviceMeshPageRebuild)->Unit(benchmark::kMillisecond);

}  // namespace

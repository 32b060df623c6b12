// The Devices & Sync pane's pass with nothing pressed and no command running, which runs on every
// frame while the page is shown: 16 paired home servers and 32 trusted devices, each row with its
// document keys to read. Target: under 50 µs.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "orvo_identity/local_identity.h"
#include "orvo_identity/persist.h"
#include "orvo_json/json.h"
#include "orvo_runtime/system_paths.h"
#include "panes/device_mesh/device_mesh_pane.h"

namespace {

using namespace orvo_user_identity;
using namespace settings::panes::device_mesh;

Seed seed_of(std::uint8_t fill) {
  std::array<std::uint8_t, 32> bytes;
  bytes.fill(fill);
  return Seed(bytes);
}

void write(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path) << text;
}

// A temporary home with `peers` home peers and a fleet of `devices` devices, this one first.
class MeshHome {
 public:
  MeshHome(int peers, int devices) {
    char pattern[] = "/tmp/orvo-mesh-bench-XXXXXX";
    root_ = ::mkdtemp(pattern);
    paths_.emplace(root_, root_ / "config", root_ / "runtime", root_ / "data");
    ::setenv("ORVO_IDENTITY_ROOT", (root_ / "device-root").c_str(), 1);
    ::setenv("ORVO_USER_IDENTITY_DIR", (root_ / "identities").c_str(), 1);

    std::vector<HomePeerRegistration> registrations;
    for (int i = 0; i < peers; ++i) {
      HomePeerRegistration peer;
      peer.device_node_id = "node-" + std::to_string(i);
      peer.relay_service_node_id = "service-" + std::to_string(i);
      peer.label = "Home server " + std::to_string(i);
      registrations.push_back(std::move(peer));
    }
    write(root_ / "device-root" / "home-peers.json", orvo_json::encode(registrations));

    const Seed user = seed_of(1);
    (void)runtime_identity::unix::store_identity(root_ / "identities", "alice", user, true);
    (void)persist::write_device_key(identity_file_paths(root_ / "device-root").device_key_pair, seed_of(2));
    StoredFleet fleet;
    fleet.identity_id = "alice";
    for (int i = 0; i < devices; ++i) {
      DeviceCert cert;
      cert.user_public_key = ed25519::public_key(user);
      cert.device_public_key = ed25519::public_key(seed_of(static_cast<std::uint8_t>(i + 2)));
      cert.device_label = "Device " + std::to_string(i);
      cert.issued_at_ns = 1'700'000'000'000'000'000ULL;
      cert.signature = ed25519::sign(user, cert::device_cert_signing_digest(cert));
      fleet.certificates.push_back(cert);
    }
    write(root_ / "identities" / "fleets" / "alice.json", encode_fleet(fleet));
  }
  ~MeshHome() {
    paths_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }

 private:
  std::filesystem::path root_;
  std::optional<system_paths::ScopedOverride> paths_;
};

void BM_SyncNothingPressed(benchmark::State& state) {
  const MeshHome home(16, 32);
  // The clock stands still, so the 2-second refresh does not fall due inside the loop.
  const orvo_ui::Deadline now = orvo_ui::Deadline::now();
  DeviceMeshPane pane = DeviceMeshPane().with_clock(MeshClock{[now] { return now; }, MeshClock{}.wall});
  if (pane.home_peers().size() != 16 || pane.trusted_devices().size() != 32) {
    state.SkipWithError("the mesh home did not load");
    return;
  }
  orvo_ui::SyncContext context;
  pane.sync(context);
  for (auto _ : state) pane.sync(context);
}
BENCHMARK(BM_SyncNothingPressed)->Unit(benchmark::kMicrosecond);

}  // namespace

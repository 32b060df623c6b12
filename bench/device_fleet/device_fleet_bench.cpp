// The fleet check that the Devices & Sync pane runs on the interface thread when it is built: read,
// decode and verify a fleet of 100 certificates and 100 revocations, then list its rows. Target:
// under 25 ms.
#include <benchmark/benchmark.h>

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "orvo_identity/local_identity.h"
#include "orvo_identity/persist.h"
#include "panes/device_mesh/fleet.h"

namespace {

using namespace orvo_user_identity;
using namespace settings::panes::device_mesh;

Seed seed_of(std::uint8_t fill) {
  std::array<std::uint8_t, 32> bytes;
  bytes.fill(fill);
  return Seed(bytes);
}

PublicKey device_key(int index) {
  PublicKey key;
  key.bytes.fill(static_cast<std::uint8_t>(index));
  key.bytes[31] = static_cast<std::uint8_t>(index >> 8);
  return key;
}

class FleetOnDisk {
 public:
  FleetOnDisk() {
    char pattern[] = "/tmp/orvo-fleet-bench-XXXXXX";
    root_ = ::mkdtemp(pattern);
    ::setenv("ORVO_IDENTITY_ROOT", (root_ / "device-root").c_str(), 1);
    ::setenv("ORVO_USER_IDENTITY_DIR", (root_ / "identities").c_str(), 1);
    const Seed user = seed_of(1);
    (void)runtime_identity::unix::store_identity(root_ / "identities", "alice", user, true);
    (void)persist::write_device_key(identity_file_paths(root_ / "device-root").device_key_pair, seed_of(2));
    StoredFleet fleet;
    fleet.identity_id = "alice";
    for (int i = 0; i < 100; ++i) {
      DeviceCert cert;
      cert.user_public_key = ed25519::public_key(user);
      cert.device_public_key = device_key(i);
      cert.device_label = "Device " + std::to_string(i);
      cert.issued_at_ns = 1'700'000'000'000'000'000ULL + static_cast<std::uint64_t>(i);
      cert.signature = ed25519::sign(user, cert::device_cert_signing_digest(cert));
      fleet.certificates.push_back(cert);
      RevocationEntry entry{cert.user_public_key, device_key(1000 + i), cert.issued_at_ns + 1, RevocationReason::Retired, {}};
      entry.signature = ed25519::sign(user, revocation::revocation_signing_digest(entry));
      fleet.revocations.push_back(entry);
    }
    std::filesystem::create_directories(root_ / "identities/fleets");
    std::ofstream(root_ / "identities/fleets/alice.json") << encode_fleet(fleet);
  }
  ~FleetOnDisk() { std::filesystem::remove_all(root_); }

 private:
  std::filesystem::path root_;
};

void BM_CheckFleetIdentity(benchmark::State& state) {
  const FleetOnDisk fleet;
  for (auto _ : state) {
    auto rows = check_fleet_identity();
    if (!rows || rows->size() != 100) {
      state.SkipWithError("fleet check failed");
      break;
    }
    benchmark::DoNotOptimize(rows);
  }
}
BENCHMARK(BM_CheckFleetIdentity)->Unit(benchmark::kMillisecond);

}  // namespace

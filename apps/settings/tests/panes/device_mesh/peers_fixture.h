#pragma once
// The Devices & Sync pane with stand-ins of the enrolment and relay administration programs
// under the test root, a paired home peers file, and a user identity with its device fleet.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "device_mesh/mesh_pane_fixture.h"
#include "lib/settings_document.h"
#include "orvo_identity/local_identity.h"
#include "orvo_identity/persist.h"
#include "orvo_json/json.h"

namespace settings::panes::device_mesh::testing {

using orvo_user_identity::DeviceCert;
using orvo_user_identity::RevocationEntry;
using orvo_user_identity::Seed;

inline Seed seed_of(std::uint8_t fill) {
  std::array<std::uint8_t, 32> bytes;
  bytes.fill(fill);
  return Seed(bytes);
}

inline PublicKey public_key_of(std::uint8_t fill) { return orvo_user_identity::ed25519::public_key(seed_of(fill)); }

inline DeviceCert certificate(const Seed& user, const PublicKey& device, std::string label) {
  DeviceCert cert;
  cert.user_public_key = orvo_user_identity::ed25519::public_key(user);
  cert.device_public_key = device;
  cert.device_label = std::move(label);
  cert.issued_at_ns = 1'700'000'000'000'000'000ULL;
  cert.signature = orvo_user_identity::ed25519::sign(user, orvo_user_identity::cert::device_cert_signing_digest(cert));
  return cert;
}

inline RevocationEntry revocation(const Seed& user, const PublicKey& device) {
  RevocationEntry entry{orvo_user_identity::ed25519::public_key(user), device, 1'700'000'000'000'000'001ULL,
                        orvo_user_identity::RevocationReason::Lost, {}};
  entry.signature =
      orvo_user_identity::ed25519::sign(user, orvo_user_identity::revocation::revocation_signing_digest(entry));
  return entry;
}

struct PeerSpec {
  std::string device_node_id;
  std::string relay_service_node_id;
  std::string label;
};

class PeersFixture : public MeshPaneFixture {
 public:
  // Installs the program that `absolute` ("/usr/bin/orvo-enroll") names under the test root: it
  // records its arguments, one call per line, and then runs `body`.
  void program(std::string_view absolute, std::string_view body) {
    const auto path = home().system(absolute);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "#!/bin/sh\n" << record_line(path.filename().string()) << body;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
  }
  // pkexec on PATH, recording the same way.
  void pkexec(std::string_view body) { stubs().script("pkexec", record_line("pkexec") + std::string(body)); }

  // The argument lists the program (by file name) was called with, in order.
  std::vector<std::string> calls(std::string_view name) {
    std::ifstream in(stubs().dir() / (std::string(name) + ".calls"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  std::filesystem::path device_file(std::string_view name) const { return home().root() / "device-root" / name; }

  static std::string home_peers_json(const std::vector<PeerSpec>& peers) {
    std::vector<HomePeerRegistration> registrations;
    for (const auto& peer : peers) {
      HomePeerRegistration registration;
      registration.device_node_id = peer.device_node_id;
      registration.relay_service_node_id = peer.relay_service_node_id;
      registration.relay_endpoint.node_id = peer.relay_service_node_id;
      registration.label = peer.label;
      registrations.push_back(std::move(registration));
    }
    return orvo_json::encode(registrations);
  }
  void write_home_peers(const std::vector<PeerSpec>& peers) const {
    home().write("device-root/home-peers.json", home_peers_json(peers));
  }

  // An active identity "alice" (user seed 1), this device's key pair (seed 2), and her fleet: this
  // device ("This laptop") first, then one device per label with seeds 10, 11, …
  StoredFleet write_identity_and_fleet(const std::vector<std::string>& others) const {
    EXPECT_TRUE(runtime_identity::unix::store_identity(identity_dir(), "alice", seed_of(1), true).has_value());
    EXPECT_TRUE(orvo_user_identity::persist::write_device_key(device_file("device-private/keypair.bin"), seed_of(2))
                    .has_value());
    StoredFleet fleet;
    fleet.identity_id = "alice";
    fleet.certificates.push_back(certificate(seed_of(1), public_key_of(2), "This laptop"));
    for (std::size_t i = 0; i < others.size(); ++i) {
      fleet.certificates.push_back(certificate(seed_of(1), public_key_of(static_cast<std::uint8_t>(10 + i)), others[i]));
    }
    write_fleet(fleet);
    return fleet;
  }
  void write_fleet(const StoredFleet& fleet) const { home().write("identities/fleets/alice.json", encode_fleet(fleet)); }
  std::filesystem::path identity_dir() const { return home().root() / "identities"; }
  std::filesystem::path fleet_file() const { return identity_dir() / "fleets" / "alice.json"; }
  std::string fleet_text() const { return home().read("identities/fleets/alice.json").value_or(""); }

  // The pane's controls, as the view writes them.
  static void press(DeviceMeshPane& pane, std::string_view key) {
    ASSERT_TRUE(lib::put_if_changed(*pane.own_document(), orvo_doc::kRoot, key, orvo_doc::ScalarValue::boolean(true)));
  }
  static void put_text(DeviceMeshPane& pane, std::string_view key, std::string text) {
    ASSERT_TRUE(lib::put_if_changed(*pane.own_document(), orvo_doc::kRoot, key,
                                    orvo_doc::ScalarValue::str(std::move(text))));
  }

  // Passes until `done` holds (every 10 ms, for at most 10 s).
  template <class Done>
  static void pass_until(DeviceMeshPane& pane, Done done) {
    for (int i = 0; i < 1000; ++i) {
      panes::testing::PaneHarness::pass(pane);
      if (done()) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ADD_FAILURE() << "the pane did not get there in time";
  }

  static mode_t mode_of(const std::filesystem::path& path) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) return 0;
    return st.st_mode & 07777;
  }

 private:
  std::string record_line(const std::string& name) {
    return "printf '%s\\n' \"$*\" >> '" + (stubs().dir() / (name + ".calls")).string() + "'\n";
  }
};

}  // namespace settings::panes::device_mesh::testing

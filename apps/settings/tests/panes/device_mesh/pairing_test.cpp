#include "panes/device_mesh/pairing.h"

#include <gtest/gtest.h>

#include "device_mesh/peers_fixture.h"
#include "panes/device_mesh/device_mesh_pane.h"

namespace settings::panes::device_mesh {
namespace {

using panes::testing::PaneHarness;
using testing::PeersFixture;
using testing::PeerSpec;

constexpr std::string_view kKitchenNas =
    R"({"device_node_id":"node-a","relay_service_node_id":"svc-a","label":"Kitchen NAS","verification_code":"482913"})";
constexpr std::string_view kTablet =
    R"({"device_node_id":"node-t","relay_service_node_id":"svc-t","label":"Tablet","verification_code":"105577"})";

// The discovery program prints `answer` (after `delay` seconds) and exits with `status`.
void discovery_answers(PeersFixture& fixture, std::string_view answer, int status = 0, std::string_view delay = "0") {
  fixture.program(kEnrollProgram, "/bin/sleep " + std::string(delay) + "\nprintf '%s' '" + std::string(answer) +
                                      "'\nexit " + std::to_string(status) + "\n");
}

// The approval stand-in admits the device: it writes `file` (under the root) from `content`.
void approval_writes(PeersFixture& fixture, std::string_view relative, const std::string& content) {
  fixture.home().write("approved", content);
  const auto target = fixture.home().root() / relative;
  std::filesystem::create_directories(target.parent_path());
  fixture.pkexec("/bin/cp '" + (fixture.home().root() / "approved").string() + "' '" + target.string() + "'\n");
}

// Presses the pairing button of `kind` and passes until its command has ended.
void pair(PeersFixture& fixture, DeviceMeshPane& pane, std::string_view key) {
  fixture.press(pane, key);
  PaneHarness::pass(pane);
  PeersFixture::pass_until(pane, [&] { return !pane.pairing_running(); });
}

TEST(MeshPairing, ADoublePressDiscoversOnceThenApprovalAdmitsTheHomeServer) {
  PeersFixture fixture;
  fixture.home().write("etc/orvo/relay.toml", "[[workspaces]]\nid = 7\n\n[[workspaces]]\nid = 3\n");
  discovery_answers(fixture, kKitchenNas, 0, "0.3");
  approval_writes(fixture, "device-root/home-peers.json",
                  PeersFixture::home_peers_json({{"node-a", "svc-a", "Kitchen NAS"}}));
  auto pane = fixture.attached_pane();
  PaneHarness::pass(pane);

  fixture.press(pane, kApproveEnrollmentKey);
  PaneHarness::pass(pane);
  EXPECT_TRUE(pane.pairing_running());
  EXPECT_TRUE(pane.discovering());
  EXPECT_EQ(pane.status_message(), "Looking for your new home server…");
  fixture.press(pane, kApproveEnrollmentKey);
  PaneHarness::pass(pane);
  EXPECT_EQ(lib::read_bool(*pane.own_document(), orvo_doc::kRoot, kApproveEnrollmentKey), false);
  PeersFixture::pass_until(pane, [&] { return !pane.pairing_running(); });
  EXPECT_EQ(fixture.calls("orvo-enroll"), std::vector<std::string>{"discover --timeout 15"});
  ASSERT_TRUE(pane.pair_candidate().has_value());
  EXPECT_EQ(*pane.pair_candidate(), (PairCandidate{"node-a", "svc-a", "Kitchen NAS", "482913"}));
  EXPECT_EQ(pane.status_message(), "Found Kitchen NAS. Confirm code 482913 on both devices, then approve.");

  fixture.press(pane, kApproveEnrollmentKey);
  PaneHarness::pass(pane);
  EXPECT_FALSE(pane.discovering());
  EXPECT_EQ(pane.status_message(), "Approving Kitchen NAS with code 482913…");
  PeersFixture::pass_until(pane, [&] { return !pane.pairing_running(); });
  EXPECT_EQ(fixture.calls("pkexec"),
            std::vector<std::string>{"/usr/libexec/orvo-home-peer-control approve-enrollment --identity-root " +
                                     fixture.identity_root() +
                                     " --expected-device node-a --expected-service svc-a --workspace-id 7 "
                                     "--workspace-id 3"});
  EXPECT_EQ(pane.status_message(), "Home server paired");
  ASSERT_EQ(pane.home_peers().size(), 1u);
  EXPECT_EQ(pane.home_peers()[0].label, "Kitchen NAS");
  EXPECT_EQ(pane.paired_home_server_count(), 1u);
  EXPECT_FALSE(pane.pair_candidate().has_value());
  // The new row's name field shows its name at once, not only when the page is opened again.
  EXPECT_EQ(lib::read_text(*pane.own_document(), orvo_doc::kRoot, home_peer_key("name", "node-a")), "Kitchen NAS");
}

TEST(MeshPairing, WithoutBindingsAHomeServerGetsTheLabelledWorkspacesInListOrder) {
  PeersFixture fixture;
  fixture.two_workspaces();
  discovery_answers(fixture, kKitchenNas);
  fixture.pkexec("");
  auto pane = fixture.attached_pane();
  PaneHarness::pass(pane);
  pair(fixture, pane, kApproveEnrollmentKey);
  pair(fixture, pane, kApproveEnrollmentKey);
  const auto calls = fixture.calls("pkexec");
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(calls[0].ends_with("--expected-service svc-a --workspace-id 4 --workspace-id 12")) << calls[0];
}

TEST(MeshPairing, APersonalDeviceIsApprovedForTheUserIdentityAndJoinsTheTrustedDevices) {
  PeersFixture fixture;
  fixture.two_workspaces();
  StoredFleet fleet = fixture.write_identity_and_fleet({});
  fleet.certificates.push_back(testing::certificate(testing::seed_of(1), testing::public_key_of(10), "Tablet"));
  discovery_answers(fixture, kTablet);
  approval_writes(fixture, "identities/fleets/alice.json", encode_fleet(fleet));
  auto pane = fixture.attached_pane();
  ASSERT_EQ(pane.trusted_devices().size(), 1u);
  PaneHarness::pass(pane);

  fixture.press(pane, kApprovePersonalDeviceKey);
  PaneHarness::pass(pane);
  EXPECT_EQ(pane.status_message(), "Looking for your new device…");
  PeersFixture::pass_until(pane, [&] { return !pane.pairing_running(); });
  EXPECT_EQ(fixture.calls("orvo-enroll"), std::vector<std::string>{"discover-device --timeout 15"});
  pair(fixture, pane, kApprovePersonalDeviceKey);
  EXPECT_EQ(fixture.calls("pkexec"),
            std::vector<std::string>{"/usr/libexec/orvo-home-peer-control approve-device --identity-root " +
                                     fixture.identity_root() + " --identity-dir " + fixture.identity_dir().string() +
                                     " --expected-device node-t --expected-service svc-t"});
  EXPECT_EQ(pane.status_message(), "Personal device added");
  ASSERT_EQ(pane.trusted_devices().size(), 2u);
  EXPECT_EQ(pane.trusted_devices()[1].device_label, "Tablet");
  EXPECT_FALSE(pane.pair_candidate().has_value());
  PaneHarness::pass(pane);
  EXPECT_EQ(lib::read_text(*pane.own_document(), orvo_doc::kRoot,
                           personal_device_key("reason", pane.trusted_devices()[1].device_public_key)),
            "Retired");
}

TEST(MeshPairing, TheOtherKindsButtonDropsTheCandidateAndLooksForThatKind) {
  PeersFixture fixture;
  discovery_answers(fixture, kKitchenNas);
  auto pane = fixture.attached_pane();
  PaneHarness::pass(pane);
  pair(fixture, pane, kApproveEnrollmentKey);
  ASSERT_TRUE(pane.pair_candidate().has_value());

  fixture.press(pane, kApprovePersonalDeviceKey);
  PaneHarness::pass(pane);
  EXPECT_FALSE(pane.pair_candidate().has_value());
  EXPECT_TRUE(pane.discovering());
  EXPECT_EQ(pane.pairing_kind(), kPairPersonalDevice);
  PeersFixture::pass_until(pane, [&] { return !pane.pairing_running(); });
  EXPECT_EQ(fixture.calls("orvo-enroll"),
            (std::vector<std::string>{"discover --timeout 15", "discover-device --timeout 15"}));
  EXPECT_TRUE(fixture.calls("pkexec").empty());
}

TEST(MeshPairing, ADiscoveryThatFindsNoUsableIdentityKeepsNoCandidate) {
  const std::string not_paired =
      "Device was not paired: the pairing window closed or was cancelled. Choose the pairing action to retry.";
  const struct {
    const char* name;
    std::string answer;
    int status;
    std::string expected;
  } cases[] = {
      {"no verification code", R"({"device_node_id":"n","relay_service_node_id":"s","label":"NAS"})", 0,
       std::string(kInvalidIdentity)},
      {"not JSON", "searching…", 0, std::string(kInvalidIdentity)},
      {"a device id read as an option", R"(["-x","s","NAS","1"])", 0, std::string(kInvalidIdentity)},
      {"a service id with a space", R"(["n","a b","NAS","1"])", 0, std::string(kInvalidIdentity)},
      {"an empty device id", R"(["","s","NAS","1"])", 0, std::string(kInvalidIdentity)},
      {"a service id with a line break", R"(["n","s\nx","NAS","1"])", 0, std::string(kInvalidIdentity)},
      {"the window closed without a word", "", 1, not_paired},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PeersFixture fixture;
    discovery_answers(fixture, c.answer, c.status);
    auto pane = fixture.attached_pane();
    PaneHarness::pass(pane);
    pair(fixture, pane, kApproveEnrollmentKey);
    EXPECT_EQ(pane.status_message(), c.expected);
    EXPECT_FALSE(pane.pair_candidate().has_value());
    // The next press looks again rather than approving anything.
    pair(fixture, pane, kApproveEnrollmentKey);
    EXPECT_EQ(fixture.calls("orvo-enroll").size(), 2u);
    EXPECT_TRUE(fixture.calls("pkexec").empty());
  }
}

TEST(MeshPairing, AnApprovalThatCannotRunOrIsRefusedKeepsTheCandidateForARetry) {
  PeersFixture fixture;
  discovery_answers(fixture, kTablet);
  fixture.pkexec("exit 126\n");
  auto pane = fixture.attached_pane();
  PaneHarness::pass(pane);
  pair(fixture, pane, kApprovePersonalDeviceKey);
  ASSERT_TRUE(pane.pair_candidate().has_value());

  {
    // No user data directory, so no identity directory either.
    testing::ScopedEnv no_dir("ORVO_USER_IDENTITY_DIR", std::nullopt);
    testing::ScopedEnv no_data("XDG_DATA_HOME", std::nullopt);
    testing::ScopedEnv no_home("HOME", std::nullopt);
    system_paths::ScopedOverride paths(fixture.home().root(), fixture.home().config(), fixture.home().runtime());
    fixture.press(pane, kApprovePersonalDeviceKey);
    PaneHarness::pass(pane);
    EXPECT_EQ(pane.status_message(), "Could not find your identity: no user data directory");
    EXPECT_FALSE(pane.pairing_running());
    EXPECT_TRUE(pane.pair_candidate().has_value());
    EXPECT_TRUE(fixture.calls("pkexec").empty());
  }

  pair(fixture, pane, kApprovePersonalDeviceKey);
  EXPECT_EQ(pane.status_message(),
            "Device was not paired: the pairing window closed or was cancelled. Choose the pairing action to retry.");
  EXPECT_TRUE(pane.pair_candidate().has_value());
  pair(fixture, pane, kApprovePersonalDeviceKey);
  EXPECT_EQ(fixture.calls("pkexec").size(), 2u);
  EXPECT_EQ(fixture.calls("orvo-enroll").size(), 1u);
}

TEST(MeshPairing, AMissingEnrolmentProgramIsReported) {
  PeersFixture fixture;
  auto pane = fixture.attached_pane();
  PaneHarness::pass(pane);
  fixture.press(pane, kApproveEnrollmentKey);
  PaneHarness::pass(pane);
  EXPECT_FALSE(pane.pairing_running());
  EXPECT_EQ(pane.status_message(), "Could not start nearby discovery: program \"" +
                                       fixture.home().system(kEnrollProgram).string() + "\" was not found");
}

}  // namespace
}  // namespace settings::panes::device_mesh

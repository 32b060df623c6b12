#include "panes/device_mesh/revocation.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "device_mesh/peers_fixture.h"
#include "panes/device_mesh/device_mesh_pane.h"

namespace settings::panes::device_mesh {
namespace {

using orvo_user_identity::RevocationReason;
using panes::testing::PaneHarness;
using testing::PeersFixture;
using testing::public_key_of;
using testing::seed_of;

const std::chrono::system_clock::time_point kRevokedAt =
    std::chrono::system_clock::time_point(std::chrono::seconds(1'765'400'000) + std::chrono::nanoseconds(123));

// The user "alice" with this laptop, an old phone and a tablet in her fleet.
class RevocationTest : public ::testing::Test {
 protected:
  void SetUp() override { fleet = fixture.write_identity_and_fleet({"Old phone", "Tablet"}); }

  DeviceMeshPane pane() {
    auto built = fixture.attached_pane().with_clock(MeshClock{[] { return orvo_ui::Deadline::now(); },
                                                              [] { return kRevokedAt; }});
    PaneHarness::pass(built);
    return built;
  }
  static void press_revoke(DeviceMeshPane& pane, const PublicKey& key) {
    PeersFixture::press(pane, personal_device_key("revoke", key));
    PaneHarness::pass(pane);
  }
  static const FleetDeviceRow& row(const DeviceMeshPane& pane, std::size_t i) { return pane.trusted_devices().at(i); }

  PeersFixture fixture;
  StoredFleet fleet;
  const PublicKey old_phone = public_key_of(10);
  const PublicKey tablet = public_key_of(11);
};

TEST_F(RevocationTest, TwoPressesSignARevocationWithTheChosenReason) {
  const struct {
    const char* name;
    std::optional<std::string> reason;
    RevocationReason expected;
  } cases[] = {
      {"no reason chosen", {}, RevocationReason::Retired},
      {"lower-case lost", "lost", RevocationReason::Retired},
      {"Lost", "Lost", RevocationReason::Lost},
      {"Stolen", "Stolen", RevocationReason::Stolen},
      {"Compromised", "Compromised", RevocationReason::Compromised},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fixture.write_fleet(fleet);
    const std::string before = fixture.fleet_text();
    auto mesh = pane();
    if (c.reason) PeersFixture::put_text(mesh, personal_device_key("reason", old_phone), *c.reason);

    press_revoke(mesh, old_phone);
    EXPECT_TRUE(mesh.revocation_pending(old_phone));
    EXPECT_EQ(fixture.fleet_text(), before);
    press_revoke(mesh, old_phone);
    EXPECT_FALSE(mesh.revocation_pending(old_phone));

    auto written = orvo_json::decode<StoredFleet>(fixture.fleet_text());
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(fixture.fleet_text(), encode_fleet(*written));
    EXPECT_EQ(written->certificates, fleet.certificates);
    ASSERT_EQ(written->revocations.size(), 1u);
    const RevocationEntry& entry = written->revocations[0];
    EXPECT_TRUE(orvo_user_identity::revocation::verify_revocation_entry(entry).has_value());
    EXPECT_EQ(entry.user_public_key, public_key_of(1));
    EXPECT_EQ(entry.revoked_device_public_key, old_phone);
    EXPECT_EQ(entry.revoked_at_ns, 1'765'400'000'000'000'123ULL);
    EXPECT_EQ(entry.reason, c.expected);
    EXPECT_EQ(PeersFixture::mode_of(fixture.fleet_file()), 0600u);
    EXPECT_TRUE(check_fleet_identity().has_value());

    EXPECT_EQ(mesh.status_message(), "Old phone can no longer access your workspaces");
    EXPECT_TRUE(row(mesh, 1).revoked);
    EXPECT_FALSE(row(mesh, 2).revoked);
    EXPECT_EQ(mesh.trusted_devices_error(), std::nullopt);
  }
}

TEST_F(RevocationTest, PressesOnThisDeviceOrARevokedDeviceChangeNothing) {
  fleet.revocations.push_back(testing::revocation(seed_of(1), tablet));
  fixture.write_fleet(fleet);
  const std::string before = fixture.fleet_text();
  auto mesh = pane();
  const std::string status = mesh.status_message();
  for (const PublicKey& key : {public_key_of(2), tablet}) {
    press_revoke(mesh, key);
    press_revoke(mesh, key);
    EXPECT_FALSE(mesh.revocation_pending(key));
  }
  EXPECT_EQ(fixture.fleet_text(), before);
  EXPECT_EQ(mesh.status_message(), status);
  EXPECT_EQ(mesh.trusted_devices_error(), std::nullopt);

  // A pending row can be cancelled.
  press_revoke(mesh, old_phone);
  PeersFixture::press(mesh, personal_device_key("cancel", old_phone));
  PaneHarness::pass(mesh);
  EXPECT_FALSE(mesh.revocation_pending(old_phone));
}

TEST_F(RevocationTest, ADeviceRevokedMeanwhileIsReportedWithoutWritingAgain) {
  auto mesh = pane();
  press_revoke(mesh, tablet);
  fleet.revocations.push_back(testing::revocation(seed_of(1), tablet));
  fixture.write_fleet(fleet);
  const std::string before = fixture.fleet_text();

  press_revoke(mesh, tablet);
  EXPECT_EQ(fixture.fleet_text(), before);
  EXPECT_TRUE(row(mesh, 2).revoked);
  EXPECT_EQ(mesh.status_message(), "Tablet can no longer access your workspaces");
  EXPECT_EQ(mesh.trusted_devices_error(), std::nullopt);
}

TEST_F(RevocationTest, AFleetOfAnotherSigningIdentityIsLeftAlone) {
  auto mesh = pane();
  const std::string status = mesh.status_message();
  press_revoke(mesh, old_phone);
  // The active identity "alice" now holds another key than the one her fleet was signed with.
  ASSERT_TRUE(runtime_identity::unix::store_identity(fixture.identity_dir(), "alice", seed_of(3), true).has_value());
  const std::string before = fixture.fleet_text();

  press_revoke(mesh, old_phone);
  EXPECT_EQ(mesh.trusted_devices_error(), std::optional<std::string>("active signing identity does not match its device fleet"));
  EXPECT_EQ(fixture.fleet_text(), before);
  EXPECT_EQ(mesh.status_message(), status);
  EXPECT_EQ(mesh.trusted_devices().size(), 3u);
}

TEST_F(RevocationTest, AListThatCannotBeReloadedAfterwardsSaysWhy) {
  auto mesh = pane();
  press_revoke(mesh, old_phone);
  // Someone else's revocation of the phone lands in the fleet: it counts as done, but the fleet
  // no longer belongs to alice alone.
  fleet.revocations.push_back(testing::revocation(seed_of(5), old_phone));
  fixture.write_fleet(fleet);

  press_revoke(mesh, old_phone);
  EXPECT_EQ(mesh.status_message(), "Old phone can no longer access your workspaces");
  EXPECT_TRUE(mesh.trusted_devices().empty());
  EXPECT_EQ(mesh.trusted_devices_error(), std::optional<std::string>("device fleet contains another identity"));
}

TEST_F(RevocationTest, RevokingRefusesThisDeviceAndStrangers) {
  const struct {
    const char* name;
    PublicKey key;
    const char* error;
  } cases[] = {
      {"this device", public_key_of(2), "use another trusted device to revoke the device you are using"},
      {"a device outside the fleet", public_key_of(40), "device is not enrolled"},
  };
  const std::string before = fixture.fleet_text();
  for (const auto& c : cases) {
    auto done = revoke_device(c.key, RevocationReason::Lost, kRevokedAt);
    ASSERT_FALSE(done.has_value()) << c.name;
    EXPECT_EQ(done.error(), c.error) << c.name;
  }
  EXPECT_EQ(fixture.fleet_text(), before);
}

TEST(RevocationTime, NanosecondsSinceTheEpochAndNothingBeforeIt) {
  using namespace std::chrono;
  EXPECT_EQ(revocation_time_ns(system_clock::time_point(seconds(2) + nanoseconds(5))), 2'000'000'005ULL);
  EXPECT_EQ(revocation_time_ns(system_clock::time_point(-seconds(1))), 0u);
}

}  // namespace
}  // namespace settings::panes::device_mesh

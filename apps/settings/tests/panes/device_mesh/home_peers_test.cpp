#include "panes/device_mesh/home_peers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>

#include "device_mesh/peers_fixture.h"
#include "panes/device_mesh/device_mesh_pane.h"

namespace settings::panes::device_mesh {
namespace {

using namespace std::chrono_literals;
using panes::testing::PaneHarness;
using testing::PeersFixture;

// A clock the test moves: the refresh falls due only when the test says so.
struct TestClock {
  orvo_ui::Deadline monotonic = orvo_ui::Deadline::now();
  std::chrono::system_clock::time_point wall = std::chrono::system_clock::now();

  void advance(std::chrono::seconds by) {
    monotonic.secs += by.count();
    wall += by;
  }
};

class HomePeersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fixture.write_home_peers({{"p1", "s1", "Kitchen NAS"}, {"p2", "s2", "Attic"}, {"p3", "s3", "Office"}});
    admin_answers(R"(printf '%s' '{"files_ready":true}')");
  }

  // The relay administration stand-in runs `body` after recording its arguments.
  void admin_answers(std::string_view body) { fixture.program(kRelayAdminProgram, std::string(body) + "\n"); }

  DeviceMeshPane pane() {
    auto built = fixture.attached_pane().with_clock(
        MeshClock{[c = clock] { return c->monotonic; }, [c = clock] { return c->wall; }});
    PaneHarness::pass(built);
    return built;
  }

  // Lets the refresh fall due and passes until the command it started has ended.
  void refresh(DeviceMeshPane& pane) {
    clock->advance(2s);
    PaneHarness::pass(pane);
    PeersFixture::pass_until(pane, [&] { return !pane.admin_running(); });
  }

  std::vector<std::string> admin_calls() { return fixture.calls("orvo-relay-admin"); }
  std::string peer_args(std::string_view device, std::string_view service) {
    return "--identity-root " + fixture.identity_root() + " --device " + std::string(device) + " --service " +
           std::string(service);
  }
  std::string status_of(const DeviceMeshPane& pane, const std::string& id) {
    const auto found = pane.home_peer_status().find(id);
    return found == pane.home_peer_status().end() ? "(none)" : found->second;
  }
  std::uint64_t wall_ms() const { return unix_millis(clock->wall); }

  PeersFixture fixture;
  std::shared_ptr<TestClock> clock = std::make_shared<TestClock>();
};

TEST_F(HomePeersTest, EachRefreshChecksTheNextPeerInTurn) {
  auto mesh = pane();
  EXPECT_TRUE(admin_calls().empty());
  for (int i = 0; i < 4; ++i) refresh(mesh);
  EXPECT_EQ(admin_calls(), (std::vector<std::string>{
                               "home-peer-status " + peer_args("p1", "s1"), "home-peer-status " + peer_args("p2", "s2"),
                               "home-peer-status " + peer_args("p3", "s3"), "home-peer-status " + peer_args("p1", "s1")}));
  EXPECT_EQ(status_of(mesh, "p3"), "Online · Files ready");
}

TEST_F(HomePeersTest, PendingRemovalsAreRetriedBeforeAnyCheckAndOnlyChangeTheList) {
  fixture.home().write("device-root/pending-home-peer-decommissions.json", R"([{"device":"p1"}])");
  fixture.home().write("after-retry.json", PeersFixture::home_peers_json({{"p2", "s2", "Attic"}, {"p3", "s3", "Office"}}));
  const auto root = fixture.home().root().string();
  admin_answers("case \"$1\" in\n"
                "home-peer-retry-removals)\n"
                "  /bin/cp '" + root + "/after-retry.json' '" + root + "/device-root/home-peers.json'\n"
                "  printf '[]' > '" + root + "/device-root/pending-home-peer-decommissions.json'\n"
                "  printf '{\"files_ready\":true}' ;;\n"
                "*) printf '{}' ;;\n"
                "esac");
  auto mesh = pane();
  clock->advance(2s);
  PaneHarness::pass(mesh);
  EXPECT_EQ(mesh.admin_command_peer(), std::optional<std::string>(kPendingRemovalsPeer));
  PeersFixture::pass_until(mesh, [&] { return !mesh.admin_running(); });

  EXPECT_EQ(admin_calls(), std::vector<std::string>{"home-peer-retry-removals --identity-root " + fixture.identity_root()});
  EXPECT_EQ(mesh.home_peers().size(), 2u);
  EXPECT_EQ(mesh.paired_home_server_count(), 2u);
  EXPECT_TRUE(mesh.home_peer_status().empty());
  EXPECT_TRUE(mesh.home_peer_last_seen().empty());
  EXPECT_FALSE(fixture.home().read("device-root/home-peer-health.json").has_value());

  // With nothing left pending the checks resume.
  refresh(mesh);
  EXPECT_EQ(admin_calls().back(), "home-peer-status " + peer_args("p2", "s2"));
}

TEST_F(HomePeersTest, AnAnswerBecomesThePeersStatusText) {
  const struct {
    const char* name;
    std::string body;
    std::optional<std::chrono::seconds> seen_before;
    std::string expected;
    bool seen_now;
  } cases[] = {
      {"files ready", R"(printf '%s' '{"files_ready": true}')", {}, "Online · Files ready", true},
      {"removed", R"(printf '%s' '{"decommissioned": true, "files_ready": true}')", {}, "Removed", true},
      {"members of another type", R"(printf '%s' '{"files_ready": "yes", "decommissioned": 1}')", {},
       "Online · Syncing files", true},
      {"never seen and silent", "exit 1", {}, "Offline · not reachable", false},
      {"never seen with a reason", "printf 'no route to host\\n' >&2; exit 2", {}, "Offline · no route to host",
       false},
      {"seen 59 s ago", "exit 1", 59s, "Offline · Last seen just now", false},
      {"seen 59 min ago", "printf 'refused' >&2; exit 1", 59min + 59s, "Offline · Last seen 59 min ago", false},
      {"seen 61 min ago", "exit 1", 61min, "Offline · Last seen 1 h ago", false},
      {"an answer that is not JSON", "printf 'ok'", 5min, "Connecting…", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PeersFixture fixture;
    fixture.write_home_peers({{"p1", "s1", "Kitchen NAS"}});
    fixture.program(kRelayAdminProgram, c.body + "\n");
    auto test_clock = std::make_shared<TestClock>();
    std::optional<std::string> health;
    if (c.seen_before) {
      health = "{\"p1\": " + std::to_string(unix_millis(test_clock->wall + 2s - *c.seen_before)) + "}";
      fixture.home().write("device-root/home-peer-health.json", *health);
    }
    auto mesh = fixture.attached_pane().with_clock(
        MeshClock{[test_clock] { return test_clock->monotonic; }, [test_clock] { return test_clock->wall; }});
    PaneHarness::pass(mesh);
    test_clock->advance(2s);
    PaneHarness::pass(mesh);
    EXPECT_EQ(mesh.home_peer_status().at("p1"), "Connecting…");
    PeersFixture::pass_until(mesh, [&] { return !mesh.admin_running(); });

    EXPECT_EQ(mesh.home_peer_status().at("p1"), c.expected);
    const auto file = fixture.home().read("device-root/home-peer-health.json");
    if (c.seen_now) {
      const std::uint64_t now = unix_millis(test_clock->wall);
      EXPECT_EQ(mesh.home_peer_last_seen().at("p1"), now);
      EXPECT_EQ(file, "{\n  \"p1\": " + std::to_string(now) + "\n}");
    } else {
      EXPECT_EQ(file, health);
    }
  }
}

TEST_F(HomePeersTest, TheHealthFileIsPrivateWhateverTheUmask) {
  const mode_t saved = ::umask(0);
  auto mesh = pane();
  refresh(mesh);
  ::umask(saved);
  const auto path = fixture.home().root() / "device-root" / "home-peer-health.json";
  EXPECT_EQ(PeersFixture::mode_of(path), 0600u);
  EXPECT_EQ(fixture.home().read("device-root/home-peer-health.json"),
            "{\n  \"p1\": " + std::to_string(wall_ms()) + "\n}");
}

TEST_F(HomePeersTest, RemovalTakesTwoPressesAndCanBeCancelled) {
  const auto peers_file = fixture.home().read("device-root/home-peers.json");
  auto mesh = pane();
  const std::string remove = home_peer_key("remove", "p1");

  PeersFixture::press(mesh, remove);
  PaneHarness::pass(mesh);
  EXPECT_TRUE(mesh.removal_pending("p1"));
  EXPECT_EQ(mesh.status_message(),
            "Review the file-copy warning, then choose Revoke & remove to stop Kitchen NAS permanently");
  PeersFixture::press(mesh, home_peer_key("cancel_remove", "p1"));
  PaneHarness::pass(mesh);
  EXPECT_FALSE(mesh.removal_pending("p1"));
  EXPECT_TRUE(admin_calls().empty());
  EXPECT_EQ(fixture.home().read("device-root/home-peers.json"), peers_file);

  PeersFixture::press(mesh, remove);
  PaneHarness::pass(mesh);
  PeersFixture::press(mesh, remove);
  PaneHarness::pass(mesh);
  EXPECT_FALSE(mesh.removal_pending("p1"));
  EXPECT_EQ(status_of(mesh, "p1"), "Connecting…");
  PeersFixture::pass_until(mesh, [&] { return !mesh.admin_running(); });
  EXPECT_EQ(admin_calls(), std::vector<std::string>{"home-peer-remove " + peer_args("p1", "s1")});
  EXPECT_EQ(lib::read_bool(*mesh.own_document(), orvo_doc::kRoot, remove), false);
}

TEST_F(HomePeersTest, ARenameSendsTheTrimmedNameAndAnInvalidOneNothing) {
  const struct {
    const char* name;
    std::string text;
    std::optional<std::string> sent;
  } cases[] = {
      {"surrounding spaces", "  Loft server \t", "Loft server"},
      {"empty", "   ", {}},
      {"a control character", "Loft\x01", {}},
      {"65 characters", std::string(65, 'n'), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    auto mesh = pane();
    const std::size_t before = admin_calls().size();
    PeersFixture::put_text(mesh, home_peer_key("name", "p2"), c.text);
    PeersFixture::press(mesh, home_peer_key("rename", "p2"));
    PaneHarness::pass(mesh);
    PeersFixture::pass_until(mesh, [&] { return !mesh.admin_running(); });
    const auto calls = admin_calls();
    if (!c.sent) {
      EXPECT_EQ(calls.size(), before);
      continue;
    }
    ASSERT_EQ(calls.size(), before + 1);
    EXPECT_EQ(calls.back(), "home-peer-rename " + peer_args("p2", "s2") + " --label " + *c.sent);
  }
}

TEST_F(HomePeersTest, ACommandPressedDuringACheckWaitsForItAndGoesBeforeTheNextCheck) {
  admin_answers("case \"$1\" in home-peer-status) /bin/sleep 0.5 ;; esac\nprintf '{}'");
  auto mesh = pane();
  clock->advance(2s);
  PaneHarness::pass(mesh);
  ASSERT_TRUE(mesh.admin_running());

  // A rename, then a confirmed removal that replaces it, both while the check runs; meanwhile the
  // next refresh falls due too.
  PeersFixture::put_text(mesh, home_peer_key("name", "p1"), "Loft");
  PeersFixture::press(mesh, home_peer_key("rename", "p1"));
  PaneHarness::pass(mesh);
  for (int press = 0; press < 2; ++press) {
    PeersFixture::press(mesh, home_peer_key("remove", "p2"));
    PaneHarness::pass(mesh);
  }
  clock->advance(2s);
  EXPECT_EQ(mesh.admin_command_peer(), std::optional<std::string>("p1"));
  EXPECT_EQ(status_of(mesh, "p2"), "(none)");
  EXPECT_FALSE(mesh.removal_pending("p2"));

  // The pass that ends the check starts the removal.
  PeersFixture::pass_until(mesh, [&] { return mesh.admin_command_peer() != std::optional<std::string>("p1"); });
  EXPECT_EQ(mesh.admin_command_peer(), std::optional<std::string>("p2"));
  EXPECT_EQ(status_of(mesh, "p2"), "Connecting…");
  PeersFixture::pass_until(mesh, [&] { return !mesh.admin_running(); });
  refresh(mesh);
  EXPECT_EQ(admin_calls(), (std::vector<std::string>{"home-peer-status " + peer_args("p1", "s1"),
                                                     "home-peer-remove " + peer_args("p2", "s2"),
                                                     "home-peer-status " + peer_args("p2", "s2")}));
}

TEST(HomePeerTexts, LastSeenTextCountsWholeMinutesAndHours) {
  const auto now = std::chrono::system_clock::time_point(std::chrono::hours(500'000));
  const std::uint64_t now_ms = unix_millis(now);
  const struct {
    std::uint64_t last_seen;
    const char* expected;
  } cases[] = {
      {now_ms + 5'000, "Offline · Last seen just now"},  // a clock that went back
      {now_ms - 59'999, "Offline · Last seen just now"},
      {now_ms - 60'000, "Offline · Last seen 1 min ago"},
      {now_ms - 3'599'999, "Offline · Last seen 59 min ago"},
      {now_ms - 3'600'000, "Offline · Last seen 1 h ago"},
      {0, "Offline · Last seen 500000 h ago"},
  };
  for (const auto& c : cases) EXPECT_EQ(last_seen_text(c.last_seen, now), c.expected) << c.last_seen;
}

}  // namespace
}  // namespace settings::panes::device_mesh

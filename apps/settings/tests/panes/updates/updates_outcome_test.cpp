// Rolling back needs an earlier image: without one the request is refused before any command runs,
// in the pane and from outside with no system services.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "../../door/offscreen_app.h"
#include "fake_update_system.h"
#include "harness/pane_harness.h"
#include "harness/stub_programs.h"
#include "panes/updates/updates_pane.h"

namespace settings::panes::updates {
namespace {

using settings_app::OperationStatus;
using testing::Answer;
using testing::FakeUpdateSystem;
using Op = actions::UpdateOperation;

constexpr std::string_view kRollbackLine = "systemctl start --wait orvo-deployment-rollback.service";
constexpr std::string_view kWithRollback = R"({"status":{"rollback":{"image":{"image":{"image":"quay.io/orvo/os:42"}}}}})";

TEST(UpdatesOutcomes, RollbackWithoutAnEarlierImageRunsNothing) {
  struct Case {
    const char* name;
    std::string status_at_start;
    std::string status_at_rollback;  // the image may go after the page's reading
  };
  for (const Case& c : {Case{"none from the start", R"({"status":{"rollback":null}})", R"({"status":{"rollback":null}})"},
                        Case{"gone since the reading", std::string(kWithRollback), R"({"status":{}})"},
                        Case{"no bootc at all", "", ""}}) {
    SCOPED_TRACE(c.name);
    panes::testing::PaneHarness harness;
    auto fake = std::make_shared<FakeUpdateSystem>();
    const auto status_answer = [](const std::string& json) {
      return json.empty() ? Answer{127, "", "bootc: not found\n"} : Answer{0, json, ""};
    };
    fake->answer("bootc status --format json", status_answer(c.status_at_start));
    UpdatesPane pane =
        UpdatesPane(fake->services()).with_pane_operation(harness.operation_cell()).with_operation_status(harness.status_cell());
    for (int i = 0; i < 1000 && !pane.state().loaded; ++i) {
      panes::testing::PaneHarness::pass(pane);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_TRUE(pane.state().loaded);
    fake->answer("bootc status --format json", status_answer(c.status_at_rollback));
    const std::string key = harness.hand_over(Op::Rollback{});
    for (int i = 0; i < 1000 && harness.status().is_running(key); ++i) {
      panes::testing::PaneHarness::pass(pane);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(harness.status(), OperationStatus(OperationStatus::Failed{key, std::string(kNoEarlierImage)}));
    EXPECT_EQ(pane.state().message, std::string(kNoEarlierImage));
    EXPECT_EQ(fake->count(std::string(kRollbackLine)), 0);
    EXPECT_TRUE(fake->wait_for_workers());
  }
}

TEST(UpdatesOutcomes, RollbackFromOutsideWithoutSystemServicesIsRefused) {
  door_tests::OffscreenApp app;
  panes::testing::StubPrograms stubs(app.home() / "stubs");
  stubs.answer("systemctl", "");  // records what would have been started
  ASSERT_TRUE(app.start()) << app.process().err();
  const auto run = app.tool({"--timeout", "20", "invoke", "settings.section:updates", "rollback"});
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.err.find(kNoEarlierImage), std::string::npos) << run.err;
  const auto log = stubs.log();
  EXPECT_EQ(std::count(log.begin(), log.end(), std::string(kRollbackLine)), 0);
  app.process().signal(SIGTERM);
  EXPECT_EQ(app.process().wait(), 0) << app.process().err();
}

}  // namespace
}  // namespace settings::panes::updates

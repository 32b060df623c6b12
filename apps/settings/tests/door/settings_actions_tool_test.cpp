// The client tool against a door served by a stand-in root: what it prints and how it exits.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "child_process.h"
#include "entry.h"
#include "orvo_actions/action_constructors.h"
#include "orvo_ui/action_door.h"
#include "orvo_ui/action_host.h"
#include "orvo_ui/widget.h"

namespace settings::door_tests {
namespace {

using namespace orvo_ui;
using orvo_actions::ActionParam;
using orvo_actions::EncodedAction;

// One section whose "muted" action goes in flight: muting succeeds, unmuting fails; "stuck"
// never finishes until it is cancelled.
class StandInRoot : public Widget {
 public:
  std::string_view type_name() const override { return "settings::door_tests::StandInRoot"; }
  std::string_view name() const override { return "StandInRoot"; }
  void sync(SyncContext&) override {}
  NodeId build_layout(LayoutTree&, LayoutContext&, NodeMap&) override { return 0; }
  void apply_layout(const LayoutTree&, NodeId, double, double) override {}
  void draw(Scene&, Affine, TextRenderer&, const Theme&, const PresenceContext&) override {}
  void handle_event(const Event&, EventContext&) override {}
  Rect get_rect() const override { return {}; }

  std::vector<orvo_actions::Resource> resources() override {
    auto echo = [](const orvo_actions::ActionArgs& args) {
      return EncodedAction{"settings.audio-operation", args.to_json_text()};
    };
    auto effect = [&](const char* name) {
      return orvo_actions::typed_operation_spec(name, name, "", orvo_actions::OperationClass::Effect,
                                                "settings.audio-operation", {ActionParam::boolean("value", "On")}, echo);
    };
    auto sound = orvo_actions::Resource::make("settings.section:sound", "settings.section", "Sound")
                     .with_action(effect("muted"))
                     .with_action(effect("stuck"));
    return {orvo_actions::Resource::make("settings.root", "settings.root", "Settings").with_child(std::move(sound))};
  }
  StartAnswer start_resource_operation_with_document(const RequestId& id, OperationClass, std::string_view,
                                                     std::string_view payload, orvo_doc::Document*) override {
    running = id;
    outcome = payload.find("true") != std::string_view::npos
                  ? OperationCompletion{completion::Succeeded{"Output muted."}}
                  : OperationCompletion{completion::Failed{"busy", "Could not unmute the output: device busy."}};
    return start::InFlight{};
  }
  std::optional<OperationCompletion> poll_operation_results(const RequestId& id, bool cancel) override {
    if (!running || id != *running) return std::nullopt;
    if (cancel) {
      cancelled = true;
      running.reset();
      return completion::Cancelled{"operation cancelled"};
    }
    if (stuck) return std::nullopt;
    running.reset();
    return outcome;
  }

  bool stuck = false;
  bool cancelled = false;

 private:
  std::optional<RequestId> running;
  OperationCompletion outcome;
};

struct ToolFixture : ::testing::Test {
  std::filesystem::path dir = [] {
    char pattern[] = "/tmp/tool-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    return std::filesystem::path(made ? made : "/tmp");
  }();
  StandInRoot root;
  ActionHost host;
  std::unique_ptr<ActionDoor> door;

  void SetUp() override {
    host.set_accepts_outside_requests(true);
    auto opened = ActionDoor::open(dir / (std::string(kAppId) + ".actions.sock"), host, true);
    ASSERT_TRUE(opened) << opened.error();
    door = std::move(*opened);
  }
  void TearDown() override {
    door.reset();
    std::filesystem::remove_all(dir);
  }

  struct Run {
    int status = -99;
    std::string out;
    std::string err;
  };
  // Runs the tool with XDG_RUNTIME_DIR set to `runtime` (unset when none) while this thread
  // serves the door as the interface thread would.
  Run run(const std::vector<std::string>& args, std::optional<std::string> runtime) {
    ChildProcess tool(ORVO_SETTINGS_ACTIONS, args, environment_with({{"XDG_RUNTIME_DIR", runtime}}), dir);
    EXPECT_TRUE(tool.started());
    auto status = tool.wait([&] {
      door->serve(root);
      host.poll(root);
    });
    return {status.value_or(-99), tool.out(), tool.err()};
  }
  Run run(const std::vector<std::string>& args) { return run(args, dir.native()); }
};

TEST_F(ToolFixture, TreePrintsTheResourcesAsJson) {
  Run tree = run({"tree"});
  ASSERT_EQ(tree.status, 0) << tree.err;
  auto json = nlohmann::json::parse(tree.out);
  EXPECT_EQ(json[0]["id"], "settings.root");
  EXPECT_EQ(json[0]["children"][0]["actions"][1]["name"], "stuck");
}

TEST_F(ToolFixture, InvokeExitsWithHowTheOperationEnded) {
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;
  };
  const Case cases[] = {
      {{"invoke", "settings.section:sound", "muted", R"({"value":true})"}, 0, "Output muted.\n", ""},
      {{"invoke", "settings.section:sound", "muted", R"({"value":false})"}, 1, "",
       "Could not unmute the output: device busy.\n"},
      {{"invoke", "settings.section:sound", "muted"}, 1, "", "missing required argument `value`\n"},
      {{"invoke", "settings.section:radio", "muted", "{}"}, 1, "", "no resource settings.section:radio\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args[2] + " " + (c.args.size() > 3 ? c.args[3] : ""));
    Run result = run(c.args);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.out, c.out);
    EXPECT_EQ(result.err, c.err);
  }
}

TEST_F(ToolFixture, InvokeGivesUpAfterItsTimeLimitAndTheOperationIsCancelled) {
  root.stuck = true;
  Run result = run({"--timeout", "1", "invoke", "settings.section:sound", "stuck", R"({"value":true})"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "the operation did not finish within 1000 ms and was cancelled\n");
  host.poll(root);
  EXPECT_TRUE(root.cancelled);
}

TEST_F(ToolFixture, NoRunningApplicationIsStatus2) {
  const auto empty = dir / "empty";
  std::filesystem::create_directory(empty);
  for (const auto& runtime : {std::optional<std::string>(empty.native()), std::optional<std::string>()}) {
    SCOPED_TRACE(runtime.value_or("unset"));
    for (const auto& args : {std::vector<std::string>{"tree"},
                             std::vector<std::string>{"invoke", "settings.section:bluetooth", "open"}}) {
      Run result = run(args, runtime);
      EXPECT_EQ(result.status, 2) << result.err;
      EXPECT_TRUE(result.out.empty());
      EXPECT_NE(result.err.find("no running"), std::string::npos) << result.err;
    }
  }
}

TEST_F(ToolFixture, AWrongCommandLineIsStatus64WithTheUsage) {
  const std::vector<std::vector<std::string>> lines = {
      {},
      {"frobnicate"},
      {"tree", "extra"},
      {"invoke", "settings.section:sound"},
      {"invoke", "settings.section:sound", "muted", "{}", "extra"},
      {"invoke", "settings.section:sound", "muted", "[true]"},
      {"invoke", "settings.section:sound", "muted", "{not json"},
      {"--timeout", "0", "tree"},
      {"--timeout", "soon", "tree"},
      {"--timeout", "5"},
      {"key", "settings.network-operation"},
  };
  for (const auto& args : lines) {
    Run result = run(args);
    EXPECT_EQ(result.status, 64) << testing::PrintToString(args);
    EXPECT_NE(result.err.find("usage: orvo-settings-actions"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("64 wrong command line"), std::string::npos);
  }
}

}  // namespace
}  // namespace settings::door_tests

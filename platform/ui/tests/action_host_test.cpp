#include "orvo_ui/action_host.h"

#include <gtest/gtest.h>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_actions/action_constructors.h"
#include "orvo_doc/document.h"
#include "orvo_log/log.h"
#include "test_widget.h"

namespace orvo_ui {
namespace {

using orvo_actions::ActionParam;
using orvo_actions::ControlInvocation;
using orvo_actions::EncodedAction;

orvo_actions::Resource sound_resource() {
  auto echo = [](const orvo_actions::ActionArgs& args) {
    return EncodedAction{"settings.audio-operation", args.to_json_text()};
  };
  return orvo_actions::Resource::make("settings.section:sound", "settings.section", "Sound")
      .with_action(orvo_actions::typed_operation_spec("muted", "Set output mute", "On or off on this device",
                                                      orvo_actions::OperationClass::Effect, "settings.audio-operation",
                                                      {ActionParam::boolean("value", "Enabled")}, echo))
      .with_action(orvo_actions::typed_setting_spec(
          "mono", "Set mono output", "On or off", {ActionParam::boolean("value", "Whether this setting is on")},
          [](const orvo_actions::ActionArgs& args) {
            return EncodedAction{"settings.action", args.to_json_text()};
          }));
}

// A root that publishes the sound resource under "settings.root", answers every operation InFlight
// and completes one after `polls_to_complete` polls, or at once when asked to cancel.
class HostRoot : public testing::TestWidget {
 public:
  std::vector<orvo_actions::Resource> resources() override {
    return {orvo_actions::Resource::make("settings.root", "settings.root", "Settings").with_child(sound_resource())};
  }
  StartAnswer start_resource_operation_with_document(const RequestId& id, OperationClass cls, std::string_view kind,
                                                     std::string_view payload, orvo_doc::Document*) override {
    started.push_back({cls, std::string(kind), std::string(payload)});
    running = id;
    return start::InFlight{};
  }
  std::optional<OperationCompletion> poll_operation_results(const RequestId& id, bool cancel) override {
    if (!running || id != *running) return std::nullopt;
    ++polls;
    if (cancel) {
      cancel_seen = true;
      if (!answer_cancel) return std::nullopt;
      running.reset();
      return completion::Cancelled{"stopped"};
    }
    if (polls < polls_to_complete) return std::nullopt;
    running.reset();
    return completion::Succeeded{"Output muted."};
  }

  std::vector<ResolvedOperation> started;
  std::optional<RequestId> running;
  int polls = 0;
  int polls_to_complete = 3;
  bool answer_cancel = true;
  bool cancel_seen = false;
};

struct LoopFixture : ::testing::Test {
  OffscreenBackend backend{200, 100};
  HostRoot root;
  testing::TestWidget& control = root.add(testing::make("control"));
  App app = [] {
    App accepting;
    accepting.accepts_external_actions = true;
    return accepting;
  }();
  FrameLoop loop{backend, root, app, TextRenderer::Metrics::Fixed};

  void frame() { loop.frame(backend.take_events()); }
};

TEST_F(LoopFixture, AQueuedInvocationStartsOnceAndIsPolledEveryFrameUntilItCompletes) {
  control.pending = ControlInvocation{"settings.section:sound", "muted", R"({"value":true})"};
  frame();
  ASSERT_EQ(root.started.size(), 1u);
  EXPECT_EQ(root.started[0],
            (ResolvedOperation{OperationClass::Effect, "settings.audio-operation", R"({"value":true})"}));
  EXPECT_EQ(root.polls, 1);
  EXPECT_EQ(loop.host().in_flight_count(), 1u);

  frame();
  EXPECT_EQ(root.polls, 2);
  frame();
  EXPECT_EQ(root.polls, 3);
  EXPECT_EQ(loop.host().in_flight_count(), 0u);
  auto done = loop.host().take_completions();
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0].second, OperationCompletion{completion::Succeeded{"Output muted."}});

  frame();
  EXPECT_EQ(root.polls, 3) << "a completed operation is not polled again";
  EXPECT_EQ(root.started.size(), 1u);
}

TEST_F(LoopFixture, ACancelEndsTheOperation) {
  for (bool root_answers : {true, false}) {
    SCOPED_TRACE(root_answers);
    root.answer_cancel = root_answers;
    root.polls = 0;
    root.polls_to_complete = 100;
    RequestId id{};
    ASSERT_TRUE(std::holds_alternative<start::InFlight>(
        loop.host().request(root, {"settings.section:sound", "muted"}, R"({"value":false})", &id)));
    frame();
    EXPECT_TRUE(loop.host().is_in_flight(id));
    loop.host().cancel(id);
    frame();
    EXPECT_TRUE(root.cancel_seen);
    EXPECT_FALSE(loop.host().is_in_flight(id));
    auto done = loop.host().take_completions();
    ASSERT_EQ(done.size(), 1u);
    EXPECT_EQ(done[0].first, id);
    EXPECT_TRUE(std::holds_alternative<completion::Cancelled>(done[0].second));
  }
}

TEST_F(LoopFixture, InvocationsThatDoNotResolveAreRefusedBeforeAnythingStarts) {
  const std::pair<ControlInvocation, std::string> cases[] = {
      {{"settings.section:sound", "muted", "{}"}, "missing required argument `value`"},
      {{"settings.section:sound", "muted", R"({"value":"off"})"},
       R"(argument `value` must be true or false; got "off")"},
      {{"settings.section:sound", "Muted", R"({"value":true})"}, "resource settings.section:sound has no action Muted"},
      {{"settings.section:radio", "muted", R"({"value":true})"}, "no resource settings.section:radio"},
  };
  for (const auto& [invocation, error] : cases) {
    SCOPED_TRACE(error);
    orvo_log::CaptureScope capture;
    control.pending = invocation;
    frame();
    EXPECT_TRUE(root.started.empty());
    auto events = capture.events();
    ASSERT_EQ(capture.count("action dispatch failed"), 1u);
    EXPECT_NE(events.back().rendered().find(error), std::string::npos) << events.back().rendered();
  }
}

TEST_F(LoopFixture, OutsideRequestsAreRefusedUnlessTheApplicationTakesThem) {
  loop.host().set_accepts_outside_requests(false);
  std::vector<RequestReport> reports;
  loop.host().submit({{"settings.section:sound", "muted"}, R"({"value":true})",
                      [&](const RequestReport& report) { reports.push_back(report); }});
  frame();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(std::get<RequestStarted>(reports[0]).answer,
            StartAnswer{start::Rejected{"this application takes no action requests from outside"}});
  EXPECT_TRUE(root.started.empty());
}

TEST_F(LoopFixture, OutsideRequestsAreStartedOnTheNextFrameAndToldHowTheyEnd) {
  root.polls_to_complete = 2;
  std::vector<RequestReport> reports;
  loop.host().submit({{"settings.section:sound", "muted"}, R"({"value":true})",
                      [&](const RequestReport& report) { reports.push_back(report); }});
  loop.host().submit({{"settings.section:sound", "muted"}, "{}",
                      [&](const RequestReport& report) { reports.push_back(report); }});
  EXPECT_TRUE(root.started.empty()) << "nothing starts off the interface thread";
  frame();
  frame();
  ASSERT_EQ(reports.size(), 3u);
  const auto& first = std::get<RequestStarted>(reports[0]);
  EXPECT_TRUE(std::holds_alternative<start::InFlight>(first.answer));
  EXPECT_EQ(std::get<RequestStarted>(reports[1]).answer,
            StartAnswer{start::Rejected{"missing required argument `value`"}});
  const auto& finished = std::get<RequestFinished>(reports[2]);
  EXPECT_EQ(finished.id, first.id);
  EXPECT_EQ(finished.completion, OperationCompletion{completion::Succeeded{"Output muted."}});
  EXPECT_EQ(root.started.size(), 1u);
}

class RecordingAction : public orvo_actions::TypedAction {
 public:
  explicit RecordingAction(std::string payload) : payload_(std::move(payload)) {}
  std::string debug() const override { return payload_; }
  std::expected<void, orvo_actions::ActionError> apply_to_document(orvo_doc::Document& document) const override {
    if (!document.put(orvo_doc::kRoot, "mono", orvo_doc::ScalarValue::str(payload_))) {
      return std::unexpected(orvo_actions::ActionError::document("put failed"));
    }
    return {};
  }

 private:
  std::string payload_;
};

class RecordingHandler : public orvo_actions::NamespaceHandler {
 public:
  std::expected<std::unique_ptr<orvo_actions::TypedAction>, orvo_actions::ActionError> decode(
      std::string_view payload) const override {
    return std::make_unique<RecordingAction>(std::string(payload));
  }
};

TEST_F(LoopFixture, SettingActionsRunOnTheDocumentThroughTheirNamespace) {
  const orvo_actions::ActionAddress mono{"settings.section:sound", "mono"};
  orvo_actions::ActionRegistry empty;
  loop.host().set_setting_target(&empty, nullptr);
  EXPECT_EQ(loop.host().request(root, mono, R"({"value":true})"),
            StartAnswer{start::Rejected{"setting actions cannot be carried out here"}});

  orvo_doc::Document document;
  app.action_registry_mut().register_namespace("settings.action", std::make_unique<RecordingHandler>());
  loop.host().set_setting_target(&app.action_registry(), &document);
  EXPECT_EQ(loop.host().request(root, mono, R"({"value":true})"), StartAnswer{start::Completed{}});
  auto applied = document.get(orvo_doc::kRoot, "mono");
  ASSERT_TRUE(applied && *applied);
  EXPECT_EQ(**applied, orvo_doc::Value{orvo_doc::ScalarValue::str(R"({"value":true})")});
  EXPECT_TRUE(root.started.empty()) << "a setting action is not an operation of the widget tree";
}

}  // namespace
}  // namespace orvo_ui

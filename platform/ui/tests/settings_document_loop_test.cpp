// The frame loop's settings document: handed to every sync and to the action host, which carries
// setting actions out on it (after the application's keeper agreed); one more frame after the host
// acted; idle syncs asked for from deep inside containers.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_actions/action_constructors.h"
#include "orvo_doc/document.h"
#include "orvo_ui/widgets/column.h"
#include "orvo_ui/widgets/container.h"
#include "test_widget.h"

namespace orvo_ui {
namespace {

using namespace std::chrono_literals;
using orvo_actions::ActionParam;
using orvo_actions::EncodedAction;

// The decoded form of "app.setting" payloads: puts the payload under "flip".
class PutFlip final : public orvo_actions::TypedAction {
 public:
  explicit PutFlip(std::string payload) : payload_(std::move(payload)) {}
  std::string debug() const override { return "PutFlip(" + payload_ + ")"; }
  std::expected<void, orvo_actions::ActionError> apply_to_document(orvo_doc::Document& document) const override {
    if (!document.put(orvo_doc::kRoot, "flip", orvo_doc::ScalarValue::str(payload_))) {
      return std::unexpected(orvo_actions::ActionError::document("put failed"));
    }
    return {};
  }

 private:
  std::string payload_;
};

class PutFlipHandler final : public orvo_actions::NamespaceHandler {
 public:
  std::expected<std::unique_ptr<orvo_actions::TypedAction>, orvo_actions::ActionError> decode(
      std::string_view payload) const override {
    return std::make_unique<PutFlip>(std::string(payload));
  }
};

// A root publishing one setting action, "flip" on "app.section", and remembering the document of
// every sync.
class SettingRoot : public testing::TestWidget {
 public:
  std::vector<orvo_actions::Resource> resources() override {
    return {orvo_actions::Resource::make("app.section", "app.section", "Section")
                .with_action(orvo_actions::typed_setting_spec(
                    "flip", "Flip", "On or off", {ActionParam::boolean("value", "On")},
                    [](const orvo_actions::ActionArgs& args) {
                      return EncodedAction{"app.setting", args.to_json_text()};
                    }))};
  }
  void sync(SyncContext& context) override {
    TestWidget::sync(context);
    documents.push_back(context.document);
  }
  std::vector<orvo_doc::Document*> documents;
};

const orvo_actions::ControlInvocation kFlipOn{"app.section", "flip", R"({"value":true})"};

App app_with_setting_namespace() {
  App app;
  app.action_registry_mut().register_namespace("app.setting", std::make_unique<PutFlipHandler>());
  return app;
}

std::optional<orvo_doc::Value> flip_of(const orvo_doc::Document& document) {
  auto value = document.get(orvo_doc::kRoot, "flip");
  return value ? *value : std::nullopt;
}

// A pane keeps its own host by value, and panes move.
static_assert(std::is_nothrow_move_constructible_v<ActionHost>);
static_assert(!std::is_copy_constructible_v<ActionHost>);

TEST(SettingsDocumentLoop, ASettingControlChangesTheDocumentEverySyncIsHanded) {
  OffscreenBackend backend(200, 100);
  SettingRoot root;
  auto& control = root.add(testing::make("control"));
  App app = app_with_setting_namespace();
  FrameLoop loop(backend, root, app, TextRenderer::Metrics::Fixed);
  const auto initial = loop.document().get_heads();

  control.pending = kFlipOn;
  loop.frame(backend.take_events());
  EXPECT_EQ(flip_of(loop.document()), orvo_doc::Value{orvo_doc::ScalarValue::str(R"({"value":true})")});
  EXPECT_EQ(loop.host().first_heads, initial);
  ASSERT_TRUE(loop.host().last_action);
  EXPECT_EQ(loop.host().last_action->kind, "app.setting");

  loop.frame(backend.take_events());
  ASSERT_EQ(root.documents.size(), 2u);
  EXPECT_EQ(root.documents[0], &loop.document());
  EXPECT_EQ(root.documents[1], &loop.document()) << "one document for the whole run";
}

TEST(SettingsDocumentLoop, TheKeeperIsAskedFirstAndItsRefusalChangesNothing) {
  for (bool refuse : {true, false}) {
    SCOPED_TRACE(refuse);
    OffscreenBackend backend(200, 100);
    SettingRoot root;
    App app = app_with_setting_namespace();
    std::vector<std::string> kept;
    app.setting_keeper = [&](const orvo_actions::TypedAction& action) -> std::expected<void, std::string> {
      if (refuse) return std::unexpected("the chord does not parse");
      kept.push_back(action.debug());
      return {};
    };
    FrameLoop loop(backend, root, app, TextRenderer::Metrics::Fixed);
    const auto heads = loop.document().get_heads();

    StartAnswer answer = loop.host().request(root, {kFlipOn.resource_id, kFlipOn.action}, kFlipOn.args_json);
    if (refuse) {
      EXPECT_EQ(answer, StartAnswer{start::Rejected{"the chord does not parse"}});
      EXPECT_EQ(loop.document().get_heads(), heads);
      EXPECT_FALSE(loop.host().last_action);
    } else {
      EXPECT_EQ(answer, StartAnswer{start::Completed{}});
      EXPECT_EQ(kept, std::vector<std::string>{R"(PutFlip({"value":true}))"});
      EXPECT_TRUE(flip_of(loop.document()));
    }
  }
}

// Runs the loop until it has slept once after its first frame and 200 ms have passed; answers the
// frame counts at which it went to sleep.
std::vector<std::uint64_t> idle_points(FrameLoop& loop) {
  std::vector<std::uint64_t> idles;
  std::jthread stopper;
  loop.set_on_idle([&](std::uint64_t frames) {
    idles.push_back(frames);
    if (idles.size() == 1) {
      stopper = std::jthread([] {
        std::this_thread::sleep_for(200ms);
        FrameLoop::request_quit();
      });
    }
  });
  loop.run_until_quit();
  return idles;
}

TEST(SettingsDocumentLoop, AfterTheHostActedOneMoreFrameRunsWithoutInput) {
  for (bool acts : {true, false}) {
    SCOPED_TRACE(acts);
    OffscreenBackend backend(200, 100);
    SettingRoot root;
    auto& control = root.add(testing::make("control"));
    App app = app_with_setting_namespace();
    FrameLoop loop(backend, root, app, TextRenderer::Metrics::Fixed);
    if (acts) control.pending = kFlipOn;
    EXPECT_EQ(idle_points(loop), acts ? (std::vector<std::uint64_t>{1, 2}) : (std::vector<std::uint64_t>{1}));
  }
}

class IdleSyncing : public testing::TestWidget {
 public:
  bool needs_idle_sync() const override { return true; }
};

TEST(SettingsDocumentLoop, AWidgetInsideContainersGetsIdleSyncs) {
  OffscreenBackend backend(200, 100);
  auto syncing = std::make_unique<IdleSyncing>();
  IdleSyncing* watched = syncing.get();
  Column root;
  root.push(std::make_unique<Container>(std::move(syncing)));
  App app;
  FrameLoop loop(backend, root, app, TextRenderer::Metrics::Fixed);

  std::size_t idles = 0;
  std::jthread safety([](std::stop_token stop) {
    for (int i = 0; i < 300 && !stop.stop_requested(); ++i) std::this_thread::sleep_for(10ms);
    if (!stop.stop_requested()) FrameLoop::request_quit();
  });
  loop.set_on_idle([&](std::uint64_t) {
    if (++idles == 4) FrameLoop::request_quit();
  });
  loop.run_until_quit();
  safety.request_stop();
  EXPECT_EQ(idles, 4u) << "the loop slept without a deadline";
  EXPECT_GE(watched->syncs, 4);
}

}  // namespace
}  // namespace orvo_ui

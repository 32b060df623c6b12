#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_ui/launch.h"
#include "orvo_ui/wake.h"
#include "test_widget.h"

namespace orvo_ui {
namespace {

using namespace std::chrono_literals;

// A root that publishes through a WakeHandle on every sync, as a pane that republishes its cells does.
class PublishingRoot : public testing::TestWidget {
 public:
  void sync(SyncContext& context) override {
    TestWidget::sync(context);
    WakeHandle{}.authorize_publication();
  }
};

struct LoopRun {
  std::vector<std::uint64_t> idles;
  int syncs = 0;
};

LoopRun run_idle_loop(std::unique_ptr<testing::TestWidget> root_widget,
                      std::function<void(std::size_t idle_count)> on_idle) {
  LoopRun result;
  testing::TestWidget* root = root_widget.get();
  AppDescriptor descriptor;
  descriptor.app_id = "test.loop";
  descriptor.build_root = [&]() -> std::unique_ptr<Widget> { return std::move(root_widget); };
  launch::Options options;
  options.backend = launch::Options::Backend::Offscreen;
  options.metrics = TextRenderer::Metrics::Fixed;
  options.on_idle = [&](std::uint64_t frames) {
    result.idles.push_back(frames);
    result.syncs = root->syncs;
    on_idle(result.idles.size());
  };
  EXPECT_EQ(launch::run(descriptor, options), 0);
  return result;
}

TEST(FrameLoop, WakeFromAWorkerRunsExactlyOneMoreFrame) {
  std::jthread worker;
  auto run = run_idle_loop(testing::make(), [&](std::size_t idle) {
    if (idle == 1) {
      worker = std::jthread([] {
        std::this_thread::sleep_for(20ms);
        WakeHandle{}.authorize_publication();
        WakeHandle{}.authorize_publication();  // coalesced with the first
      });
    } else {
      launch::request_quit();
    }
  });
  ASSERT_EQ(run.idles.size(), 2u);
  EXPECT_EQ(run.idles[1], run.idles[0] + 1);
}

TEST(FrameLoop, PublishingDuringAFrameDoesNotScheduleAnother) {
  std::jthread stopper;
  auto run = run_idle_loop(std::make_unique<PublishingRoot>(), [&](std::size_t idle) {
    if (idle == 1) {
      stopper = std::jthread([] {
        std::this_thread::sleep_for(150ms);
        launch::request_quit();
      });
    }
  });
  EXPECT_EQ(run.idles.size(), 1u) << "the loop stayed asleep until the quit";
  EXPECT_EQ(run.syncs, 1);
}

TEST(FrameLoop, OrderOfFrameWorkDrawsAndDispatches) {
  OffscreenBackend backend(200, 100);
  testing::TestWidget root;
  auto& child = root.add(testing::make("child"));
  child.pending = orvo_actions::ControlInvocation{"r", "a", "{}"};
  App app;
  FrameLoop loop(backend, root, app, TextRenderer::Metrics::Fixed);
  loop.frame(backend.take_events());
  EXPECT_EQ(root.syncs, 1);
  EXPECT_EQ(root.rect, (Rect{0, 0, 200, 100}));  // a root of automatic size fills the window
  EXPECT_EQ(root.draws, 1);
  EXPECT_FALSE(child.pending) << "queued invocations are taken every frame";
}

TEST(Wake, WithoutALoopPublicationsAreAuthorised) { EXPECT_TRUE(WakeHandle{}.authorize_publication()); }

TEST(Script, ParsesEveryCommand) {
  auto steps = launch::parse_script(
      "# a comment\n\nmove 1 2\nclick 3.5 4\nscroll 5 6 -40\nkey ctrl+a\nkey tab\ntext hello world\nresize 600 800\n"
      "frames 3\n");
  ASSERT_TRUE(steps) << steps.error();
  // move, click = move+press+release, scroll, two keys = press+release each, text, resize, frames
  EXPECT_EQ(steps->size(), 1u + 3u + 1u + 4u + 1u + 1u + 1u);
  auto* text = std::get_if<launch::step::Deliver>(&(*steps)[9]);
  ASSERT_TRUE(text);
  EXPECT_EQ(std::get<event::TextInput>(text->event).text, "hello world");
  auto* key = std::get_if<launch::step::Deliver>(&(*steps)[5]);
  ASSERT_TRUE(key);
  const auto& ctrl_a = std::get<event::Key>(key->event);
  EXPECT_TRUE(ctrl_a.modifiers.ctrl);
  EXPECT_EQ(ctrl_a.text, "a");
}

TEST(Script, MalformedLinesNameTheLine) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"frames 1\nbogus 1", "malformed script line 2: bogus 1"},
      {"move 1", "malformed script line 1: move 1"},
      {"click x 2", "malformed script line 1: click x 2"},
      {"key hyper+a", "malformed script line 1: key hyper+a"},
      {"key ab", "malformed script line 1: key ab"},
      {"resize 0 10", "malformed script line 1: resize 0 10"},
      {"frames -1", "malformed script line 1: frames -1"},
      {"text", "malformed script line 1: text"},
  };
  for (const auto& [script, message] : cases) {
    auto steps = launch::parse_script(script);
    ASSERT_FALSE(steps) << script;
    EXPECT_EQ(steps.error(), message);
  }
}

}  // namespace
}  // namespace orvo_ui

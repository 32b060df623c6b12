#include "orvo_ui/action_emitter.h"

#include <gtest/gtest.h>

#include "orvo_log/log.h"
#include "sample_resource.h"

namespace orvo_ui {
namespace {

constexpr std::string_view kBacklogFull = "control invocation backlog full; evicting oldest intent";

ActionEmitter<double> repeat_emitter() {
  return ActionEmitter<double>(
      orvo_actions::ActionBinding<double>::for_action(testing::sample_resource(), "key-repeat").value());
}

TEST(ActionEmitter, The65thEmitEvictsTheOldestAndWarnsOnce) {
  orvo_log::CaptureScope capture;
  auto emitter = repeat_emitter();
  for (int i = 0; i <= 64; ++i) ASSERT_TRUE(emitter.emit(i / 100.0));
  EXPECT_EQ(emitter.queued(), 64u);
  EXPECT_EQ(capture.count(kBacklogFull), 1u);
  auto events = capture.events();
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().fields.size(), 2u);

  auto oldest = emitter.take();
  ASSERT_TRUE(oldest);
  EXPECT_EQ(oldest->args_json, R"({"value":0.01})") << "the first value was dropped";
  EXPECT_EQ(oldest->resource_id, "settings.section:mouse_keyboard");
  EXPECT_EQ(oldest->action, "key-repeat");
}

TEST(ActionEmitter, DisabledEmitterQueuesNothingAndSucceeds) {
  auto emitter = repeat_emitter();
  emitter.set_enabled(false);
  EXPECT_TRUE(emitter.emit(0.5));
  EXPECT_EQ(emitter.queued(), 0u);
  EXPECT_FALSE(emitter.take());
}

TEST(ActionEmitter, RefusedValueIsReturnedAndNothingQueued) {
  auto emitter = repeat_emitter();
  ASSERT_TRUE(emitter.emit(0.25));
  auto refused = emitter.emit(7.0);  // beyond the action's maximum
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error().reason, orvo_actions::BuildError::Reason::OutOfRange);
  EXPECT_EQ(emitter.queued(), 1u);
}

}  // namespace
}  // namespace orvo_ui

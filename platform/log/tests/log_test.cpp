#include "orvo_log/log.h"

#include <gtest/gtest.h>

TEST(Log, CaptureRecordsMessageAndFieldsInOrder) {
  orvo_log::CaptureScope capture;
  orvo_log::warn("action dispatch failed", {{"kind", "settings.action"}, {"error", "boom"}});
  auto events = capture.events();
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].level, orvo_log::Level::Warn);
  EXPECT_EQ(events[0].rendered(), "action dispatch failed kind=settings.action error=boom");
  EXPECT_EQ(capture.count("action dispatch failed"), 1u);
}

TEST(Log, InnermostScopeRecords) {
  orvo_log::CaptureScope outer;
  {
    orvo_log::CaptureScope inner;
    orvo_log::info("inner");
    EXPECT_EQ(inner.count("inner"), 1u);
  }
  orvo_log::info("outer");
  EXPECT_EQ(outer.count("inner"), 0u);
  EXPECT_EQ(outer.count("outer"), 1u);
}

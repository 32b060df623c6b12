#include "orvo_ui/published_cell.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace orvo_ui {
namespace {

TEST(PublishedCell, PublicationsRaiseTheVersionByOne) {
  PublishedCell<std::string> cell("");
  EXPECT_EQ(cell.version(), 0u);
  EXPECT_EQ(cell.publish("a"), 1u);
  EXPECT_EQ(cell.publish("b"), 2u);
  EXPECT_EQ(cell.snapshot(), "b");
  PublishedCell<std::string> copy = cell;
  EXPECT_TRUE(copy.shares_with(cell));
  copy.publish("c");
  EXPECT_EQ(cell.snapshot(), "c");
}

TEST(PublishedCell, RefusedPublicationLeavesValueAndVersion) {
  PublishedCell<int> cell(7);
  wake::shut_down();  // the loop has ended: nothing more is authorised
  EXPECT_FALSE(cell.publish(8));
  wake::install(nullptr);
  EXPECT_EQ(cell.snapshot(), 7);
  EXPECT_EQ(cell.version(), 0u);
}

TEST(PublishedCell, ConcurrentPublicationsAreAllCounted) {
  PublishedCell<std::optional<int>> cell;
  constexpr int kThreads = 4;
  constexpr int kEach = 2000;
  std::vector<std::jthread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        cell.publish(t * kEach + i);
        (void)cell.snapshot();
      }
    });
  }
  threads.clear();
  EXPECT_EQ(cell.version(), static_cast<std::uint64_t>(kThreads * kEach));
}

}  // namespace
}  // namespace orvo_ui

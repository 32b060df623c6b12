#include "orvo_runtime/channel.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using orvo_runtime::TryRecvError;
using orvo_runtime::TrySendError;

TEST(Channel, TryRecvTellsEmptyFromDisconnected) {
  auto [tx, rx] = orvo_runtime::make_channel<int>(4);
  EXPECT_EQ(std::get<TryRecvError>(rx.try_recv()), TryRecvError::Empty);
  {
    auto worker_tx = tx;
    ASSERT_TRUE(worker_tx.send(7));
  }
  { auto gone = std::move(tx); }
  EXPECT_EQ(std::get<int>(rx.try_recv()), 7);  // a value sent before the disconnect still arrives
  EXPECT_EQ(std::get<TryRecvError>(rx.try_recv()), TryRecvError::Disconnected);
  EXPECT_EQ(rx.recv(), std::nullopt);
}

TEST(Channel, IsBoundedAndSendingToADroppedReceiverFails) {
  auto [tx, rx] = orvo_runtime::make_channel<std::string>(1);
  EXPECT_FALSE(tx.try_send("one").has_value());
  auto refused = tx.try_send("two");
  ASSERT_TRUE(refused.has_value());
  EXPECT_EQ(refused->first, TrySendError::Full);
  EXPECT_EQ(refused->second, "two");

  std::jthread blocked([tx = tx]() mutable { EXPECT_TRUE(tx.send("three")); });
  EXPECT_EQ(rx.recv(), "one");
  EXPECT_EQ(rx.recv(), "three");
  blocked.join();

  { auto dropped = std::move(rx); }
  EXPECT_FALSE(tx.send("four"));
}

}  // namespace

// Clients that connect and send nothing: they never keep another client out, and they are closed
// within a few seconds.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "door_fixture.h"

namespace orvo_ui {
namespace {

using namespace door_testing;

constexpr auto kMadeRoom =
    R"({"ok":false,"error":"the connection sent no request and was closed to make room for another client"})";

TEST_F(DoorFixture, IdleConnectionsNeverKeepANewClientOutAndAreClosedWithinSeconds) {
  constexpr std::size_t kIdle = 16;
  const auto start = door::Clock::now();
  std::vector<std::unique_ptr<RawClient>> idle;
  for (std::size_t i = 0; i < kIdle; ++i) {
    idle.push_back(std::make_unique<RawClient>(socket));
    ASSERT_TRUE(idle.back()->connected());
  }
  // Every place is taken by a client that sends nothing; the next one is served all the same.
  const auto asked = door::Clock::now();
  EXPECT_EQ(ask(R"({"request":"tree"})")["ok"], true);
  EXPECT_LT(door::Clock::now() - asked, 2s);

  std::size_t made_room = 0;
  for (auto& client : idle) {
    auto line = client->read_line();
    if (line) {
      EXPECT_EQ(Json::parse(*line), Json::parse(kMadeRoom));
      ++made_room;
      line = client->read_line();
    }
    EXPECT_FALSE(line) << "the connection is closed";
  }
  EXPECT_EQ(made_room, 1u) << "one idle connection made room for the new client";
  EXPECT_LT(door::Clock::now() - start, 8s) << "the others were closed after 5 s without a request";
}

}  // namespace
}  // namespace orvo_ui

// The door under the requests that broke it: a request given up before it started, one that ends
// after its time ran out, senders too slow to finish a request, and a NUL byte inside a request.
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "door_fixture.h"

namespace orvo_ui {
namespace {

using namespace door_testing;

constexpr auto kWithdrawn = R"({"ok":false,"start":"queued","status":"timed-out",
    "message":"the operation did not start within 1 ms and was withdrawn; nothing changed"})";

// No frame runs while the client gives up, so the request is still queued: it must never start.
TEST_F(DoorFixture, ARequestGivenUpBeforeItStartedIsWithdrawnAndNeverStarts) {
  RawClient timed_out(socket);
  ASSERT_TRUE(timed_out.connected());
  timed_out.send(invoke("muted", {{"value", true}}, 1).dump() + "\n");
  auto answer = timed_out.read_line();
  ASSERT_TRUE(answer);
  EXPECT_EQ(Json::parse(*answer), Json::parse(kWithdrawn));

  RawClient hung_up(socket);
  ASSERT_TRUE(hung_up.connected());
  hung_up.send(invoke("invoke", Json::object()).dump() + "\n");
  std::this_thread::sleep_for(200ms);
  hung_up.hang_up();
  std::this_thread::sleep_for(200ms);

  for (int i = 0; i < 20; ++i) frame();
  EXPECT_EQ(root.started, 0) << "a withdrawn request never reaches the application";
  EXPECT_EQ(loop->host().in_flight_count(), 0u);
  EXPECT_EQ(ask(R"({"request":"tree"})")["ok"], true) << "the door goes on serving";
}

// The answer after the time ran out says what happened, never "cancelled" for a change made.
TEST_F(DoorFixture, ARequestThatRanAnswersHowItReallyEnded) {
  struct Case {
    const char* what;
    std::chrono::milliseconds start_delay;
    bool finishes_when_cancelled;
    Json request;
    Json expected;
  };
  const Case cases[] = {
      {"completed at once, but after the time", 1500ms, false, invoke("invoke", Json::object(), 300),
       Json::parse(R"({"ok":true,"start":"completed","status":"completed","message":"Done.",
                       "outcome":{"items":[],"value":null}})")},
      {"in flight, finished although cancelled", 0ms, true, invoke("muted", {{"value", true}}, 300),
       Json::parse(R"({"ok":true,"start":"in-flight","status":"succeeded","message":"Output muted."})")},
      {"in flight, cancelled", 0ms, false, invoke("muted", {{"value", true}}, 300),
       Json::parse(R"({"ok":false,"start":"in-flight","status":"timed-out",
                       "message":"the operation did not finish within 300 ms and was cancelled"})")},
  };
  root.never_finish = true;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    root.start_delay = c.start_delay;
    root.finishes_when_cancelled = c.finishes_when_cancelled;
    EXPECT_EQ(ask(c.request.dump()), c.expected);
  }
  EXPECT_EQ(root.started, 3);
}

// Sixteen clients that send a byte now and then hold every connection, but only for 5 s each.
TEST_F(DoorFixture, SlowSendersAreCutOffFiveSecondsAfterTheirFirstByte) {
  constexpr std::size_t kSlow = 16;
  std::vector<std::unique_ptr<RawClient>> slow;
  for (std::size_t i = 0; i < kSlow; ++i) {
    slow.push_back(std::make_unique<RawClient>(socket));
    ASSERT_TRUE(slow.back()->connected());
    slow.back()->send("{");
  }
  const auto first_byte = door::Clock::now();
  std::jthread trickle([&](std::stop_token stop) {
    while (!stop.stop_requested() && door::Clock::now() - first_byte < 8s) {
      std::this_thread::sleep_for(500ms);
      for (auto& client : slow) client->send(" ");
    }
  });

  RawClient turned_away(socket);
  ASSERT_TRUE(turned_away.connected());
  auto refusal = turned_away.read_line();
  ASSERT_TRUE(refusal);
  EXPECT_EQ(Json::parse(*refusal), Json::parse(R"({"ok":false,"error":"too many connections; try again later"})"));

  for (auto& client : slow) {
    auto answer = client->read_line();
    ASSERT_TRUE(answer);
    EXPECT_EQ(Json::parse(*answer),
              Json::parse(R"({"ok":false,"error":"the request did not arrive within 5 s of its first byte"})"));
    EXPECT_FALSE(client->read_line()) << "the connection is closed";
  }
  EXPECT_LT(door::Clock::now() - first_byte, 8s);
  trickle.request_stop();
  EXPECT_EQ(ask(R"({"request":"tree"})")["ok"], true);
}

TEST_F(DoorFixture, ARequestHoldingANulByteIsMalformed) {
  RawClient client(socket);
  ASSERT_TRUE(client.connected());
  client.send(std::string("{\"request\":\"tree\"}\0junk\n", 24) + R"({"request":"tree"})" + "\n");
  auto lines = with_frames([&] {
    auto first = client.read_line();
    return std::pair(first, client.read_line());
  });
  ASSERT_TRUE(lines.first && lines.second);
  EXPECT_EQ(Json::parse(*lines.first),
            Json::parse(R"({"ok":false,"error":"malformed request: a request holds no NUL byte"})"));
  EXPECT_EQ(Json::parse(*lines.second)["ok"], true) << "the connection goes on";
  const auto trailing_nul = door::parse_request(std::string("{\"request\":\"tree\"}\0", 19));
  ASSERT_FALSE(trailing_nul.has_value());
  EXPECT_EQ(trailing_nul.error(), "malformed request: a request holds no NUL byte");
}

}  // namespace
}  // namespace orvo_ui

#include "orvo_ui/action_door.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <thread>
#include <nlohmann/json.hpp>

#include "door_protocol.h"
#include "door_socket.h"
#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_actions/action_constructors.h"
#include "orvo_ui/action_door_client.h"
#include "door_fixture.h"

namespace orvo_ui {
namespace {

using namespace door_testing;

TEST_F(DoorFixture, TreeListsTheRootsResourcesAsJson) {
  Json answer = ask(R"({"request":"tree"})");
  ASSERT_EQ(answer["ok"], true) << answer.dump();
  const Json& root_json = answer["resources"][0];
  EXPECT_EQ(root_json["id"], "settings.root");
  EXPECT_EQ(root_json["children"][0]["id"], "settings.section:sound");
  EXPECT_EQ(root_json["children"][0]["actions"][1]["name"], "muted");
}

TEST_F(DoorFixture, InvocationsGoThroughTheHostAndReportHowTheyEnded) {
  struct Case {
    const char* what;
    Json request;
    Json expected;
  };
  const Case cases[] = {
      {"navigation completes at once", invoke("invoke", Json::object()),
       Json::parse(R"({"ok":true,"start":"completed","status":"completed","message":"Done.",
                       "outcome":{"items":[],"value":null}})")},
      {"in flight, then succeeded", invoke("muted", {{"value", true}}),
       Json::parse(R"({"ok":true,"start":"in-flight","status":"succeeded","message":"Output muted."})")},
      {"in flight, then failed", invoke("muted", {{"value", false}}),
       Json::parse(R"({"ok":false,"start":"in-flight","status":"failed",
                       "message":"Could not unmute the output: device busy.","code":"busy"})")},
      {"the action's own argument check", invoke("muted", Json::object()),
       Json::parse(R"({"ok":false,"start":"rejected","status":"rejected",
                       "message":"missing required argument `value`"})")},
      {"an unknown resource",
       {{"request", "invoke"}, {"resource", "settings.section:radio"}, {"action", "muted"}},
       Json::parse(R"({"ok":false,"start":"rejected","status":"rejected",
                       "message":"no resource settings.section:radio"})")},
      {"a setting action of a namespace nobody decodes", invoke("mono", {{"value", true}}),
       Json::parse(R"({"ok":false,"start":"rejected","status":"rejected",
                       "message":"no decoder is registered for the action namespace settings.audio-operation"})")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ask(c.request.dump()), c.expected);
  }
}

// The application's preparation runs on the door's thread, before the request reaches the
// interface thread: a tree request with no resource, an invocation with the one it names.
struct PreparingDoor : DoorFixture {
  PreparingDoor() {
    app.prepare_request = [this](std::optional<std::string_view> resource) {
      std::lock_guard lock(mutex);
      prepared.push_back({resource ? std::string(*resource) : "(listing)", std::this_thread::get_id(),
                          root.started.load()});
    };
  }
  struct Prepared {
    std::string resource;
    std::thread::id thread;
    int started_before;
  };
  std::mutex mutex;
  std::vector<Prepared> prepared;
};

TEST_F(PreparingDoor, TheApplicationPreparesEachRequestOnTheDoorsThreadBeforeItIsHandedOn) {
  ASSERT_EQ(ask(R"({"request":"tree"})")["ok"], true);
  ASSERT_EQ(ask(invoke("invoke", Json::object()).dump())["ok"], true);
  std::lock_guard lock(mutex);
  ASSERT_EQ(prepared.size(), 2u);
  EXPECT_EQ(prepared[0].resource, "(listing)");
  EXPECT_EQ(prepared[1].resource, "settings.section:sound");
  EXPECT_EQ(prepared[1].started_before, 0) << "prepared before the operation started";
  for (const auto& p : prepared) EXPECT_NE(p.thread, std::this_thread::get_id()) << "not on the interface thread";
}

TEST_F(DoorFixture, RequestsOnOneConnectionAreAnsweredInOrderAndABadLineDoesNotEndIt) {
  RawClient client(socket);
  ASSERT_TRUE(client.connected());
  client.send("{\"request\":\"tree\"}\r\n\n{not json\n" + invoke("muted", {{"value", true}}).dump() + "\n");
  auto lines = with_frames([&] {
    std::vector<std::optional<std::string>> out;
    for (int i = 0; i < 3; ++i) out.push_back(client.read_line());
    return out;
  });
  ASSERT_TRUE(lines[0] && lines[1] && lines[2]);
  EXPECT_EQ(Json::parse(*lines[0])["resources"][0]["id"], "settings.root");
  EXPECT_EQ(Json::parse(*lines[1])["ok"], false);
  EXPECT_NE(Json::parse(*lines[1])["error"].get<std::string>().find("malformed request: parse error"),
            std::string::npos)
      << *lines[1];
  EXPECT_EQ(Json::parse(*lines[2])["message"], "Output muted.");
}

TEST_F(DoorFixture, AnOversizedRequestIsRefusedAndItsConnectionClosedWhileTheDoorStaysOpen) {
  // Exactly at the limit is still a request.
  std::string largest = R"({"request":"tree")";
  largest += std::string(door::kMaxRequestBytes - largest.size() - 1, ' ') + "}";
  ASSERT_EQ(largest.size(), door::kMaxRequestBytes);
  EXPECT_EQ(ask(largest)["ok"], true);

  RawClient client(socket);
  ASSERT_TRUE(client.connected());
  client.send(std::string(door::kMaxRequestBytes + 1, 'x') + "\n" + R"({"request":"tree"})" + "\n");
  auto answer = with_frames([&] { return client.read_line(); });
  ASSERT_TRUE(answer);
  EXPECT_EQ(Json::parse(*answer), Json::parse(R"({"ok":false,"error":"request exceeds 65536 bytes"})"));
  EXPECT_FALSE(client.read_line()) << "the connection ends after the refusal";

  EXPECT_EQ(ask(R"({"request":"tree"})")["ok"], true);
}

TEST_F(DoorFixture, ATimeOutOrAClientThatHangsUpCancelsTheOperation) {
  root.never_finish = true;
  Json answer = ask(invoke("muted", {{"value", true}}, 100).dump());
  EXPECT_EQ(answer["status"], "timed-out") << answer.dump();
  EXPECT_EQ(answer["message"], "the operation did not finish within 100 ms and was cancelled");
  EXPECT_TRUE(frames_until([&] { return root.cancelled.load(); }));

  root.cancelled = false;
  RawClient client(socket);
  ASSERT_TRUE(client.connected());
  client.send(invoke("muted", {{"value", true}}).dump() + "\n");
  ASSERT_TRUE(frames_until([&] { return root.started == 2; }));
  client.hang_up();
  EXPECT_TRUE(frames_until([&] { return root.cancelled.load(); }));
  EXPECT_EQ(loop->host().in_flight_count(), 0u);
}

TEST_F(DoorFixture, AClientStillWaitingWhenTheApplicationQuitsIsTold) {
  root.never_finish = true;
  RawClient client(socket);
  ASSERT_TRUE(client.connected());
  client.send(invoke("muted", {{"value", true}}).dump() + "\n");
  ASSERT_TRUE(frames_until([&] { return root.started == 1; }));
  loop.reset();
  auto answer = client.read_line();
  ASSERT_TRUE(answer);
  EXPECT_EQ(Json::parse(*answer), Json::parse(R"({"ok":false,"error":"the application is quitting"})"));
  EXPECT_FALSE(std::filesystem::exists(socket)) << "the socket goes with the loop";
}

TEST_F(DoorFixture, TheSocketIsPrivateAndALiveOneIsNeverTaken) {
  struct stat info {};
  ASSERT_EQ(::stat(socket.c_str(), &info), 0);
  EXPECT_TRUE(S_ISSOCK(info.st_mode));
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  ActionHost other_host;
  auto second = ActionDoor::open(socket, other_host, true);
  ASSERT_FALSE(second);
  EXPECT_EQ(second.error(), "another instance already serves actions at " + socket.native());
  EXPECT_EQ(ask(R"({"request":"tree"})")["ok"], true) << "the first door still answers";
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), {}), 1) << "no temporary socket left behind";
}

TEST(ActionDoor, ReplacesTheSocketOfADeadRunButLeavesOtherFilesAlone) {
  const auto dir = make_short_temp_dir();
  const auto path = dir / "app.actions.sock";
  {
    // A socket whose listener has gone, as a crashed run leaves it.
    door::UniqueFd dead(::socket(AF_UNIX, SOCK_STREAM, 0));
    auto address = door::socket_address(path);
    ASSERT_EQ(::bind(dead.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)), 0);
  }
  ActionHost host;
  {
    auto door = ActionDoor::open(path, host, true);
    ASSERT_TRUE(door) << door.error();
    RawClient client(path);
    EXPECT_TRUE(client.connected());
  }
  EXPECT_FALSE(std::filesystem::exists(path));

  std::ofstream(path) << "not a socket";
  auto refused = ActionDoor::open(path, host, true);
  ASSERT_FALSE(refused);
  EXPECT_EQ(refused.error(), path.native() + " exists and is not a socket; it was left alone");
  std::ifstream kept(path);
  std::string text;
  std::getline(kept, text);
  EXPECT_EQ(text, "not a socket");
  std::filesystem::remove_all(dir);
}

TEST(ActionDoor, OpensOnlyForApplicationsThatTakeOutsideActionsAndListsOnlyWhenAllowed) {
  const auto dir = make_short_temp_dir();
  OffscreenBackend backend{100, 100};
  testing::TestWidget root;
  App app;
  {
    FrameLoop loop(backend, root, app, TextRenderer::Metrics::Fixed);
    EXPECT_TRUE(loop.open_action_door(dir / "a.sock"));
    EXPECT_EQ(loop.door(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(dir / "a.sock"));
  }
  app.accepts_external_actions = true;
  {
    FrameLoop loop(backend, root, app, TextRenderer::Metrics::Fixed);
    ASSERT_TRUE(loop.open_action_door(dir / "a.sock"));
    auto answer = door::exchange(dir / "a.sock", R"({"request":"tree"})", 20s);
    ASSERT_TRUE(answer);
    EXPECT_EQ(Json::parse(*answer), Json::parse(R"({"ok":false,"error":"this application does not list its actions"})"));
  }
  std::filesystem::remove_all(dir);
}

TEST(ActionDoor, OnlyTheSameUserIsLetIn) {
  EXPECT_TRUE(door::check_peer(1000, 1000));
  for (uid_t peer : {0u, 999u, 1001u}) {
    auto refused = door::check_peer(peer, 1000);
    ASSERT_FALSE(refused) << peer;
    EXPECT_EQ(refused.error(), "refused: the requesting process belongs to another user");
  }
}

TEST(ActionDoor, TheSocketLivesInTheRuntimeDirectoryUnderTheApplicationId) {
  const char* saved = std::getenv("XDG_RUNTIME_DIR");
  const std::string previous = saved ? saved : "";
  struct Case {
    const char* runtime;
    std::string expected;
  };
  const Case cases[] = {
      {"/run/user/1000", "/run/user/1000/so.orvo.settings.actions.sock"},
      {nullptr, "XDG_RUNTIME_DIR is not set"},
      {"", "XDG_RUNTIME_DIR is not set"},
      {"run/user", "XDG_RUNTIME_DIR is not an absolute path: run/user"},
  };
  for (const auto& c : cases) {
    if (c.runtime) {
      ::setenv("XDG_RUNTIME_DIR", c.runtime, 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
    auto path = door::socket_path("so.orvo.settings");
    EXPECT_EQ(path ? path->native() : path.error(), c.expected);
  }
  ::setenv("XDG_RUNTIME_DIR", ("/" + std::string(120, 'd')).c_str(), 1);
  auto too_long = door::socket_path("so.orvo.settings");
  ASSERT_FALSE(too_long);
  EXPECT_NE(too_long.error().find("socket path is too long"), std::string::npos);
  if (saved) {
    ::setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
  } else {
    ::unsetenv("XDG_RUNTIME_DIR");
  }
}

TEST(DoorProtocol, ReadsRequestsAndNamesWhatIsWrongWithABadOne) {
  using door::InvokeRequest;
  using door::Request;
  const InvokeRequest defaults{{"r", "a"}, "{}", door::kDefaultTimeoutMillis};
  const InvokeRequest full{{"r", "a"}, R"({"value":true})", 250};
  struct Case {
    std::string line;
    std::expected<Request, std::string> expected;
  };
  const Case cases[] = {
      {R"({"request":"tree","extra":1})", Request{door::TreeRequest{}}},
      {R"({"request":"invoke","resource":"r","action":"a"})", Request{defaults}},
      {R"({"timeout_ms":250,"arguments":{ "value" : true },"action":"a","resource":"r","request":"invoke"})",
       Request{full}},
      {"[1]", std::unexpected("malformed request: a request is a JSON object")},
      {R"({"resource":"r"})", std::unexpected("malformed request: missing field `request`")},
      {R"({"request":7})", std::unexpected("malformed request: field `request` must be a text")},
      {R"({"request":"delete"})", std::unexpected(R"(unknown request "delete" (use "tree" or "invoke"))")},
      {R"({"request":"invoke","action":"a"})", std::unexpected("malformed request: missing field `resource`")},
      {R"({"request":"invoke","resource":"r","action":"a","arguments":[true]})",
       std::unexpected("malformed request: field `arguments` must be a JSON object")},
      {R"({"request":"invoke","resource":"r","action":"a","timeout_ms":0})",
       std::unexpected("malformed request: field `timeout_ms` must be a whole number from 1 to 3600000")},
      {R"({"request":"invoke","resource":"r","action":"a","timeout_ms":1.5})",
       std::unexpected("malformed request: field `timeout_ms` must be a whole number from 1 to 3600000")},
      {std::string(200, '[') + std::string(200, ']'),
       std::unexpected("malformed request: nested more than 128 levels deep")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(door::parse_request(c.line), c.expected);
  }
  auto broken = door::parse_request(R"({"request":)");
  ASSERT_FALSE(broken);
  EXPECT_TRUE(broken.error().starts_with("malformed request: parse error at line 1, column 12")) << broken.error();
}

}  // namespace
}  // namespace orvo_ui

#pragma once
// A door on a frame loop with a stand-in root, and a client that speaks the wire format by hand.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <future>
#include <nlohmann/json.hpp>
#include <thread>

#include "door_protocol.h"
#include "door_socket.h"
#include "frame_loop.h"
#include "offscreen_backend.h"
#include "orvo_actions/action_constructors.h"
#include "orvo_ui/action_door.h"
#include "orvo_ui/action_door_client.h"
#include "test_widget.h"

namespace orvo_ui::door_testing {

using namespace std::chrono_literals;
using Json = nlohmann::ordered_json;
using orvo_actions::ActionParam;
using orvo_actions::EncodedAction;

inline orvo_actions::Resource sound_resource() {
  auto echo = [](const orvo_actions::ActionArgs& args) {
    return EncodedAction{"settings.audio-operation", args.to_json_text()};
  };
  return orvo_actions::Resource::make("settings.section:sound", "settings.section", "Sound")
      .with_action(*orvo_actions::fixed_action_spec("Open Sound", orvo_actions::OperationClass::Navigation,
                                                    orvo_actions::ControlId{"sound"}))
      .with_action(orvo_actions::typed_operation_spec("muted", "Set output mute", "On or off on this device",
                                                      orvo_actions::OperationClass::Effect, "settings.audio-operation",
                                                      {ActionParam::boolean("value", "Enabled")}, echo))
      .with_action(orvo_actions::typed_setting_spec("mono", "Set mono output", "On or off",
                                                    {ActionParam::boolean("value", "On")}, echo));
}

// Navigation completes at once; an effect goes in flight and, after a few polls, succeeds when
// its payload asks to mute and fails otherwise, or never finishes when `never_finish` is set.
// `start_delay` makes every start take that long; `finishes_when_cancelled` makes a cancelled
// effect succeed all the same, as one past the point of no return does.
class DoorRoot : public testing::TestWidget {
 public:
  std::vector<orvo_actions::Resource> resources() override {
    return {orvo_actions::Resource::make("settings.root", "settings.root", "Settings").with_child(sound_resource())};
  }
  StartAnswer start_resource_operation_with_document(const RequestId& id, OperationClass cls, std::string_view,
                                                     std::string_view payload, orvo_doc::Document*) override {
    if (start_delay.count() > 0) std::this_thread::sleep_for(start_delay);
    ++started;
    if (cls == OperationClass::Navigation) return start::Completed{};
    running = id;
    mute = payload.find("true") != std::string_view::npos;
    polls = 0;
    return start::InFlight{};
  }
  std::optional<OperationCompletion> poll_operation_results(const RequestId& id, bool cancel) override {
    if (!running || id != *running) return std::nullopt;
    if (cancel) {
      cancelled = true;
      running.reset();
      if (finishes_when_cancelled) return completion::Succeeded{"Output muted."};
      return completion::Cancelled{"stopped"};
    }
    if (never_finish || ++polls < 3) return std::nullopt;
    running.reset();
    if (mute) return completion::Succeeded{"Output muted."};
    return completion::Failed{"busy", "Could not unmute the output: device busy."};
  }

  std::atomic<int> started{0};
  std::atomic<bool> cancelled{false};
  bool never_finish = false;
  bool finishes_when_cancelled = false;
  std::chrono::milliseconds start_delay{0};

 private:
  std::optional<RequestId> running;
  bool mute = false;
  int polls = 0;
};

inline std::filesystem::path make_short_temp_dir() {
  // Socket paths are limited to 107 bytes: keep the directory short.
  char pattern[] = "/tmp/door-XXXXXX";
  const char* made = ::mkdtemp(pattern);
  EXPECT_NE(made, nullptr);
  return made ? made : "/tmp";
}

// A client that speaks the wire format by hand: several lines at once, or hanging up mid-way.
class RawClient {
 public:
  explicit RawClient(const std::filesystem::path& socket) : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
    auto address = door::socket_address(socket);
    connected_ = address && ::connect(fd_.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) == 0;
  }
  bool connected() const { return connected_; }
  void send(const std::string& text) {
    (void)door::write_all(fd_.get(), text, door::Clock::now() + 20s);
  }
  // The next line, or none at the end of the stream (or after 20 s).
  std::optional<std::string> read_line() {
    const auto deadline = door::Clock::now() + 20s;
    while (true) {
      if (auto newline = buffer_.find('\n'); newline != std::string::npos) {
        std::string line = buffer_.substr(0, newline);
        buffer_.erase(0, newline + 1);
        return line;
      }
      pollfd pfd{fd_.get(), POLLIN, 0};
      if (::poll(&pfd, 1, door::millis_until(deadline)) <= 0) return std::nullopt;
      char chunk[4096];
      ssize_t got = ::recv(fd_.get(), chunk, sizeof chunk, 0);
      if (got <= 0) return std::nullopt;
      buffer_.append(chunk, static_cast<std::size_t>(got));
    }
  }
  void hang_up() { fd_.reset(); }

 private:
  door::UniqueFd fd_;
  bool connected_ = false;
  std::string buffer_;
};

struct DoorFixture : ::testing::Test {
  std::filesystem::path dir = make_short_temp_dir();
  std::filesystem::path socket = dir / "app.actions.sock";
  OffscreenBackend backend{200, 100};
  DoorRoot root;
  App app = [] {
    App accepting;
    accepting.accepts_external_actions = true;
    accepting.lists_actions = true;
    return accepting;
  }();
  std::unique_ptr<FrameLoop> loop = std::make_unique<FrameLoop>(backend, root, app, TextRenderer::Metrics::Fixed);

  void SetUp() override {
    auto opened = loop->open_action_door(socket);
    ASSERT_TRUE(opened) << opened.error();
  }
  void TearDown() override {
    loop.reset();
    std::filesystem::remove_all(dir);
  }

  void frame() { loop->frame(backend.take_events()); }

  // Runs `work` on another thread while this one, the interface thread, runs frames.
  template <class Work>
  auto with_frames(Work work) {
    auto result = std::async(std::launch::async, std::move(work));
    while (result.wait_for(1ms) != std::future_status::ready) frame();
    return result.get();
  }
  // Frames until the condition holds (at most 20 s).
  template <class Condition>
  bool frames_until(Condition condition) {
    const auto deadline = door::Clock::now() + 20s;
    while (!condition()) {
      if (door::Clock::now() > deadline) return false;
      frame();
      std::this_thread::sleep_for(1ms);
    }
    return true;
  }

  Json ask(const std::string& request, std::chrono::milliseconds limit = 20s) {
    auto line = with_frames([&] { return door::exchange(socket, request, limit); });
    if (!line) return Json{{"client_error", line.error().message}};
    return Json::parse(*line, nullptr, false);
  }
};

inline Json invoke(std::string_view action, const Json& arguments, std::optional<long> timeout_ms = std::nullopt) {
  Json request{{"request", "invoke"}, {"resource", "settings.section:sound"}, {"action", action},
               {"arguments", arguments}};
  if (timeout_ms) request["timeout_ms"] = *timeout_ms;
  return request;
}

}  // namespace orvo_ui::door_testing

#pragma once
// The outside door: a Unix stream socket through which other programs of the same user list the
// application's resources and invoke its actions while it runs.
//
// Where: $XDG_RUNTIME_DIR/<application id>.actions.sock, mode 0600. The frame loop opens it when the
// application accepts outside actions and removes it when the loop ends. A socket left by a run that
// died is replaced; one that still answers belongs to a running instance and is left alone (this
// run then has no door).
//
// Protocol: one JSON request per line, one JSON answer per line, requests handled in order.
//   {"request":"tree"}
//     -> {"ok":true,"resources":[...]}  (the root's resources, see orvo_actions/resource_json.h)
//   {"request":"invoke","resource":ID,"action":NAME,"arguments":{...},"timeout_ms":N}
//     -> {"ok":B,"start":S,"status":T,"message":TEXT[,"code":C][,"outcome":{"items","value"}]}
//        S is how the operation started: "rejected", "not-handled", "completed" or "in-flight"
//        ("queued" when the time ran out before the interface thread took it: it is then withdrawn
//        and never starts); T is how it ended: S for the first three, else "succeeded", "failed",
//        "cancelled" or "timed-out". ok is true for "completed" and "succeeded" only. "arguments"
//        defaults to {}, "timeout_ms" (1..3600000) to 30000; when it passes, an operation in flight
//        is cancelled, and one that ends all the same is answered as it really ended.
//   Anything else -> {"ok":false,"error":TEXT} (a malformed line, an unknown request, a refused peer,
//   an oversized request, the application quitting).
// A request line may hold at most kMaxRequestBytes bytes; a longer one is answered with an error and
// the connection is closed, as is one that has not arrived whole 5 s after its first byte, and a
// connection idle for 30 s between requests. A line holding a NUL byte is malformed. Peers of another
// user are refused at once. A client that disconnects withdraws its request, or cancels its operation
// once it runs.
//
// Before a request goes to the interface thread, the door's thread of its connection runs the
// application's `prepare` (App::prepare_request) with the resource an invocation names, or none for a
// tree request: there the application reads what the request needs from slow sources, so that the
// interface thread then finds it at hand. The request's time limit counts from before it.
//
// Threading: the door's own threads never touch widgets. Invocations go through the loop's
// ActionHost, the same host as the controls, so the same checks apply; a tree request is queued
// for `serve`, which the frame loop calls on the interface thread, and the door thread waits.
#include <sys/types.h>

#include <cstddef>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orvo_ui {

class ActionHost;
class Widget;

namespace door {

inline constexpr std::size_t kMaxRequestBytes = 64 * 1024;
inline constexpr long kDefaultTimeoutMillis = 30'000;
inline constexpr long kMaxTimeoutMillis = 3'600'000;

// The socket path of an application: an error when $XDG_RUNTIME_DIR is unset or not absolute, or
// when the path is too long for a Unix socket address.
std::expected<std::filesystem::path, std::string> socket_path(std::string_view app_id);

// Only processes of the door's own user may use it.
std::expected<void, std::string> check_peer(uid_t peer_uid, uid_t own_uid);

}  // namespace door

class ActionDoor {
 public:
  // Runs on a door thread before a request is handed on; see above.
  using Prepare = std::function<void(std::optional<std::string_view> resource)>;

  // Binds and listens at the path and starts the door thread. Fails when a live door is already
  // there or the socket cannot be made. `lists_actions`: whether tree requests are answered.
  static std::expected<std::unique_ptr<ActionDoor>, std::string> open(std::filesystem::path path, ActionHost& host,
                                                                      bool lists_actions, Prepare prepare = {});
  // Stops every door thread (waiting clients get an error answer) and removes the socket if it is
  // still ours.
  ~ActionDoor();
  ActionDoor(const ActionDoor&) = delete;
  ActionDoor& operator=(const ActionDoor&) = delete;

  // Interface thread: answers the queued tree requests from the root's resources.
  void serve(Widget& root);

  const std::filesystem::path& path() const;

 private:
  struct State;
  explicit ActionDoor(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

}  // namespace orvo_ui

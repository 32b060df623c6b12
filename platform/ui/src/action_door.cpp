#include "orvo_ui/action_door.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <list>
#include <mutex>
#include <thread>
#include <variant>
#include <vector>

#include "door_protocol.h"
#include "door_socket.h"
#include "orvo_actions/resource_json.h"
#include "orvo_log/log.h"
#include "orvo_ui/action_host.h"
#include "orvo_ui/wake.h"
#include "orvo_ui/widget.h"

namespace orvo_ui {
namespace door {

std::expected<std::filesystem::path, std::string> socket_path(std::string_view app_id) {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) return std::unexpected(std::string("XDG_RUNTIME_DIR is not set"));
  std::filesystem::path dir(runtime);
  if (!dir.is_absolute()) return std::unexpected("XDG_RUNTIME_DIR is not an absolute path: " + dir.native());
  std::filesystem::path path = dir / (std::string(app_id) + ".actions.sock");
  if (auto address = socket_address(path); !address) return std::unexpected(address.error());
  return path;
}

std::expected<void, std::string> check_peer(uid_t peer_uid, uid_t own_uid) {
  if (peer_uid == own_uid) return {};
  return std::unexpected(std::string("refused: the requesting process belongs to another user"));
}

}  // namespace door

namespace {

using door::Clock;
using door::UniqueFd;

// How long a connection may stay idle before a request (and between requests), how long a request
// may take to arrive from its first byte (a slow sender must not hold one of the few connections),
// how long an answer may take to write, how long a tree request waits for the interface thread, and
// how long an invocation whose time ran out waits to learn how it ended (less than the grace a
// client gives beyond its time).
constexpr auto kIdleLimit = std::chrono::seconds(5);
constexpr auto kRequestLimit = std::chrono::seconds(5);
constexpr auto kWriteLimit = std::chrono::seconds(10);
constexpr auto kTreeLimit = std::chrono::seconds(30);
constexpr auto kSettleLimit = std::chrono::seconds(3);
constexpr std::size_t kMaxConnections = 16;
constexpr std::size_t kReadChunk = 4096;

constexpr std::string_view kQuitting = "the application is quitting";
constexpr std::string_view kSlowRequest = "the request did not arrive within 5 s of its first byte";
constexpr std::string_view kMadeRoom = "the connection sent no request and was closed to make room for another client";

void name_thread(const char* name) {
  // The kernel keeps 15 bytes; a failure to name costs nothing but the name.
  (void)pthread_setname_np(pthread_self(), name);
}

// The tree as JSON text: it is written on the interface thread, so no part of the application's
// resources ever lives on, or is destroyed by, a door thread.
struct TreeText {
  std::string json;
};
using Message = std::variant<RequestReport, TreeText>;

// Where the interface thread leaves what a waiting connection asked for. Shared with the reply
// callbacks, which may outlive the connection; once the connection has given up, posts are refused.
class Mailbox {
 public:
  Mailbox() : event_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  bool usable() const { return static_cast<bool>(event_); }
  int fd() const { return event_.get(); }

  // False when the connection gave up waiting; the message is then dropped.
  bool post(Message message) {
    std::lock_guard lock(mutex_);
    if (abandoned_) return false;
    messages_.push_back(std::move(message));
    door::signal_eventfd(event_.get());
    return true;
  }

  std::deque<Message> take() {
    door::drain_eventfd(event_.get());
    std::lock_guard lock(mutex_);
    return std::exchange(messages_, {});
  }

  // Refuses every later post and answers the id of an in-flight start that arrived unread, which
  // the caller then cancels.
  std::optional<RequestId> abandon() {
    std::lock_guard lock(mutex_);
    abandoned_ = true;
    for (const auto& message : messages_) {
      const auto* report = std::get_if<RequestReport>(&message);
      const auto* started = report ? std::get_if<RequestStarted>(report) : nullptr;
      if (started && std::holds_alternative<start::InFlight>(started->answer)) return started->id;
    }
    return std::nullopt;
  }

 private:
  UniqueFd event_;
  std::mutex mutex_;
  std::deque<Message> messages_;
  bool abandoned_ = false;
};

enum class Wake : std::uint8_t { Mail, TimedOut, ClientGone, Stopping };

// One connection as the acceptor sees it. While it waits for the first byte of a request, with
// nothing unread on its socket, it is idle, and the acceptor may take its place for a new client:
// it claims it (Idle -> Closing) and kicks it; the connection claims itself back (Idle -> Busy)
// when a byte arrives first. The socket is closed with the slot, once the connection's thread has
// been joined, so the acceptor never looks at a descriptor that has been reused.
struct Slot {
  enum Phase : std::uint8_t { Busy, Idle, Closing };
  explicit Slot(UniqueFd client) : fd(std::move(client)) {}
  UniqueFd fd;
  std::atomic<bool> done{false};
  // A new connection has sent nothing yet.
  std::atomic<std::uint8_t> phase{Idle};
  UniqueFd kick{::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)};

  bool take_over() {
    int unread = 0;
    if (::ioctl(fd.get(), FIONREAD, &unread) == 0 && unread > 0) return false;
    std::uint8_t idle = Idle;
    if (!phase.compare_exchange_strong(idle, Closing)) return false;
    door::signal_eventfd(kick.get());
    return true;
  }
  // Both false when the acceptor has taken the connection's place.
  bool wait_idle() {
    std::uint8_t busy = Busy;
    return phase.compare_exchange_strong(busy, Idle) || busy == Idle;
  }
  bool claim() {
    std::uint8_t idle = Idle;
    return phase.compare_exchange_strong(idle, Busy) || idle == Busy;
  }
};

}  // namespace

struct ActionDoor::State {
  State(std::filesystem::path socket, ActionHost& action_host, bool lists, Prepare prepare_request)
      : path(std::move(socket)), host(action_host), lists_actions(lists), prepare(std::move(prepare_request)) {}

  std::filesystem::path path;
  ActionHost& host;
  bool lists_actions;
  Prepare prepare;
  UniqueFd listen_fd;
  // Readable from the moment the door stops; never drained.
  UniqueFd stop_fd;
  std::atomic<bool> stopping{false};
  dev_t socket_dev = 0;
  ino_t socket_ino = 0;

  std::mutex tree_mutex;
  std::vector<std::shared_ptr<Mailbox>> tree_requests;

  struct Connection {
    std::thread thread;
    std::shared_ptr<Slot> slot;
  };
  std::list<Connection> connections;  // touched by the acceptor thread, then by the destructor
  std::thread acceptor;

  void accept_loop();
  void admit(UniqueFd client);
  void reap_finished();
  bool make_room();
  void serve_connection(int fd, Slot& slot);
  bool handle_line(int fd, std::string_view line);
  bool handle_tree(int fd);
  bool handle_invoke(int fd, const door::InvokeRequest& request);
  Wake wait(int client_fd, const Mailbox& mailbox, Clock::time_point deadline) const;
  bool answer(int fd, const std::string& line) const {
    return door::write_all(fd, line + "\n", Clock::now() + kWriteLimit, stop_fd.get());
  }
  // For last words while stopping: the stop descriptor must not cut them short.
  static bool answer_anyway(int fd, const std::string& line) {
    return door::write_all(fd, line + "\n", Clock::now() + std::chrono::seconds(1));
  }
};

namespace {

enum class Existing : std::uint8_t { Gone, Stale, Live, NotASocket };

// What sits at the path: a socket that accepts connections belongs to a running instance.
Existing probe(const std::filesystem::path& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? Existing::Gone : Existing::Live;
  if (!S_ISSOCK(info.st_mode)) return Existing::NotASocket;
  auto address = door::socket_address(path);
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!address || !fd) return Existing::Live;
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) == 0) return Existing::Live;
  if (errno == ECONNREFUSED) return Existing::Stale;
  if (errno == ENOENT) return Existing::Gone;
  // EAGAIN: a full backlog, but a listener all the same.
  return Existing::Live;
}

// Puts the bound temporary socket in place under its final name without ever replacing a live one.
std::expected<void, std::string> install(const std::filesystem::path& temporary, const std::filesystem::path& path) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (::link(temporary.c_str(), path.c_str()) == 0) return {};
    if (errno != EEXIST) return std::unexpected("could not create " + path.native() + ": " + door::errno_text(errno));
    switch (probe(path)) {
      case Existing::Live:
        return std::unexpected("another instance already serves actions at " + path.native());
      case Existing::NotASocket:
        return std::unexpected(path.native() + " exists and is not a socket; it was left alone");
      case Existing::Stale:
        orvo_log::info("replacing the action socket of a run that has ended", {{"path", path.native()}});
        if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
          return std::unexpected("could not remove the stale socket " + path.native() + ": " + door::errno_text(errno));
        }
        break;
      case Existing::Gone:
        break;
    }
  }
  return std::unexpected("could not create " + path.native() + ": it keeps reappearing");
}

}  // namespace

std::expected<std::unique_ptr<ActionDoor>, std::string> ActionDoor::open(std::filesystem::path path, ActionHost& host,
                                                                         bool lists_actions, Prepare prepare) {
  auto state = std::make_unique<State>(std::move(path), host, lists_actions, std::move(prepare));
  const std::filesystem::path temporary = state->path.native() + "." + std::to_string(::getpid()) + ".tmp";
  auto address = door::socket_address(temporary);
  if (!address) return std::unexpected(address.error());

  state->stop_fd = UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  state->listen_fd = UniqueFd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!state->stop_fd || !state->listen_fd) {
    return std::unexpected("could not create the action socket: " + door::errno_text(errno));
  }
  // The socket is bound under a private name, made 0600 and only then linked to its public name,
  // so it is never reachable with a wider mode.
  (void)::unlink(temporary.c_str());
  if (::bind(state->listen_fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0) {
    return std::unexpected("could not bind " + temporary.native() + ": " + door::errno_text(errno));
  }
  auto fail = [&](std::string message) {
    (void)::unlink(temporary.c_str());
    return std::unexpected(std::move(message));
  };
  if (::chmod(temporary.c_str(), 0600) != 0) return fail("could not set the socket's mode: " + door::errno_text(errno));
  if (::listen(state->listen_fd.get(), 16) != 0) return fail("could not listen: " + door::errno_text(errno));
  if (auto installed = install(temporary, state->path); !installed) return fail(installed.error());
  (void)::unlink(temporary.c_str());

  struct stat info {};
  if (::stat(state->path.c_str(), &info) == 0) {
    state->socket_dev = info.st_dev;
    state->socket_ino = info.st_ino;
  }
  State* raw = state.get();
  state->acceptor = std::thread([raw] { raw->accept_loop(); });
  return std::unique_ptr<ActionDoor>(new ActionDoor(std::move(state)));
}

ActionDoor::ActionDoor(std::unique_ptr<State> state) : state_(std::move(state)) {}

ActionDoor::~ActionDoor() {
  state_->stopping = true;
  door::signal_eventfd(state_->stop_fd.get());
  if (state_->acceptor.joinable()) state_->acceptor.join();
  for (auto& connection : state_->connections) {
    if (connection.thread.joinable()) connection.thread.join();
  }
  // Only our own socket is removed: another instance may have replaced it meanwhile.
  struct stat info {};
  if (::stat(state_->path.c_str(), &info) == 0 && info.st_dev == state_->socket_dev &&
      info.st_ino == state_->socket_ino) {
    (void)::unlink(state_->path.c_str());
  }
}

const std::filesystem::path& ActionDoor::path() const { return state_->path; }

void ActionDoor::serve(Widget& root) {
  std::vector<std::shared_ptr<Mailbox>> waiting;
  {
    std::lock_guard lock(state_->tree_mutex);
    waiting.swap(state_->tree_requests);
  }
  if (waiting.empty()) return;
  const std::string json = orvo_actions::resources_json_text(root.resources());
  for (auto& mailbox : waiting) mailbox->post(TreeText{json});
}

void ActionDoor::State::accept_loop() {
  name_thread("orvo-door");
  while (!stopping) {
    pollfd fds[2] = {{listen_fd.get(), POLLIN, 0}, {stop_fd.get(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      orvo_log::error("action door stopped", {{"error", door::errno_text(errno)}});
      return;
    }
    if (fds[1].revents & POLLIN) return;
    UniqueFd client(::accept4(listen_fd.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!client) continue;
    reap_finished();
    admit(std::move(client));
  }
}

void ActionDoor::State::reap_finished() {
  for (auto it = connections.begin(); it != connections.end();) {
    if (!it->slot->done.load()) {
      ++it;
      continue;
    }
    it->thread.join();
    it = connections.erase(it);
  }
}

void ActionDoor::State::admit(UniqueFd client) {
  ucred peer{};
  socklen_t length = sizeof(peer);
  if (::getsockopt(client.get(), SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0) {
    orvo_log::warn("action door could not identify a peer", {{"error", door::errno_text(errno)}});
    return;
  }
  if (auto allowed = door::check_peer(peer.uid, ::geteuid()); !allowed) {
    orvo_log::warn("action door refused a peer", {{"uid", std::to_string(peer.uid)}, {"pid", std::to_string(peer.pid)}});
    answer(client.get(), door::error_answer(allowed.error()));
    return;
  }
  if (connections.size() >= kMaxConnections && !make_room()) {
    answer(client.get(), door::error_answer("too many connections; try again later"));
    return;
  }
  auto slot = std::make_shared<Slot>(std::move(client));
  if (!slot->kick) {
    answer(slot->fd.get(), door::error_answer("could not serve the connection: " + door::errno_text(errno)));
    return;
  }
  std::thread thread([this, slot] {
    name_thread("orvo-door-conn");
    serve_connection(slot->fd.get(), *slot);
    // The client learns at once that the connection has ended; the descriptor goes with the slot.
    (void)::shutdown(slot->fd.get(), SHUT_RDWR);
    slot->done.store(true);
  });
  connections.push_back({std::move(thread), std::move(slot)});
}

// Closes one connection that waits for a request, so that an idle client never keeps a new one
// out. The closing connection still counts until it has ended; the new one may briefly exceed
// the limit by as many as were closed.
bool ActionDoor::State::make_room() {
  std::size_t open = 0;
  for (const auto& connection : connections) {
    if (connection.slot->phase.load() != Slot::Closing) ++open;
  }
  if (open < kMaxConnections) return true;
  for (auto& connection : connections) {
    if (connection.slot->take_over()) return true;
  }
  return false;
}

void ActionDoor::State::serve_connection(int fd, Slot& slot) {
  std::string buffer;
  bool at_end = false;
  // Idle until the first byte of a request, then that request's own time limit.
  auto deadline = Clock::now() + kIdleLimit;
  while (!stopping) {
    std::size_t newline = buffer.find('\n');
    if (newline == std::string::npos && !at_end) {
      if (buffer.size() > door::kMaxRequestBytes) break;
      if (buffer.empty() && !slot.wait_idle()) {
        answer(fd, door::error_answer(kMadeRoom));
        return;
      }
      pollfd fds[3] = {{fd, POLLIN, 0}, {stop_fd.get(), POLLIN, 0}, {slot.kick.get(), POLLIN, 0}};
      int ready = ::poll(fds, 3, door::millis_until(deadline));
      if (ready < 0 && errno == EINTR) continue;
      if (ready < 0 || (fds[1].revents & POLLIN)) return;
      if (!slot.claim()) {
        answer(fd, door::error_answer(kMadeRoom));
        return;
      }
      if (ready == 0) {
        if (!buffer.empty()) answer(fd, door::error_answer(kSlowRequest));
        return;
      }
      char chunk[kReadChunk];
      ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
      if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (got < 0) return;
      if (got == 0) at_end = true;
      if (buffer.empty() && got > 0) deadline = Clock::now() + kRequestLimit;
      buffer.append(chunk, static_cast<std::size_t>(got));
      continue;
    }
    // A last line without its newline still counts as a request.
    std::string line = newline == std::string::npos ? std::exchange(buffer, {}) : buffer.substr(0, newline);
    if (newline != std::string::npos) buffer.erase(0, newline + 1);
    if (line.size() > door::kMaxRequestBytes) break;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") != std::string::npos && !handle_line(fd, line)) return;
    if (at_end && buffer.empty()) return;
    // The next request's time starts now: bytes sent ahead of it waited for this one.
    deadline = Clock::now() + (buffer.empty() ? kIdleLimit : kRequestLimit);
  }
  if (stopping) return;
  // Too long a line: the rest of it cannot be told from a next request, so the connection ends.
  orvo_log::warn("action door refused an oversized request", {{"limit", std::to_string(door::kMaxRequestBytes)}});
  answer(fd, door::error_answer("request exceeds " + std::to_string(door::kMaxRequestBytes) + " bytes"));
}

bool ActionDoor::State::handle_line(int fd, std::string_view line) {
  auto request = door::parse_request(line);
  if (!request) return answer(fd, door::error_answer(request.error()));
  if (std::holds_alternative<door::TreeRequest>(*request)) return handle_tree(fd);
  return handle_invoke(fd, std::get<door::InvokeRequest>(*request));
}

Wake ActionDoor::State::wait(int client_fd, const Mailbox& mailbox, Clock::time_point deadline) const {
  while (true) {
    // The client is watched for hang-ups only: a half-closed client still gets its answer.
    pollfd fds[3] = {{mailbox.fd(), POLLIN, 0}, {client_fd, 0, 0}, {stop_fd.get(), POLLIN, 0}};
    int ready = ::poll(fds, 3, door::millis_until(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) return Wake::ClientGone;
    if (fds[2].revents & POLLIN) return Wake::Stopping;
    if (fds[0].revents & POLLIN) return Wake::Mail;
    if (fds[1].revents & (POLLHUP | POLLERR)) return Wake::ClientGone;
    if (ready == 0) return Wake::TimedOut;
  }
}

bool ActionDoor::State::handle_tree(int fd) {
  if (!lists_actions) return answer(fd, door::error_answer("this application does not list its actions"));
  auto mailbox = std::make_shared<Mailbox>();
  if (!mailbox->usable()) return answer(fd, door::error_answer("could not wait for the application"));
  const auto deadline = Clock::now() + kTreeLimit;
  if (prepare) prepare(std::nullopt);
  {
    std::lock_guard lock(tree_mutex);
    tree_requests.push_back(mailbox);
  }
  WakeHandle{}.wake();
  while (true) {
    for (auto& message : mailbox->take()) {
      if (auto* tree = std::get_if<TreeText>(&message)) return answer(fd, door::tree_answer(tree->json));
    }
    switch (wait(fd, *mailbox, deadline)) {
      case Wake::Mail:
        continue;
      case Wake::TimedOut:
        (void)mailbox->abandon();
        return answer(fd, door::error_answer("the application did not list its resources in time"));
      case Wake::ClientGone:
        (void)mailbox->abandon();
        return false;
      case Wake::Stopping:
        (void)mailbox->abandon();
        answer_anyway(fd, door::error_answer(kQuitting));
        return false;
    }
  }
}

bool ActionDoor::State::handle_invoke(int fd, const door::InvokeRequest& request) {
  auto mailbox = std::make_shared<Mailbox>();
  if (!mailbox->usable()) return answer(fd, door::error_answer("could not wait for the application"));
  // Runs on the interface thread. When nobody waits any more, an operation that went in flight is
  // cancelled rather than left running for no one.
  ActionHost* action_host = &host;
  auto reply = [mailbox, action_host](const RequestReport& report) {
    if (mailbox->post(report)) return;
    const auto* started = std::get_if<RequestStarted>(&report);
    if (started && std::holds_alternative<start::InFlight>(started->answer)) action_host->cancel(started->id);
  };
  auto deadline = Clock::now() + std::chrono::milliseconds(request.timeout_ms);
  if (prepare) prepare(std::string_view(request.address.resource));
  const std::uint64_t ticket = host.submit({request.address, request.args_json, reply});

  std::optional<RequestId> running;
  bool timed_out = false;
  // A request not yet taken is withdrawn and never starts; one taken is cancelled once it runs.
  // Answers whether it was withdrawn.
  auto give_up = [&] {
    if (!running && host.withdraw(ticket)) {
      (void)mailbox->abandon();
      return true;
    }
    if (auto unread = mailbox->abandon()) running = unread;
    if (running) host.cancel(*running);
    return false;
  };
  while (true) {
    for (auto& message : mailbox->take()) {
      const auto& report = std::get<RequestReport>(message);
      if (const auto* started = std::get_if<RequestStarted>(&report)) {
        // A start that ended at once is answered as it ended, also when it came after the time.
        if (!std::holds_alternative<start::InFlight>(started->answer)) {
          return answer(fd, door::start_answer(started->answer));
        }
        running = started->id;
        if (timed_out) host.cancel(*running);
        continue;
      }
      const auto& completion = std::get<RequestFinished>(report).completion;
      if (timed_out && std::holds_alternative<completion::Cancelled>(completion)) {
        return answer(fd, door::timed_out_answer(request.timeout_ms, door::TimedOut::Cancelled));
      }
      return answer(fd, door::completion_answer(completion));
    }
    switch (wait(fd, *mailbox, deadline)) {
      case Wake::Mail:
        continue;
      case Wake::TimedOut:
        if (timed_out) {
          (void)give_up();
          return answer(fd, door::timed_out_answer(request.timeout_ms, door::TimedOut::Unsettled));
        }
        timed_out = true;
        if (!running && host.withdraw(ticket)) {
          (void)mailbox->abandon();
          return answer(fd, door::timed_out_answer(request.timeout_ms, door::TimedOut::Withdrawn));
        }
        // Taken already: wait for how it really ends, which a cancel makes prompt.
        if (running) host.cancel(*running);
        deadline = Clock::now() + kSettleLimit;
        continue;
      case Wake::ClientGone:
        (void)give_up();
        return false;
      case Wake::Stopping:
        (void)give_up();
        answer_anyway(fd, door::error_answer(kQuitting));
        return false;
    }
  }
}

}  // namespace orvo_ui

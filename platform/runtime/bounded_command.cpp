#include "orvo_runtime/bounded_command.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>
#include <utility>

#include <fmt/format.h>

#include "orvo_runtime/named_thread.h"

extern char** environ;

namespace bounded_command {
namespace {

using Clock = std::chrono::steady_clock;

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~Fd() { reset(); }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

std::string errno_text(int err) { return std::strerror(err); }

std::string limit_text(std::chrono::milliseconds limit) {
  if (limit.count() % 1000 == 0) {
    const auto seconds = limit.count() / 1000;
    return fmt::format("{} second{}", seconds, seconds == 1 ? "" : "s");
  }
  return fmt::format("{} ms", limit.count());
}

bool is_executable_file(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

// A started child with the parent's ends of its pipes.
struct Child {
  std::string program;
  pid_t pid = -1;
  Fd pidfd;
  Fd input;  // write end; invalid when standard input is /dev/null or fully written
  Fd out;
  Fd err;
  bool reaped = false;
  int wait_status = 0;
};

void set_nonblocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

std::vector<std::string> child_environment() {
  std::vector<std::string> env;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "LC_ALL=", 7) != 0) env.emplace_back(*entry);
  }
  env.emplace_back("LC_ALL=C");
  return env;
}

std::expected<Child, Error> start(std::string_view program, std::span<const std::string> arguments, bool with_input) {
  const std::string name(program);
  const auto path = find_program(program);
  if (!path) return std::unexpected(Error{ErrorKind::NotFound, name, {}});

  int out_pipe[2];
  int err_pipe[2];
  int in_pipe[2] = {-1, -1};
  if (::pipe2(out_pipe, O_CLOEXEC) != 0) return std::unexpected(Error{ErrorKind::StartFailed, name, errno_text(errno)});
  Fd out_read(out_pipe[0]), out_write(out_pipe[1]);
  if (::pipe2(err_pipe, O_CLOEXEC) != 0) return std::unexpected(Error{ErrorKind::StartFailed, name, errno_text(errno)});
  Fd err_read(err_pipe[0]), err_write(err_pipe[1]);
  Fd in_read, in_write;
  if (with_input) {
    if (::pipe2(in_pipe, O_CLOEXEC) != 0) return std::unexpected(Error{ErrorKind::StartFailed, name, errno_text(errno)});
    in_read = Fd(in_pipe[0]);
    in_write = Fd(in_pipe[1]);
  } else {
    in_read = Fd(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    if (!in_read.valid()) return std::unexpected(Error{ErrorKind::StartFailed, name, errno_text(errno)});
  }

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in_read.get(), 0);
  posix_spawn_file_actions_adddup2(&actions, out_write.get(), 1);
  posix_spawn_file_actions_adddup2(&actions, err_write.get(), 2);

  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  // Its own process group, so that a time-out can kill whatever the child started too; a clean
  // signal mask and default dispositions whatever this process blocks or ignores.
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attr, 0);
  sigset_t mask;
  sigemptyset(&mask);
  posix_spawnattr_setsigmask(&attr, &mask);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD, SIGUSR1, SIGUSR2, SIGALRM}) {
    sigaddset(&defaults, sig);
  }
  posix_spawnattr_setsigdefault(&attr, &defaults);

  std::vector<std::string> args_storage;
  args_storage.reserve(arguments.size() + 1);
  args_storage.push_back(name);
  args_storage.insert(args_storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (auto& a : args_storage) argv.push_back(a.data());
  argv.push_back(nullptr);
  auto env_storage = child_environment();
  std::vector<char*> envp;
  for (auto& e : env_storage) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, path->c_str(), &actions, &attr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  if (rc != 0) {
    const auto kind = (rc == ENOENT || rc == EACCES) ? ErrorKind::NotFound : ErrorKind::StartFailed;
    return std::unexpected(Error{kind, name, errno_text(rc)});
  }

  Child child;
  child.program = name;
  child.pid = pid;
  child.pidfd = Fd(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
  child.out = std::move(out_read);
  child.err = std::move(err_read);
  set_nonblocking(child.out.get());
  set_nonblocking(child.err.get());
  if (with_input) {
    child.input = std::move(in_write);
    set_nonblocking(child.input.get());
  }
  return child;
}

std::atomic<bool> g_signals_delivered{true};

void signal_group(pid_t pid) {
  if (!g_signals_delivered.load(std::memory_order_relaxed)) return;
  ::kill(-pid, SIGKILL);
  ::kill(pid, SIGKILL);
}

// Waits for a child that was already signalled, in the background, so that no zombie remains.
void hand_to_reaper(pid_t pid) {
  try {
    std::thread([pid] {
      orvo_runtime::set_current_thread_name("orvo-cmd-reaper");
      while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }).detach();
  } catch (const std::system_error&) {
    // Without a thread the child is left to init once we exit; never block the caller on it.
  }
}

bool try_reap(Child& child);

// A child we may signal ends within moments of SIGKILL. One we may not (a program another user
// runs for us, as pkexec does once approved) may live on for minutes: the owner (often the
// interface thread, dropping the command) must not wait for it, so after a short grace it goes to
// a background reaper.
void kill_and_reap(Child& child) {
  if (child.reaped) return;
  signal_group(child.pid);
  constexpr auto kGrace = std::chrono::milliseconds(20);
  const auto until = Clock::now() + kGrace;
  while (!try_reap(child) && Clock::now() < until) {
    if (child.pidfd.valid()) {
      pollfd fd{child.pidfd.get(), POLLIN, 0};
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now()).count();
      ::poll(&fd, 1, static_cast<int>(std::max<long long>(left, 1)));
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  if (child.reaped) return;
  hand_to_reaper(child.pid);
  child.reaped = true;
}

bool try_reap(Child& child) {
  if (child.reaped) return true;
  const pid_t r = ::waitpid(child.pid, &child.wait_status, WNOHANG);
  if (r == child.pid) child.reaped = true;
  return child.reaped;
}

// Reads what is available; closes the descriptor at end of file or on a read error.
void read_available(Fd& fd, std::string& sink, bool& truncated, std::size_t limit) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n > 0) {
      const std::size_t room = sink.size() < limit ? limit - sink.size() : 0;
      const std::size_t take = std::min(room, static_cast<std::size_t>(n));
      sink.append(buffer, take);
      if (take < static_cast<std::size_t>(n)) truncated = true;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    fd.reset();
    return;
  }
}

// Writes what the pipe takes now. A child that closed its standard input simply gets no more.
void write_available(Fd& fd, std::string_view input, std::size_t& written) {
  sigset_t pipe_set;
  sigemptyset(&pipe_set);
  sigaddset(&pipe_set, SIGPIPE);
  sigset_t previous;
  pthread_sigmask(SIG_BLOCK, &pipe_set, &previous);
  while (written < input.size()) {
    const ssize_t n = ::write(fd.get(), input.data() + written, input.size() - written);
    if (n > 0) {
      written += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n < 0 && errno == EPIPE) {
      const timespec zero{};
      ::sigtimedwait(&pipe_set, nullptr, &zero);
    }
    written = input.size();
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (written >= input.size()) fd.reset();
}

ExitStatus exit_status_of(int wait_status) {
  ExitStatus status;
  if (WIFEXITED(wait_status)) status.code = WEXITSTATUS(wait_status);
  if (WIFSIGNALED(wait_status)) status.signal = WTERMSIG(wait_status);
  return status;
}

// Feeds and drains the child until it ends, the time limit passes, or `stop` is requested.
// Standard output goes to `on_output` as it arrives when one is given.
std::expected<Output, Error> drive(Child& child, std::string_view input, std::size_t output_limit,
                                   std::chrono::milliseconds time_limit, std::stop_token stop = {},
                                   const std::function<void(std::string_view)>& on_output = {}) {
  const auto deadline = Clock::now() + time_limit;
  Output output;
  std::size_t written = 0;
  if (child.input.valid() && input.empty()) child.input.reset();

  // A stop request wakes the poll at once, so the owner dropping the command is not kept waiting.
  Fd wake_read, wake_write;
  if (int ends[2]; stop.stop_possible() && ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) == 0) {
    wake_read = Fd(ends[0]);
    wake_write = Fd(ends[1]);
  }
  std::stop_callback wake_on_stop(stop, [&wake_write] {
    if (wake_write.valid()) (void)!::write(wake_write.get(), "x", 1);
  });

  for (;;) {
    if (child.reaped) {
      // The child has ended: take what is still buffered, without waiting for any process it left
      // behind that holds the pipes open.
      if (child.out.valid()) read_available(child.out, output.standard_output, output.standard_output_truncated, output_limit);
      if (on_output && !output.standard_output.empty()) on_output(std::exchange(output.standard_output, {}));
      if (child.err.valid()) read_available(child.err, output.standard_error, output.standard_error_truncated, output_limit);
      output.status = exit_status_of(child.wait_status);
      return output;
    }
    if (stop.stop_requested()) {
      kill_and_reap(child);
      return std::unexpected(Error{ErrorKind::Stopped, child.program, {}});
    }
    const auto now = Clock::now();
    if (now >= deadline) {
      kill_and_reap(child);
      return std::unexpected(Error{ErrorKind::TimedOut, child.program, limit_text(time_limit)});
    }

    pollfd fds[5];
    nfds_t count = 0;
    int out_index = -1, err_index = -1, in_index = -1, pid_index = -1;
    if (child.out.valid()) { out_index = static_cast<int>(count); fds[count++] = {child.out.get(), POLLIN, 0}; }
    if (child.err.valid()) { err_index = static_cast<int>(count); fds[count++] = {child.err.get(), POLLIN, 0}; }
    if (child.input.valid()) { in_index = static_cast<int>(count); fds[count++] = {child.input.get(), POLLOUT, 0}; }
    if (child.pidfd.valid()) { pid_index = static_cast<int>(count); fds[count++] = {child.pidfd.get(), POLLIN, 0}; }
    if (wake_read.valid()) fds[count++] = {wake_read.get(), POLLIN, 0};

    auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
    if (!child.pidfd.valid()) wait = std::min<long long>(wait, 10);
    if (stop.stop_possible() && !wake_read.valid()) wait = std::min<long long>(wait, 50);
    const int ready = ::poll(fds, count, static_cast<int>(wait));
    if (ready < 0 && errno != EINTR) {
      const int err = errno;
      kill_and_reap(child);
      return std::unexpected(Error{ErrorKind::Io, child.program, errno_text(err)});
    }
    if (ready <= 0) {
      if (!child.pidfd.valid()) try_reap(child);
      continue;
    }
    if (out_index >= 0 && fds[out_index].revents != 0) {
      read_available(child.out, output.standard_output, output.standard_output_truncated, output_limit);
      if (on_output && !output.standard_output.empty()) on_output(std::exchange(output.standard_output, {}));
    }
    if (err_index >= 0 && fds[err_index].revents != 0)
      read_available(child.err, output.standard_error, output.standard_error_truncated, output_limit);
    if (in_index >= 0 && fds[in_index].revents != 0) write_available(child.input, input, written);
    if ((pid_index >= 0 && fds[pid_index].revents != 0) || !child.pidfd.valid()) try_reap(child);
  }
}

}  // namespace

std::string Error::display() const {
  switch (kind) {
    case ErrorKind::NotFound:
      return fmt::format("program \"{}\" was not found", program);
    case ErrorKind::StartFailed:
      return fmt::format("could not start \"{}\": {}", program, detail);
    case ErrorKind::Stopped:
      return fmt::format("\"{}\" was stopped", program);
    case ErrorKind::TimedOut:
      return fmt::format("\"{}\" did not finish within {} and was stopped", program, detail);
    case ErrorKind::Io:
      return fmt::format("could not exchange data with \"{}\": {}", program, detail);
  }
  return "command failed";
}

std::optional<std::string> find_program(std::string_view program) {
  if (program.empty()) return std::nullopt;
  if (program.find('/') != std::string_view::npos) {
    std::string path(program);
    if (is_executable_file(path)) return path;
    return std::nullopt;
  }
  const char* path_env = std::getenv("PATH");
  std::string_view dirs = path_env != nullptr ? path_env : "/usr/local/bin:/usr/bin:/bin";
  while (true) {
    const auto colon = dirs.find(':');
    std::string_view dir = dirs.substr(0, colon);
    if (dir.empty()) dir = ".";
    std::string candidate = fmt::format("{}/{}", dir, program);
    if (is_executable_file(candidate)) return candidate;
    if (colon == std::string_view::npos) break;
    dirs.remove_prefix(colon + 1);
  }
  return std::nullopt;
}

std::expected<Output, Error> run(std::string_view program, std::span<const std::string> arguments,
                                 std::optional<std::string_view> input, std::size_t output_limit,
                                 std::chrono::milliseconds time_limit) {
  auto child = start(program, arguments, input.has_value());
  if (!child) return std::unexpected(child.error());
  return drive(*child, input.value_or(std::string_view{}), output_limit, time_limit);
}

struct AsyncCommand::State {
  Child child;
  std::string input;
  std::size_t output_limit = kDefaultOutputLimit;
  std::chrono::milliseconds time_limit{};
  std::mutex mutex;
  std::optional<std::expected<Output, Error>> result;
  std::function<void(std::string_view)> on_output;
  std::jthread worker;
};

AsyncCommand::AsyncCommand(std::unique_ptr<State> state) : state_(std::move(state)) {}
AsyncCommand::AsyncCommand(AsyncCommand&&) noexcept = default;
AsyncCommand& AsyncCommand::operator=(AsyncCommand&&) noexcept = default;
AsyncCommand::~AsyncCommand() = default;  // the worker's stop request kills a running child

std::expected<AsyncCommand::Poll, Error> AsyncCommand::try_wait() {
  std::lock_guard lock(state_->mutex);
  if (!state_->result) return Poll{Running{}};
  if (!state_->result->has_value()) return std::unexpected(state_->result->error());
  return Poll{state_->result->value()};
}

std::expected<AsyncCommand, Error> spawn_prepared(const PreparedCommand& command, std::optional<std::string> input,
                                                  std::size_t output_limit, std::chrono::milliseconds time_limit) {
  auto child = start(command.program, command.arguments, input.has_value());
  if (!child) {
    if (input) explicit_bzero(input->data(), input->size());
    return std::unexpected(child.error());
  }
  auto state = std::make_unique<AsyncCommand::State>();
  state->child = std::move(*child);
  if (input) {
    state->input = std::move(*input);
  }
  state->output_limit = output_limit;
  state->time_limit = time_limit;
  AsyncCommand::State* raw = state.get();
  state->worker = std::jthread([raw](std::stop_token stop) {
    auto result = drive(raw->child, raw->input, raw->output_limit, raw->time_limit, stop);
    explicit_bzero(raw->input.data(), raw->input.size());
    std::lock_guard lock(raw->mutex);
    raw->result = std::move(result);
  });
  return AsyncCommand(std::move(state));
}

std::expected<AsyncCommand, Error> spawn_streaming(const PreparedCommand& command, std::chrono::milliseconds time_limit,
                                                   std::function<void(std::string_view)> on_output) {
  auto child = start(command.program, command.arguments, /*with_input=*/false);
  if (!child) return std::unexpected(child.error());
  auto state = std::make_unique<AsyncCommand::State>();
  state->child = std::move(*child);
  state->time_limit = time_limit;
  state->on_output = std::move(on_output);
  AsyncCommand::State* raw = state.get();
  state->worker = std::jthread([raw](std::stop_token stop) {
    auto result = drive(raw->child, {}, raw->output_limit, raw->time_limit, stop, raw->on_output);
    std::lock_guard lock(raw->mutex);
    raw->result = std::move(result);
  });
  return AsyncCommand(std::move(state));
}

namespace testing {
void deliver_signals(bool deliver) { g_signals_delivered.store(deliver, std::memory_order_relaxed); }
}  // namespace testing

}  // namespace bounded_command

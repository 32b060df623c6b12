#pragma once
// Runs a base-system program as a child process with bounds on everything it can cost us:
// no shell (the program is looked up on PATH and gets an explicit argument list), LC_ALL=C so that
// tools answer in their untranslated words, standard input closed or fed from a buffer, each output
// stream capped, and a time limit after which the child's whole process group is killed.
//
// Secrets never go into the argument list (other users can read /proc/<pid>/cmdline): pass them as
// standard input.
#include <chrono>
#include <cstddef>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace bounded_command {

// The output cap used unless a caller says otherwise (per stream).
inline constexpr std::size_t kDefaultOutputLimit = 1'048'576;

// How the child ended: an exit code when it exited, the signal number when a signal ended it.
struct ExitStatus {
  std::optional<int> code;
  std::optional<int> signal;

  // Exited normally with code 0.
  bool success() const { return code.has_value() && *code == 0; }
};

struct Output {
  ExitStatus status;
  std::string standard_output;
  std::string standard_error;
  // Set when the stream produced more than the output limit; the text holds the first `limit` bytes.
  bool standard_output_truncated = false;
  bool standard_error_truncated = false;
};

enum class ErrorKind {
  NotFound,     // no such program on PATH, or not executable
  StartFailed,  // the program exists but could not be started
  TimedOut,     // the time limit passed; the process group was killed
  Stopped,      // the owner dropped a running command; the process group was killed
  Io,           // reading or writing the child's pipes failed
};

struct Error {
  ErrorKind kind;
  std::string program;
  std::string detail;
  // A lower-case sentence for logs and for callers that prefix their own "… failed: ".
  std::string display() const;
};

// A program and its argument list, checked once and run later.
struct PreparedCommand {
  std::string program;
  std::vector<std::string> arguments;
};

// Runs the program and blocks until it ends or the time limit passes. `input`, when given, is
// written to the child's standard input, which is then closed; without it standard input is
// /dev/null. `output_limit` caps standard output and standard error each.
std::expected<Output, Error> run(std::string_view program, std::span<const std::string> arguments,
                                 std::optional<std::string_view> input, std::size_t output_limit,
                                 std::chrono::milliseconds time_limit);

// A command started by `spawn_prepared` that runs on its own while the caller polls it. Dropping a
// command that is still running kills its process group and returns at once; a child that outlives
// the signal (one running as another user, as pkexec's program does) is reaped in the background.
class AsyncCommand {
 public:
  struct Running {};
  using Poll = std::variant<Running, Output>;

  AsyncCommand(AsyncCommand&&) noexcept;
  AsyncCommand& operator=(AsyncCommand&&) noexcept;
  ~AsyncCommand();

  // Never blocks: still running, finished with its output, or the error that ended it. Once it has
  // ended, every later call gives the same answer.
  std::expected<Poll, Error> try_wait();

  struct State;

 private:
  friend std::expected<AsyncCommand, Error> spawn_prepared(const PreparedCommand&, std::optional<std::string>,
                                                           std::size_t, std::chrono::milliseconds);
  friend std::expected<AsyncCommand, Error> spawn_streaming(const PreparedCommand&, std::chrono::milliseconds,
                                                            std::function<void(std::string_view)>);
  explicit AsyncCommand(std::unique_ptr<State> state);
  std::unique_ptr<State> state_;
};

// Starts the command and returns at once; the input (if any) is written in the background and its
// copy wiped afterwards. A missing program is reported here, not by `try_wait`.
std::expected<AsyncCommand, Error> spawn_prepared(const PreparedCommand& command, std::optional<std::string> input,
                                                  std::size_t output_limit, std::chrono::milliseconds time_limit);

// Like `spawn_prepared` with standard input closed, for a command that produces a stream: its
// standard output is handed to `on_output` piece by piece as it arrives (on the command's own
// thread) instead of being kept, so the final `Output` has none. Standard error is kept as usual.
std::expected<AsyncCommand, Error> spawn_streaming(const PreparedCommand& command, std::chrono::milliseconds time_limit,
                                                   std::function<void(std::string_view)> on_output);

// Where `program` would be started from: itself when it holds a '/', else the first executable
// match on PATH. Empty when there is none.
std::optional<std::string> find_program(std::string_view program);

namespace testing {
// With false, the kill of a dropped or timed-out child is skipped, as for a child running as
// another user that we may not signal. Tests only.
void deliver_signals(bool deliver);
}  // namespace testing

}  // namespace bounded_command

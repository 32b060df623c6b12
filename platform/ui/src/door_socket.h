#pragma once
// Small pieces of Unix socket plumbing shared by the door and its client: an owning descriptor,
// addresses, and line writes and waits bounded by a deadline.
#include <sys/socket.h>
#include <sys/un.h>

#include <chrono>
#include <expected>
#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

namespace orvo_ui::door {

class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  int get() const { return fd_; }
  explicit operator bool() const { return fd_ >= 0; }
  void reset();

 private:
  int fd_ = -1;
};

using Clock = std::chrono::steady_clock;

// The address of a socket path; an error when the path does not fit.
std::expected<sockaddr_un, std::string> socket_address(const std::filesystem::path& path);

// Milliseconds left until the deadline for poll(): 0 once it has passed, rounded up otherwise.
int millis_until(Clock::time_point deadline);

// Writes the whole text to a non-blocking socket, waiting for room until the deadline. Fails when
// the peer has gone, the deadline passes or `stop_fd` (when not -1) becomes readable.
bool write_all(int fd, std::string_view text, Clock::time_point deadline, int stop_fd = -1);

// Reads the eventfd's count so it stops being readable.
void drain_eventfd(int fd);
// Makes the eventfd readable (wakes whoever polls it).
void signal_eventfd(int fd);

// The text of errno, for messages.
std::string errno_text(int error);

}  // namespace orvo_ui::door

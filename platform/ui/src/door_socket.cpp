#include "door_socket.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace orvo_ui::door {

void UniqueFd::reset() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

std::expected<sockaddr_un, std::string> socket_address(const std::filesystem::path& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string& text = path.native();
  if (text.empty() || text.size() >= sizeof(address.sun_path)) {
    return std::unexpected("socket path is too long for a Unix socket (" + std::to_string(text.size()) +
                           " bytes, at most " + std::to_string(sizeof(address.sun_path) - 1) + "): " + text);
  }
  std::memcpy(address.sun_path, text.data(), text.size());
  return address;
}

int millis_until(Clock::time_point deadline) {
  auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  auto millis = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return millis > 1'000'000'000 ? 1'000'000'000 : static_cast<int>(millis);
}

bool write_all(int fd, std::string_view text, Clock::time_point deadline, int stop_fd) {
  while (!text.empty()) {
    ssize_t sent = ::send(fd, text.data(), text.size(), MSG_NOSIGNAL);
    if (sent > 0) {
      text.remove_prefix(static_cast<std::size_t>(sent));
      continue;
    }
    if (sent < 0 && errno == EINTR) continue;
    if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) return false;
    pollfd fds[2] = {{fd, POLLOUT, 0}, {stop_fd, POLLIN, 0}};
    int ready = ::poll(fds, stop_fd >= 0 ? 2 : 1, millis_until(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    if (stop_fd >= 0 && (fds[1].revents & POLLIN)) return false;
    if (fds[0].revents & (POLLERR | POLLHUP)) return false;
  }
  return true;
}

void drain_eventfd(int fd) {
  eventfd_t value = 0;
  (void)::eventfd_read(fd, &value);
}

void signal_eventfd(int fd) { (void)::eventfd_write(fd, 1); }

std::string errno_text(int error) { return std::error_code(error, std::generic_category()).message(); }

}  // namespace orvo_ui::door

#include "orvo_ui/action_door_client.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include "door_socket.h"

namespace orvo_ui::door {
namespace {

// Trees are large but not this large; a longer answer is a broken peer.
constexpr std::size_t kMaxAnswerBytes = 64u << 20;

ClientError failed(std::string message) { return {ClientError::Kind::Failed, std::move(message)}; }

}  // namespace

std::expected<std::string, ClientError> exchange(const std::filesystem::path& socket, std::string_view request,
                                                 std::chrono::milliseconds limit) {
  const auto deadline = Clock::now() + limit;
  auto address = socket_address(socket);
  if (!address) return std::unexpected(failed(address.error()));
  UniqueFd fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!fd) return std::unexpected(failed("could not create a socket: " + errno_text(errno)));
  if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&*address), sizeof(*address)) != 0) {
    const int error = errno;
    if (error == ENOENT || error == ECONNREFUSED) {
      return std::unexpected(ClientError{ClientError::Kind::NoApplication,
                                         "no running application answers at " + socket.native()});
    }
    return std::unexpected(failed("could not connect to " + socket.native() + ": " + errno_text(error)));
  }
  // Non-blocking from here on, so every step honours the deadline.
  if (int flags = ::fcntl(fd.get(), F_GETFL); flags >= 0) (void)::fcntl(fd.get(), F_SETFL, flags | O_NONBLOCK);

  // A refused request (too long, say) may be answered before it was all sent: the answer still
  // counts, so a failed write only ends the exchange when no answer follows.
  (void)write_all(fd.get(), std::string(request) + "\n", deadline);
  (void)::shutdown(fd.get(), SHUT_WR);

  std::string answer;
  char chunk[4096];
  while (true) {
    if (auto newline = answer.find('\n'); newline != std::string::npos) return answer.substr(0, newline);
    if (answer.size() > kMaxAnswerBytes) return std::unexpected(failed("the answer is too long"));
    pollfd pfd{fd.get(), POLLIN, 0};
    int ready = ::poll(&pfd, 1, millis_until(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) {
      return std::unexpected(failed("no answer within " + std::to_string(limit.count()) + " ms"));
    }
    if (ready < 0) return std::unexpected(failed("could not wait for the answer: " + errno_text(errno)));
    ssize_t got = ::recv(fd.get(), chunk, sizeof chunk, 0);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (got < 0) return std::unexpected(failed("the application broke off the exchange: " + errno_text(errno)));
    if (got == 0) {
      if (!answer.empty()) return answer;
      return std::unexpected(failed("the application closed the connection without an answer"));
    }
    answer.append(chunk, static_cast<std::size_t>(got));
  }
}

}  // namespace orvo_ui::door

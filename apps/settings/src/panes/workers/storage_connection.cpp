#include <errno.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <system_error>

#include "orvo_runtime/system_paths.h"
#include "panes/workers/storage_workers.h"

namespace settings::panes::workers {
namespace {

std::string system_error_text(int error) { return std::error_code(error, std::system_category()).message(); }

timeval as_timeval(std::chrono::milliseconds limit) {
  const auto millis = std::max<std::chrono::milliseconds::rep>(limit.count(), 1);
  return timeval{static_cast<time_t>(millis / 1000), static_cast<suseconds_t>((millis % 1000) * 1000)};
}

// A send or receive that hit its time limit reports EAGAIN (or EWOULDBLOCK).
std::string transfer_error_text(int error) {
  if (error == EAGAIN || error == EWOULDBLOCK) return std::string(kStorageTimedOut);
  return system_error_text(error);
}

}  // namespace

std::expected<StorageConnection, std::string> StorageConnection::open(const StorageSocketOptions& options) {
  const std::filesystem::path path =
      options.path.empty() ? system_paths::run() / "orvo/fs-storage.sock" : options.path;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::string& text = path.native();
  if (text.size() >= sizeof(address.sun_path)) return std::unexpected(system_error_text(ENAMETOOLONG));
  std::memcpy(address.sun_path, text.c_str(), text.size() + 1);

  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return std::unexpected(system_error_text(errno));
  StorageConnection connection(fd);
  const timeval limit = as_timeval(options.timeout);
  if (::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit) != 0 ||
      ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit) != 0) {
    return std::unexpected(system_error_text(errno));
  }
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return std::unexpected(transfer_error_text(errno));
  }
  return connection;
}

StorageConnection& StorageConnection::operator=(StorageConnection&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = std::exchange(other.fd_, -1);
  }
  return *this;
}

StorageConnection::~StorageConnection() { close(); }

std::expected<void, std::string> StorageConnection::write_all(std::span<const std::byte> bytes) {
  if (fd_ < 0) return std::unexpected(system_error_text(EBADF));
  while (!bytes.empty()) {
    const ssize_t sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent < 0) {
      if (errno == EINTR) continue;
      return std::unexpected(transfer_error_text(errno));
    }
    bytes = bytes.subspan(static_cast<std::size_t>(sent));
  }
  return {};
}

std::expected<std::size_t, std::string> StorageConnection::read_some(std::span<std::byte> buffer) {
  if (fd_ < 0) return std::unexpected(system_error_text(EBADF));
  for (;;) {
    const ssize_t received = ::recv(fd_, buffer.data(), buffer.size(), 0);
    if (received >= 0) return static_cast<std::size_t>(received);
    if (errno == EINTR) continue;
    return std::unexpected(transfer_error_text(errno));
  }
}

void StorageConnection::finish_sending() {
  if (fd_ >= 0) ::shutdown(fd_, SHUT_WR);
}

void StorageConnection::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace settings::panes::workers

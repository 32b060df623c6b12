#include "orvo_runtime/capped_read.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace orvo_runtime {

std::expected<std::string, IoError> read_capped(const std::filesystem::path& path, std::size_t cap) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::unexpected(IoError::from_errno(errno));
  std::string bytes;
  const std::size_t limit = cap + 1;
  char buffer[65536];
  while (bytes.size() < limit) {
    const std::size_t want = std::min(sizeof buffer, limit - bytes.size());
    const ssize_t n = ::read(fd, buffer, want);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      return std::unexpected(IoError::from_errno(error));
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  if (bytes.size() > cap) {
    return std::unexpected(IoError::invalid_data(path.string() + " is larger than " + std::to_string(cap) + " bytes"));
  }
  return bytes;
}

}  // namespace orvo_runtime

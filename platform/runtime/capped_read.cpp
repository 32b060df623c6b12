#include "orvo_runtime/capped_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <string_view>

namespace orvo_runtime {
namespace {

constexpr std::string_view kNotRegular = "not a regular file";

// Why a file of this type is not read; none for a regular file.
std::optional<IoError> refuse_type(mode_t mode) {
  if (S_ISREG(mode)) return std::nullopt;
  if (S_ISDIR(mode)) return IoError::from_errno(EISDIR);
  return IoError::invalid_data(std::string(kNotRegular));
}

}  // namespace

std::expected<std::string, IoError> read_capped(const std::filesystem::path& path, std::size_t cap) {
  // Looked at before opening, since opening some devices already does something; checked again on
  // the open descriptor in case the path changed in between.
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return std::unexpected(IoError::from_errno(errno));
  if (auto refused = refuse_type(info.st_mode)) return std::unexpected(std::move(*refused));
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return std::unexpected(IoError::from_errno(errno));
  if (::fstat(fd, &info) != 0) {
    const int error = errno;
    ::close(fd);
    return std::unexpected(IoError::from_errno(error));
  }
  if (auto refused = refuse_type(info.st_mode)) {
    ::close(fd);
    return std::unexpected(std::move(*refused));
  }
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
    return std::unexpected(IoError::invalid_data("the file is larger than " + std::to_string(cap) + " bytes"));
  }
  return bytes;
}

}  // namespace orvo_runtime

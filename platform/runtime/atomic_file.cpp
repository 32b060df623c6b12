#include "orvo_runtime/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include <fmt/format.h>

namespace atomic_file {
namespace {

std::string failure(std::string_view what, const std::filesystem::path& path, int err) {
  return fmt::format("could not {} {}: {}", what, path.string(), std::strerror(err));
}

bool write_all(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

std::string temporary_name(const std::filesystem::path& target) {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  return fmt::format(".{}.tmp-{:016x}", target.filename().string(), generator());
}

}  // namespace

std::expected<void, std::string> write(const std::filesystem::path& path, std::string_view bytes, mode_t mode) {
  if (path.filename().empty()) return std::unexpected(fmt::format("could not write {}: not a file path", path.string()));
  const auto directory = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
  const auto temporary = directory / temporary_name(path);

  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return std::unexpected(failure("create a temporary file for", path, errno));
  auto abandon = [&](std::string_view what) {
    const int err = errno;
    ::close(fd);
    ::unlink(temporary.c_str());
    return std::unexpected(failure(what, path, err));
  };
  if (::fchmod(fd, mode) != 0) return abandon("set the mode of");
  if (!write_all(fd, bytes)) return abandon("write");
  if (::fsync(fd) != 0) return abandon("flush");
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temporary.c_str());
    return std::unexpected(failure("write", path, err));
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) {
    const int err = errno;
    ::unlink(temporary.c_str());
    return std::unexpected(failure("replace", path, err));
  }
  const int dir_fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd < 0) return std::unexpected(failure("flush the directory of", path, errno));
  const int synced = ::fsync(dir_fd);
  const int err = errno;
  ::close(dir_fd);
  if (synced != 0) return std::unexpected(failure("flush the directory of", path, err));
  return {};
}

std::expected<std::optional<std::string>, std::string> read_existing(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::optional<std::string>{};
    return std::unexpected(failure("read", path, errno));
  }
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      return std::unexpected(failure("read", path, err));
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return std::optional<std::string>{std::move(bytes)};
}

}  // namespace atomic_file

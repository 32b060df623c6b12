#include "orvo_runtime/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <random>

#include <fmt/format.h>

#include "orvo_log/log.h"
#include "orvo_runtime/capped_read.h"

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

constexpr mode_t kPrivateDirectoryMode = 0700;
// Temporaries named before they carried their writer's process id cannot be traced to a writer;
// no write takes this long, so one that old was left by a writer that stopped.
constexpr auto kUntracedTemporaryAge = std::chrono::minutes(10);

std::string temporary_prefix(const std::filesystem::path& target) {
  return fmt::format(".{}.tmp-", target.filename().string());
}

std::string temporary_name(const std::filesystem::path& target) {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  return fmt::format("{}{}-{:016x}", temporary_prefix(target), ::getpid(), generator());
}

bool is_hex(std::string_view text) { return text.find_first_not_of("0123456789abcdef") == std::string_view::npos; }

// Whether a temporary whose name ends in `suffix` (after the target's prefix) belongs to no running
// writer: "<pid>-<16 hex>" of a process that is gone, or an untraced "<16 hex>" that is old.
bool is_stale_temporary(std::string_view suffix, const std::filesystem::path& file) {
  if (suffix.size() == 16 && is_hex(suffix)) {
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(file, ec);
    return !ec && std::filesystem::file_time_type::clock::now() - written > kUntracedTemporaryAge;
  }
  const auto dash = suffix.find('-');
  if (dash == std::string_view::npos || suffix.size() - dash - 1 != 16 || !is_hex(suffix.substr(dash + 1))) return false;
  pid_t pid = 0;
  const auto digits = suffix.substr(0, dash);
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
  if (error != std::errc() || end != digits.data() + digits.size() || pid <= 0 || pid == ::getpid()) return false;
  return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Removes what writers of `target` that were killed left behind; a failure only leaves them there.
void remove_stale_temporaries(const std::filesystem::path& directory, const std::filesystem::path& target) {
  const std::string prefix = temporary_prefix(target);
  std::error_code ec;
  for (std::filesystem::directory_iterator it(directory, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (!name.starts_with(prefix)) continue;
    if (!is_stale_temporary(std::string_view(name).substr(prefix.size()), it->path())) continue;
    if (::unlink(it->path().c_str()) == 0) {
      orvo_log::info("removed a temporary file left by an interrupted write", {{"path", it->path().string()}});
    }
  }
}

// A file that exists keeps a stricter mode than the one asked for.
mode_t mode_for(const std::filesystem::path& target, mode_t requested) {
  struct stat info {};
  if (::stat(target.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return requested;
  return requested & info.st_mode & 07777;
}

// After a rename or unlink: make the directory entry durable. The change itself has happened, so a
// failure here is only logged.
void flush_directory(const std::filesystem::path& directory, const std::filesystem::path& path) {
  const int dir_fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  int err = errno;
  int synced = -1;
  if (dir_fd >= 0) {
    synced = ::fsync(dir_fd);
    err = errno;
    ::close(dir_fd);
  }
  if (synced != 0) orvo_log::warn("could not flush directory", {{"path", path.string()}, {"error", std::strerror(err)}});
}

}  // namespace

std::filesystem::path write_target(const std::filesystem::path& path) {
  std::filesystem::path target = path;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(target, ec)) break;
    auto next = std::filesystem::read_symlink(target, ec);
    if (ec) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

std::error_code create_private_directories(const std::filesystem::path& directory) {
  std::filesystem::path partial;
  for (const auto& part : directory) {
    partial /= part;
    if (partial == partial.root_path() || part == "." || part == "..") continue;
    if (::mkdir(partial.c_str(), kPrivateDirectoryMode) == 0) {
      // The umask may have taken bits away; the directory is the owner's to use.
      if (::chmod(partial.c_str(), kPrivateDirectoryMode) != 0) return {errno, std::generic_category()};
      continue;
    }
    if (errno != EEXIST) return {errno, std::generic_category()};
    std::error_code ec;
    if (!std::filesystem::is_directory(partial, ec)) return std::make_error_code(std::errc::not_a_directory);
  }
  return {};
}

std::expected<void, std::string> write(const std::filesystem::path& path, std::string_view bytes, mode_t requested) {
  if (path.filename().empty()) return std::unexpected(fmt::format("could not write {}: not a file path", path.string()));
  const auto target = write_target(path);
  const auto directory = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  remove_stale_temporaries(directory, target);
  const auto temporary = directory / temporary_name(target);
  const mode_t mode = mode_for(target, requested);

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
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(temporary.c_str());
    return std::unexpected(failure("replace", path, err));
  }
  flush_directory(directory, path);
  return {};
}

std::expected<void, std::string> write_creating_parent_with_mode(const std::filesystem::path& path,
                                                                 std::string_view bytes, mode_t mode) {
  if (path.has_parent_path()) {
    if (const auto ec = create_private_directories(path.parent_path())) {
      return std::unexpected(
          fmt::format("could not create the directory {}: {}", path.parent_path().string(), ec.message()));
    }
  }
  return write(path, bytes, mode);
}

std::expected<void, std::string> remove(const std::filesystem::path& path) {
  if (::unlink(path.c_str()) != 0) {
    if (errno == ENOENT) return {};
    return std::unexpected(failure("remove", path, errno));
  }
  flush_directory(path.has_parent_path() ? path.parent_path() : std::filesystem::path("."), path);
  return {};
}

std::expected<std::optional<std::string>, std::string> read_existing(const std::filesystem::path& path,
                                                                     std::size_t cap) {
  auto bytes = orvo_runtime::read_capped(path, cap);
  if (bytes) return std::optional<std::string>{std::move(*bytes)};
  if (bytes.error().kind == orvo_runtime::IoErrorKind::NotFound) return std::optional<std::string>{};
  return std::unexpected(fmt::format("could not read {}: {}", path.string(), bytes.error().text));
}

}  // namespace atomic_file

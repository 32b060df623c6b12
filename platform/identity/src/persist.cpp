#include "orvo_identity/persist.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "orvo_runtime/atomic_file.h"

namespace orvo_user_identity::persist {
namespace {

struct WipedBuffer {
  std::array<std::uint8_t, kDeviceKeyFileSize + 1> bytes{};
  ~WipedBuffer() { sodium_memzero(bytes.data(), bytes.size()); }
};

}  // namespace

std::expected<DeviceSigningKey, PersistError> read_device_key(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::unexpected(PersistError{std::string("could not read device key pair: ") + std::strerror(errno)});
  WipedBuffer buffer;
  std::size_t size = 0;
  while (size < buffer.bytes.size()) {
    const ssize_t n = ::read(fd, buffer.bytes.data() + size, buffer.bytes.size() - size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int error = errno;
      ::close(fd);
      return std::unexpected(PersistError{std::string("could not read device key pair: ") + std::strerror(error)});
    }
    if (n == 0) break;
    size += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (size != kDeviceKeyFileSize) {
    const std::string found = size > kDeviceKeyFileSize ? "more than 64" : std::to_string(size);
    return std::unexpected(PersistError{"device key pair has " + found + " bytes, expected 64"});
  }
  Seed seed(std::span<const std::uint8_t, 32>(buffer.bytes.data(), 32));
  PublicKey stored;
  std::copy(buffer.bytes.begin() + 32, buffer.bytes.begin() + 64, stored.bytes.begin());
  if (ed25519::public_key(seed) != stored) return std::unexpected(PersistError{"device key pair is damaged"});
  return DeviceSigningKey(std::move(seed), stored);
}

std::expected<void, PersistError> write_device_key(const std::filesystem::path& path, const Seed& seed) {
  const auto parent = path.parent_path();
  std::error_code ec;
  if (!parent.empty() && !std::filesystem::exists(parent, ec)) {
    std::filesystem::create_directories(parent, ec);
    if (ec) return std::unexpected(PersistError{"could not create " + parent.string() + ": " + ec.message()});
    ::chmod(parent.c_str(), 0700);
  }
  const PublicKey key = ed25519::public_key(seed);
  WipedBuffer buffer;
  std::copy(seed.view().begin(), seed.view().end(), buffer.bytes.begin());
  std::copy(key.bytes.begin(), key.bytes.end(), buffer.bytes.begin() + 32);
  const std::string_view bytes(reinterpret_cast<const char*>(buffer.bytes.data()), kDeviceKeyFileSize);
  auto written = atomic_file::write(path, bytes, 0600);
  if (!written) return std::unexpected(PersistError{written.error()});
  return {};
}

}  // namespace orvo_user_identity::persist

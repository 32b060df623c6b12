#include "account_probe/check_environment.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <array>

namespace settings::account_probe {

std::expected<std::vector<SocketAddress>, std::string> resolve_with_system(const std::string& host,
                                                                         std::uint16_t port) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const int status = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (status != 0) return std::unexpected(std::string(::gai_strerror(status)));
  std::vector<SocketAddress> addresses;
  for (const addrinfo* entry = found; entry != nullptr; entry = entry->ai_next) {
    std::array<char, INET6_ADDRSTRLEN> text{};
    const void* raw = nullptr;
    if (entry->ai_family == AF_INET) raw = &reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
    if (entry->ai_family == AF_INET6) raw = &reinterpret_cast<const sockaddr_in6*>(entry->ai_addr)->sin6_addr;
    if (raw == nullptr || ::inet_ntop(entry->ai_family, raw, text.data(), text.size()) == nullptr) continue;
    addresses.push_back(SocketAddress{text.data(), port});
  }
  ::freeaddrinfo(found);
  return addresses;
}

}  // namespace settings::account_probe

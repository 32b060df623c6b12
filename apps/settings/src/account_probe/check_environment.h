#pragma once
// What the account server check takes from its surroundings: the trusted roots, the name resolver
// and the time and size limits. The defaults are the real ones; tests put in a throw-away CA, a
// scripted resolver and short limits.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <expected>
#include <functional>
#include <string>
#include <vector>

#include "orvo_net/trusted_roots.h"

namespace settings::account_probe {

struct CheckLimits {
  // Each step of the IMAP sign-in has a limit of its own; the connection limit covers every
  // connection attempt together.
  std::chrono::milliseconds name_resolution{8000};
  std::chrono::milliseconds connection{8000};
  std::chrono::milliseconds tls_handshake{8000};
  std::chrono::milliseconds greeting{8000};
  std::chrono::milliseconds login{8000};
  std::chrono::milliseconds logout{8000};
  // The WebDAV request as a whole, and its connection phase.
  std::chrono::milliseconds http_request{8000};
  std::chrono::milliseconds http_connect{8000};
  // Longest IMAP response line kept in memory; a longer one counts as unreadable.
  std::size_t max_response_line = 64 * 1024;
};

struct SocketAddress {
  std::string ip;  // an IPv4 or IPv6 literal
  std::uint16_t port = 0;
};

// The addresses of a host in resolver order, or the resolver's error text.
using NameResolver =
    std::function<std::expected<std::vector<SocketAddress>, std::string>(const std::string& host, std::uint16_t port)>;

// The system resolver (getaddrinfo), addresses in the order it gives them.
std::expected<std::vector<SocketAddress>, std::string> resolve_with_system(const std::string& host, std::uint16_t port);

struct CheckEnvironment {
  std::function<orvo_net::TrustedRoots()> trusted_roots = [] { return orvo_net::system_roots(); };
  // Called on a helper thread: it must own what it uses (capture by value).
  NameResolver resolve = resolve_with_system;
  CheckLimits limits;
};

}  // namespace settings::account_probe

#pragma once
// TLS client configuration: TLS 1.2 or later, the peer's certificate chain verified against a
// given root set. The host-name check is per connection (`apply_server_name`).
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "orvo_net/trusted_roots.h"

// OpenSSL's handle types, declared so that this header needs no OpenSSL include.
struct ssl_ctx_st;
struct ssl_st;

namespace orvo_net {

struct TlsError {
  std::string text;
};

class TlsClientConfig {
 public:
  // The OpenSSL context; it lives as long as any copy of this configuration.
  ssl_ctx_st* native_handle() const { return ctx_.get(); }

 private:
  friend std::expected<TlsClientConfig, TlsError> client_config_with_roots(const TrustedRoots&);
  explicit TlsClientConfig(std::shared_ptr<ssl_ctx_st> ctx) : ctx_(std::move(ctx)) {}
  std::shared_ptr<ssl_ctx_st> ctx_;
};

// Fails when the roots hold no usable certificate or OpenSSL refuses the settings.
std::expected<TlsClientConfig, TlsError> client_config_with_roots(const TrustedRoots& roots);

// The name a client expects in the server's certificate: a DNS name or an IP address literal.
class ServerName {
 public:
  enum class Kind { Dns, IpAddress };
  // A DNS name (labels of letters, digits, '-' and '_', 1 to 63 bytes each, 253 in all, an
  // optional final dot) or an IPv4/IPv6 literal (without brackets). None otherwise.
  static std::optional<ServerName> parse(std::string_view host);

  Kind kind() const { return kind_; }
  const std::string& text() const { return text_; }

 private:
  ServerName(Kind kind, std::string text) : kind_(kind), text_(std::move(text)) {}
  Kind kind_;
  std::string text_;
};

// Sets the name on one connection: sent as SNI when it is a DNS name, and required to match the
// certificate (DNS name or IP address entry) during the handshake.
std::expected<void, TlsError> apply_server_name(ssl_st* ssl, const ServerName& name);

}  // namespace orvo_net

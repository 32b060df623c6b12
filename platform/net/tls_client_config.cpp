#include "orvo_net/tls_client_config.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <array>
#include <cctype>

namespace orvo_net {
namespace {

std::string openssl_error_text(std::string_view fallback) {
  const unsigned long code = ERR_get_error();
  ERR_clear_error();
  if (code == 0) return std::string(fallback);
  std::array<char, 256> buffer{};
  ERR_error_string_n(code, buffer.data(), buffer.size());
  return buffer.data();
}

// Adds every certificate of the PEM text to the store; returns how many were added.
int add_pem_certificates(X509_STORE* store, const std::string& pem) {
  BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
  if (bio == nullptr) return 0;
  STACK_OF(X509_INFO)* infos = PEM_X509_INFO_read_bio(bio, nullptr, nullptr, nullptr);
  BIO_free(bio);
  if (infos == nullptr) return 0;
  int added = 0;
  for (int i = 0; i < sk_X509_INFO_num(infos); ++i) {
    X509_INFO* info = sk_X509_INFO_value(infos, i);
    if (info->x509 != nullptr && X509_STORE_add_cert(store, info->x509) == 1) ++added;
  }
  sk_X509_INFO_pop_free(infos, X509_INFO_free);
  ERR_clear_error();  // duplicates in a bundle are reported as errors; they are harmless
  return added;
}

bool is_dns_label_char(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_';
}

bool is_dns_name(std::string_view name) {
  if (!name.empty() && name.back() == '.') name.remove_suffix(1);
  if (name.empty() || name.size() > 253) return false;
  std::size_t start = 0;
  while (start <= name.size()) {
    const std::size_t dot = std::min(name.find('.', start), name.size());
    const std::string_view label = name.substr(start, dot - start);
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
    for (char c : label) {
      if (!is_dns_label_char(c)) return false;
    }
    start = dot + 1;
  }
  return true;
}

}  // namespace

std::expected<TlsClientConfig, TlsError> client_config_with_roots(const TrustedRoots& roots) {
  ERR_clear_error();
  std::shared_ptr<SSL_CTX> ctx(SSL_CTX_new(TLS_client_method()), SSL_CTX_free);
  if (!ctx) return std::unexpected(TlsError{openssl_error_text("could not create the TLS context")});
  if (SSL_CTX_set_min_proto_version(ctx.get(), TLS1_2_VERSION) != 1) {
    return std::unexpected(TlsError{openssl_error_text("could not require TLS 1.2 or later")});
  }
  X509_STORE* store = X509_STORE_new();
  if (store == nullptr) return std::unexpected(TlsError{openssl_error_text("could not create the root store")});
  if (add_pem_certificates(store, roots.pem()) == 0) {
    X509_STORE_free(store);
    return std::unexpected(TlsError{"no trusted root certificate"});
  }
  SSL_CTX_set_cert_store(ctx.get(), store);  // the context owns the store from here on
  SSL_CTX_set_verify(ctx.get(), SSL_VERIFY_PEER, nullptr);
  return TlsClientConfig(std::move(ctx));
}

std::optional<ServerName> ServerName::parse(std::string_view host) {
  const std::string text(host);
  std::array<unsigned char, 16> bytes{};
  if (inet_pton(AF_INET, text.c_str(), bytes.data()) == 1 || inet_pton(AF_INET6, text.c_str(), bytes.data()) == 1) {
    return ServerName(Kind::IpAddress, text);
  }
  if (!is_dns_name(host)) return std::nullopt;
  return ServerName(Kind::Dns, std::string(host));
}

std::expected<void, TlsError> apply_server_name(ssl_st* ssl, const ServerName& name) {
  ERR_clear_error();
  if (name.kind() == ServerName::Kind::IpAddress) {
    if (X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), name.text().c_str()) != 1) {
      return std::unexpected(TlsError{openssl_error_text("could not set the expected IP address")});
    }
    return {};
  }
  std::string host = name.text();
  if (!host.empty() && host.back() == '.') host.pop_back();
  if (SSL_set_tlsext_host_name(ssl, host.c_str()) != 1) {
    return std::unexpected(TlsError{openssl_error_text("could not set the server name")});
  }
  SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
  if (SSL_set1_host(ssl, host.c_str()) != 1) {
    return std::unexpected(TlsError{openssl_error_text("could not set the expected host name")});
  }
  return {};
}

}  // namespace orvo_net

#pragma once
// The root certificates a TLS client trusts, kept as a PEM bundle so that both the OpenSSL
// connections and the HTTP client can use the same set.
#include <filesystem>
#include <string>

namespace orvo_net {

class TrustedRoots {
 public:
  TrustedRoots() = default;
  // Any text holding zero or more PEM certificates; other text between them is ignored.
  static TrustedRoots from_pem(std::string pem);

  const std::string& pem() const { return pem_; }
  bool empty() const { return pem_.empty(); }

 private:
  std::string pem_;
};

// The system's trusted roots: the bundle named by SSL_CERT_FILE when set, else OpenSSL's default
// bundle file. An unreadable bundle gives an empty set, which no TLS configuration accepts.
TrustedRoots system_roots();
// The roots in one bundle file; empty when the file cannot be read.
TrustedRoots roots_from_file(const std::filesystem::path& bundle);

}  // namespace orvo_net

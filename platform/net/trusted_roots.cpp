#include "orvo_net/trusted_roots.h"

#include <openssl/x509.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace orvo_net {

TrustedRoots TrustedRoots::from_pem(std::string pem) {
  TrustedRoots roots;
  roots.pem_ = std::move(pem);
  return roots;
}

TrustedRoots roots_from_file(const std::filesystem::path& bundle) {
  std::ifstream in(bundle, std::ios::binary);
  if (!in) return {};
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return {};
  return TrustedRoots::from_pem(std::move(text));
}

TrustedRoots system_roots() {
  const char* from_env = std::getenv(X509_get_default_cert_file_env());
  if (from_env != nullptr && *from_env != '\0') return roots_from_file(from_env);
  return roots_from_file(X509_get_default_cert_file());
}

}  // namespace orvo_net

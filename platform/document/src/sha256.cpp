#include "sha256.h"

#include <openssl/evp.h>

#include <cstdio>
#include <cstdlib>

namespace orvo_doc {
namespace {

// SHA-256 is built into every OpenSSL; failing here means a broken installation, and a document
// that cannot name its changes cannot keep its history honest.
void require(bool ok) {
  if (ok) return;
  std::fputs("orvo_doc: SHA-256 from OpenSSL failed\n", stderr);
  std::abort();
}

}  // namespace

Sha256::Sha256() : ctx_(EVP_MD_CTX_new()) { require(ctx_ && EVP_DigestInit_ex(ctx_, EVP_sha256(), nullptr) == 1); }

Sha256::~Sha256() { EVP_MD_CTX_free(ctx_); }

Sha256::Sha256(const Sha256& other) : ctx_(EVP_MD_CTX_new()) {
  require(ctx_ && EVP_MD_CTX_copy_ex(ctx_, other.ctx_) == 1);
}

void Sha256::update(std::string_view bytes) { require(EVP_DigestUpdate(ctx_, bytes.data(), bytes.size()) == 1); }

ChangeHash Sha256::finish() {
  ChangeHash hash;
  unsigned int length = 0;
  require(EVP_DigestFinal_ex(ctx_, hash.bytes.data(), &length) == 1 && length == hash.bytes.size());
  return hash;
}

}  // namespace orvo_doc

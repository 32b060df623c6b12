#pragma once
// An incremental SHA-256 over OpenSSL's EVP interface; copyable so that a cloned document can
// carry its open transaction along.
#include "orvo_doc/change_hash.h"

#include <string_view>

struct evp_md_ctx_st;

namespace orvo_doc {

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256& other);
  Sha256& operator=(const Sha256&) = delete;

  void update(std::string_view bytes);
  ChangeHash finish();

 private:
  evp_md_ctx_st* ctx_;
};

}  // namespace orvo_doc

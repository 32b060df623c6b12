#include "orvo_net_test/test_ca.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <atomic>
#include <stdexcept>

namespace orvo_net_test {
namespace {

struct KeyDeleter {
  void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
struct CertDeleter {
  void operator()(X509* cert) const { X509_free(cert); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyDeleter>;
using CertPtr = std::unique_ptr<X509, CertDeleter>;

void require(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("test CA: ") + what);
}

KeyPtr new_key() {
  KeyPtr key(EVP_EC_gen("P-256"));
  require(key != nullptr, "key generation failed");
  return key;
}

void add_extension(X509* cert, X509* issuer, int nid, const std::string& value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
  require(ext != nullptr, "bad extension");
  X509_add_ext(cert, ext, -1);
  X509_EXTENSION_free(ext);
}

CertPtr new_certificate(EVP_PKEY* subject_key, const std::string& common_name, X509* issuer) {
  static std::atomic<long> serial{1};
  CertPtr cert(X509_new());
  require(cert != nullptr, "X509_new failed");
  X509_set_version(cert.get(), 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), serial++);
  X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert.get()), 86400);
  X509_set_pubkey(cert.get(), subject_key);
  X509_NAME* name = X509_get_subject_name(cert.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8, reinterpret_cast<const unsigned char*>(common_name.c_str()),
                             -1, -1, 0);
  X509_set_issuer_name(cert.get(), issuer != nullptr ? X509_get_subject_name(issuer) : name);
  return cert;
}

std::string certificate_to_pem(X509* cert) {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_X509(bio, cert);
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio, &data);
  std::string pem(data, static_cast<std::size_t>(size));
  BIO_free(bio);
  return pem;
}

std::string key_to_pem(EVP_PKEY* key) {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
  char* data = nullptr;
  const long size = BIO_get_mem_data(bio, &data);
  std::string pem(data, static_cast<std::size_t>(size));
  BIO_free(bio);
  return pem;
}

}  // namespace

struct TestCa::Keys {
  KeyPtr key;
  CertPtr certificate;
};

TestCa::TestCa(const std::string& common_name) : keys_(std::make_unique<Keys>()) {
  keys_->key = new_key();
  keys_->certificate = new_certificate(keys_->key.get(), common_name, nullptr);
  X509* cert = keys_->certificate.get();
  add_extension(cert, cert, NID_basic_constraints, "critical,CA:TRUE");
  add_extension(cert, cert, NID_key_usage, "critical,keyCertSign,cRLSign");
  add_extension(cert, cert, NID_subject_key_identifier, "hash");
  require(X509_sign(cert, keys_->key.get(), EVP_sha256()) > 0, "CA signing failed");
  certificate_pem_ = certificate_to_pem(cert);
}

TestCa::~TestCa() = default;

TestCertificate TestCa::issue(const std::vector<std::string>& dns_names,
                              const std::vector<std::string>& ip_addresses) const {
  KeyPtr key = new_key();
  const std::string common_name = dns_names.empty() ? "test server" : dns_names.front();
  CertPtr cert = new_certificate(key.get(), common_name, keys_->certificate.get());
  std::string names;
  for (const auto& dns : dns_names) names += (names.empty() ? "DNS:" : ",DNS:") + dns;
  for (const auto& ip : ip_addresses) names += (names.empty() ? "IP:" : ",IP:") + ip;
  X509* issuer = keys_->certificate.get();
  add_extension(cert.get(), issuer, NID_basic_constraints, "critical,CA:FALSE");
  add_extension(cert.get(), issuer, NID_ext_key_usage, "serverAuth");
  add_extension(cert.get(), issuer, NID_authority_key_identifier, "keyid:always");
  if (!names.empty()) add_extension(cert.get(), issuer, NID_subject_alt_name, names);
  require(X509_sign(cert.get(), keys_->key.get(), EVP_sha256()) > 0, "certificate signing failed");
  return TestCertificate{certificate_to_pem(cert.get()), key_to_pem(key.get())};
}

}  // namespace orvo_net_test

#pragma once
// A throw-away certificate authority for tests: an EC P-256 key and a self-signed CA certificate
// made in memory, which issues server certificates for the names a test needs.
#include <memory>
#include <string>
#include <vector>

namespace orvo_net_test {

struct TestCertificate {
  std::string certificate_pem;
  std::string private_key_pem;
};

class TestCa {
 public:
  explicit TestCa(const std::string& common_name = "Throw-away Test CA");
  ~TestCa();
  TestCa(const TestCa&) = delete;
  TestCa& operator=(const TestCa&) = delete;

  // The CA certificate, to be trusted by the client under test.
  const std::string& certificate_pem() const { return certificate_pem_; }
  // A server certificate with these DNS names and IP addresses as subject alternative names.
  TestCertificate issue(const std::vector<std::string>& dns_names, const std::vector<std::string>& ip_addresses) const;

 private:
  struct Keys;
  std::unique_ptr<Keys> keys_;
  std::string certificate_pem_;
};

}  // namespace orvo_net_test

#pragma once
// Accounts and check environments for the account server check tests.
#include <chrono>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "account_probe/account_check.h"
#include "orvo_net_test/test_ca.h"

namespace settings::account_probe {

inline void PrintTo(const AccountCheckOutcome& outcome, std::ostream* out) {
  *out << (outcome.succeeded() ? "success(\"" : "failure(\"") << outcome.message << "\")";
}

}  // namespace settings::account_probe

namespace account_probe_test {

using settings::account_probe::CheckEnvironment;
using settings::account_probe::NameResolver;
using settings::account_probe::SocketAddress;

inline accounts::Account account(std::string type_id, nlohmann::ordered_json config) {
  accounts::Account result;
  result.id = "acct-1";
  result.type_id = std::move(type_id);
  result.config = std::move(config);
  return result;
}

// Short limits, so that a test of a limit takes a fraction of a second; the others stay generous.
inline CheckEnvironment environment_trusting(const orvo_net_test::TestCa& ca) {
  using namespace std::chrono_literals;
  CheckEnvironment environment;
  environment.trusted_roots = [pem = ca.certificate_pem()] { return orvo_net::TrustedRoots::from_pem(pem); };
  environment.limits.name_resolution = 5s;
  environment.limits.connection = 5s;
  environment.limits.tls_handshake = 5s;
  environment.limits.greeting = 5s;
  environment.limits.login = 5s;
  environment.limits.logout = 5s;
  environment.limits.http_request = 5s;
  environment.limits.http_connect = 5s;
  return environment;
}

// A resolver that records what it was asked and answers from a script.
struct RecordingResolver {
  struct Log {
    std::mutex mutex;
    std::vector<std::pair<std::string, std::uint16_t>> queries;
  };
  std::shared_ptr<Log> log = std::make_shared<Log>();

  NameResolver answering(std::expected<std::vector<SocketAddress>, std::string> answer) const {
    return [log = log, answer](const std::string& host, std::uint16_t port) {
      const std::lock_guard lock(log->mutex);
      log->queries.emplace_back(host, port);
      return answer;
    };
  }
  std::vector<std::pair<std::string, std::uint16_t>> queries() const {
    const std::lock_guard lock(log->mutex);
    return log->queries;
  }
};

}  // namespace account_probe_test

// The WebDAV check against scripted HTTPS servers on 127.0.0.1 with certificates of a throw-away CA.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <mutex>

#include "account_probe/account_check.h"
#include "orvo_net_test/test_server.h"
#include "probe_test_support.h"

namespace {

using namespace account_probe_test;
using namespace std::chrono_literals;
using nlohmann::ordered_json;
using orvo_net_test::TestConnection;
using orvo_net_test::TestServer;
using settings::account_probe::AccountCheckOutcome;
using settings::account_probe::check_account_servers;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using Secret = orvo_secret::SecretString;

const AccountCheckOutcome kAccepted = AccountCheckOutcome::success("Server accepted the signed-in DAV request");

// Answers every request with one fixed reply and keeps the requests, readable once stopped.
struct DavServer {
  DavServer(const orvo_net_test::TestCertificate& certificate, std::string reply)
      : server(certificate, [this, reply](TestConnection& connection) {
          while (auto request = connection.read_http_request()) {
            requests.push_back(*request);
            connection.write(reply);
          }
        }) {}
  std::string url(const std::string& path = "/remote.php/dav/") const {
    return "https://localhost:" + std::to_string(server.port()) + path;
  }
  std::vector<std::string> requests;
  TestServer server;
};

class WebDavCheck : public ::testing::Test {
 protected:
  WebDavCheck() : environment_(environment_trusting(ca_)) {}

  AccountCheckOutcome check(const std::string& type, const std::string& url, const char* password = "s3cret") {
    const char* url_key = type == "webdav" ? "base_url" : "server_url";
    return check_account_servers(account(type, {{url_key, url}, {"username", "ada"}}), Secret(password), environment_);
  }

  orvo_net_test::TestCa ca_;
  orvo_net_test::TestCertificate localhost_ = ca_.issue({"localhost"}, {"127.0.0.1"});
  CheckEnvironment environment_;
};

TEST_F(WebDavCheck, SendsTheExactPropfindRequest) {
  DavServer dav(localhost_, "HTTP/1.1 207 Multi-Status\r\nContent-Type: application/xml\r\nContent-Length: 9\r\n\r\n<x>ok</x>");
  EXPECT_EQ(check("nextcloud", dav.url()), kAccepted);
  dav.server.stop();
  ASSERT_EQ(dav.requests.size(), 1u);
  const std::string expected_head =
      "PROPFIND /remote.php/dav/ HTTP/1.1\r\n"
      "Host: localhost:" + std::to_string(dav.server.port()) + "\r\n"
      "Accept: */*\r\n"
      "Authorization: Basic YWRhOnMzY3JldA==\r\n"  // ada:s3cret
      "Depth: 0\r\n"
      "Content-Type: application/xml; charset=utf-8\r\n"
      "Content-Length: 112\r\n"
      "\r\n";
  const std::string expected_body =
      R"(<?xml version="1.0" encoding="utf-8"?><D:propfind xmlns:D="DAV:"><D:prop><D:resourcetype/></D:prop></D:propfind>)";
  EXPECT_EQ(dav.requests[0], expected_head + expected_body);
}

struct StatusCase {
  const char* status_line;
  AccountCheckOutcome expected;
};

TEST_F(WebDavCheck, TheStatusAloneDecides) {
  const StatusCase cases[] = {
      {"200 OK", kAccepted},
      {"207 Multi-Status", kAccepted},
      {"299 Odd", kAccepted},
      {"401 Unauthorized", AccountCheckOutcome::failure("server rejected the saved credential")},
      {"403 Forbidden", AccountCheckOutcome::failure("server returned HTTP 403")},
      {"301 Moved Permanently", AccountCheckOutcome::failure("server returned HTTP 301")},
      {"302 Found", AccountCheckOutcome::failure("server returned HTTP 302")},
      {"404 Not Found", AccountCheckOutcome::failure("server returned HTTP 404")},
      {"500 Internal Server Error", AccountCheckOutcome::failure("server returned HTTP 500")},
  };
  for (const auto& c : cases) {
    DavServer dav(localhost_, std::string("HTTP/1.1 ") + c.status_line +
                                  "\r\nLocation: /elsewhere/\r\nWWW-Authenticate: Basic realm=\"x\"\r\n"
                                  "Content-Length: 5\r\n\r\nhello");
    EXPECT_EQ(check("webdav", dav.url()), c.expected) << c.status_line;
    dav.server.stop();
    EXPECT_EQ(dav.requests.size(), 1u) << c.status_line << ": a redirect or a challenge is never followed";
  }
}

TEST_F(WebDavCheck, AnEmptyPasswordStillSendsTheRequest) {
  DavServer dav(localhost_, "HTTP/1.1 207 Multi-Status\r\nContent-Length: 0\r\n\r\n");
  EXPECT_EQ(check("caldav", dav.url("/cal/"), ""), kAccepted);
  dav.server.stop();
  ASSERT_EQ(dav.requests.size(), 1u);
  EXPECT_THAT(dav.requests[0], HasSubstr("\r\nAuthorization: Basic YWRhOg==\r\n"));  // ada:
}

TEST_F(WebDavCheck, TransportFailuresCarryTheLibraryText) {
  const auto refused = check("webdav", "https://127.0.0.1:" + std::to_string(orvo_net_test::closed_port()) + "/");
  EXPECT_FALSE(refused.succeeded());
  EXPECT_THAT(refused.message, StartsWith("connection failed: "));
  EXPECT_THAT(refused.message, HasSubstr("onnect"));

  const orvo_net_test::TestCa stranger;
  DavServer untrusted(stranger.issue({"localhost"}, {}), "HTTP/1.1 207 Multi-Status\r\nContent-Length: 0\r\n\r\n");
  const auto outcome = check("webdav", untrusted.url());
  EXPECT_THAT(outcome.message, StartsWith("connection failed: "));
  EXPECT_THAT(outcome.message, HasSubstr("certificate"));

  DavServer misnamed(ca_.issue({"dav.elsewhere.example"}, {}), "HTTP/1.1 207 Multi-Status\r\nContent-Length: 0\r\n\r\n");
  EXPECT_THAT(check("webdav", misnamed.url()).message, StartsWith("connection failed: "));
  untrusted.server.stop();
  misnamed.server.stop();
  EXPECT_TRUE(untrusted.requests.empty() && misnamed.requests.empty());  // the credential never left
}

TEST_F(WebDavCheck, ASilentServerRunsIntoTheRequestLimit) {
  environment_.limits.http_request = 300ms;
  TestServer silent(localhost_, [](TestConnection& connection) { connection.wait_for_hangup(); });
  const auto outcome = check("webdav", "https://localhost:" + std::to_string(silent.port()) + "/");
  EXPECT_THAT(outcome.message, StartsWith("connection failed: "));
  EXPECT_THAT(outcome.message, HasSubstr("timed out"));
}

TEST_F(WebDavCheck, AnUnansweredConnectionRunsIntoTheConnectLimit) {
  environment_.limits.http_connect = 300ms;
  const orvo_net_test::UnansweredPort unanswered;
  const auto start = std::chrono::steady_clock::now();
  const auto outcome = check("webdav", "https://127.0.0.1:" + std::to_string(unanswered.port()) + "/");
  EXPECT_THAT(outcome.message, StartsWith("connection failed: "));
  EXPECT_THAT(outcome.message, ::testing::ContainsRegex("[Tt]ime"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

TEST_F(WebDavCheck, NoUsableRootsMeansNoClient) {
  environment_.trusted_roots = [] { return orvo_net::TrustedRoots{}; };
  EXPECT_EQ(check("webdav", "https://localhost:1/"),
            AccountCheckOutcome::failure("could not initialize the secure HTTP client"));
}

TEST_F(WebDavCheck, ConcurrentChecksAreIndependent) {
  DavServer accepted(localhost_, "HTTP/1.1 207 Multi-Status\r\nContent-Length: 0\r\n\r\n");
  DavServer rejected(localhost_, "HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n");
  auto first = std::async(std::launch::async, [&] { return check("webdav", accepted.url()); });
  auto second = std::async(std::launch::async, [&] { return check("caldav", rejected.url()); });
  EXPECT_EQ(first.get(), kAccepted);
  EXPECT_EQ(second.get(), AccountCheckOutcome::failure("server rejected the saved credential"));
}

}  // namespace

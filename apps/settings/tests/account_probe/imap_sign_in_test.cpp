// The IMAP sign-in against scripted servers on 127.0.0.1 with certificates of a throw-away CA.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>

#include "account_probe/account_check.h"
#include "account_probe/imap_sign_in.h"
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
using Secret = orvo_secret::SecretString;
using Clock = std::chrono::steady_clock;

const AccountCheckOutcome kSignedIn = AccountCheckOutcome::success("IMAP sign-in succeeded");
const AccountCheckOutcome kBadGreeting = AccountCheckOutcome::failure("server did not provide a valid IMAP greeting");
const AccountCheckOutcome kClosed = AccountCheckOutcome::failure("IMAP server closed the connection unexpectedly");
const AccountCheckOutcome kRejected = AccountCheckOutcome::failure("IMAP server rejected the saved credential");
const AccountCheckOutcome kNoAnswer = AccountCheckOutcome::failure("IMAP server did not answer before the timeout");
const AccountCheckOutcome kNoTls = AccountCheckOutcome::failure("could not establish the secure IMAP connection");

// What one scripted IMAP server does. An absent reply means: stay silent until the client hangs up.
struct ImapScript {
  std::optional<std::string> greeting = "* OK [CAPABILITY IMAP4rev1] ready\r\n";
  std::optional<std::string> login_reply = "A1 OK LOGIN completed\r\n";
  std::optional<std::string> logout_reply = "* BYE logging out\r\nA2 OK LOGOUT completed\r\n";
  bool close_after_greeting = false;
  bool close_after_login = false;
};

// The lines the server received, readable once the server has stopped.
struct Transcript {
  std::vector<std::string> lines;
};

TestServer::Handler imap_server(ImapScript script, Transcript* transcript) {
  return [script, transcript](TestConnection& connection) {
    if (!script.greeting) return connection.wait_for_hangup();
    connection.write(*script.greeting);
    if (script.close_after_greeting) return;
    const auto login = connection.read_line();
    if (!login) return;
    transcript->lines.push_back(*login);
    if (script.close_after_login) return;
    if (!script.login_reply) return connection.wait_for_hangup();
    connection.write(*script.login_reply);
    const auto logout = connection.read_line();
    if (!logout) return;
    transcript->lines.push_back(*logout);
    if (!script.logout_reply) return connection.wait_for_hangup();
    connection.write(*script.logout_reply);
  };
}

class ImapSignIn : public ::testing::Test {
 protected:
  ImapSignIn() : environment_(environment_trusting(ca_)) {}

  AccountCheckOutcome check(const std::string& host, std::uint16_t port, ordered_json extra = ordered_json::object(),
                            const char* password = "secret") {
    ordered_json config = {{"imap_host", host}, {"imap_port", port}, {"username", "ada"}};
    config.update(extra);
    return check_account_servers(account("email", config), Secret(password), environment_);
  }

  AccountCheckOutcome run_script(ImapScript script, Transcript* transcript = nullptr) {
    Transcript ignored;
    TestServer server(localhost_, imap_server(std::move(script), transcript != nullptr ? transcript : &ignored));
    const AccountCheckOutcome outcome = check("127.0.0.1", server.port());
    server.stop();
    return outcome;
  }

  orvo_net_test::TestCa ca_;
  orvo_net_test::TestCertificate localhost_ = ca_.issue({"localhost"}, {"127.0.0.1"});
  CheckEnvironment environment_;
};

TEST_F(ImapSignIn, SignsInWithQuotedArgumentsAndSignsOut) {
  for (const std::string host : {"127.0.0.1", "localhost", " localhost\t"}) {
    Transcript transcript;
    TestServer server(localhost_, imap_server({}, &transcript));
    const AccountCheckOutcome outcome =
        check(host, server.port(), {{"username", " ad\"a\\ \n"}}, "  p\xc3\xa4ss \"word\"\\ ");
    server.stop();
    EXPECT_EQ(outcome, kSignedIn) << host;
    EXPECT_THAT(transcript.lines,
                ::testing::ElementsAre(R"(A1 LOGIN "ad\"a\\" "p)" "\xc3\xa4" R"(ss \"word\"\\")", "A2 LOGOUT"))
        << host;
  }
}

TEST_F(ImapSignIn, TheAddressSignsInWhenTheUserNameIsBlank) {
  Transcript transcript;
  TestServer server(localhost_, imap_server({}, &transcript));
  EXPECT_EQ(check("127.0.0.1", server.port(), {{"username", "   "}, {"email", "ada@example.org"}}), kSignedIn);
  server.stop();
  ASSERT_FALSE(transcript.lines.empty());
  EXPECT_EQ(transcript.lines[0], R"(A1 LOGIN "ada@example.org" "secret")");
}

struct GreetingCase {
  const char* name;
  std::optional<std::string> greeting;
  AccountCheckOutcome expected;
  bool then_close = false;
};

TEST_F(ImapSignIn, OnlyAnUntaggedOkGreetingIsAccepted) {
  environment_.limits.greeting = 300ms;
  const GreetingCase cases[] = {
      {"OK", "* OK ready\r\n", kSignedIn},
      {"ok in lower case, no text", "* ok\r\n", kSignedIn},
      {"PREAUTH", "* PREAUTH already signed in\r\n", kBadGreeting},
      {"BYE", "* BYE too busy\r\n", kBadGreeting},
      {"tagged OK", "A1 OK hello\r\n", kBadGreeting},
      {"OK glued to text", "* OKAY\r\n", kBadGreeting},
      {"continuation", "+ go ahead\r\n", kBadGreeting},
      {"garbage", "HTTP/1.1 400 Bad Request\r\n", kBadGreeting},
      {"line longer than the cap", "* OK " + std::string(70 * 1024, 'x') + "\r\n", kBadGreeting},
      {"closed before a full line", "* OK rea", kClosed, true},
      {"closed at once", "", kClosed, true},
      {"silent", std::nullopt, AccountCheckOutcome::failure("IMAP server response timed out")},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(run_script({.greeting = c.greeting, .close_after_greeting = c.then_close}), c.expected) << c.name;
  }
}

struct LoginCase {
  const char* name;
  ImapScript script;
  AccountCheckOutcome expected;
};

TEST_F(ImapSignIn, TheLoginAnswerDecides) {
  environment_.limits.login = 300ms;
  const LoginCase cases[] = {
      {"NO", {.login_reply = "A1 NO [AUTHENTICATIONFAILED] Invalid credentials\r\n"}, kRejected},
      {"BAD", {.login_reply = "A1 BAD command unknown\r\n"}, kRejected},
      {"untagged lines first", {.login_reply = "* CAPABILITY IMAP4rev1 IDLE\r\n* OK still here\r\nA1 OK done\r\n"},
       kSignedIn},
      {"closed after LOGIN", {.close_after_login = true}, kClosed},
      {"untagged BYE, then silence", {.login_reply = "* BYE going away\r\n"}, kNoAnswer},
      {"unknown status", {.login_reply = "A1 MAYBE\r\n"}, kClosed},
      {"continuation request", {.login_reply = "+ more please\r\n"}, kClosed},
      {"endless untagged line", {.login_reply = "* " + std::string(70 * 1024, 'x')}, kClosed},
      {"silent", {.login_reply = std::nullopt}, kNoAnswer},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(run_script(c.script), c.expected) << c.name;
  }
}

TEST_F(ImapSignIn, AServerThatSaysByeAndClosesAfterLoginClosedUnexpectedly) {
  TestServer server(localhost_, [](TestConnection& connection) {
    connection.write("* OK ready\r\n");
    connection.read_line();
    connection.write("* BYE shutting down\r\n");
  });
  EXPECT_EQ(check("127.0.0.1", server.port()), kClosed);
}

TEST_F(ImapSignIn, LogoutNeverAnsweredStillSucceedsAfterItsLimit) {
  environment_.limits.logout = 400ms;
  Transcript transcript;
  const auto start = Clock::now();
  EXPECT_EQ(run_script({.logout_reply = std::nullopt}, &transcript), kSignedIn);
  EXPECT_GE(Clock::now() - start, 400ms);
  EXPECT_THAT(transcript.lines, ::testing::Contains("A2 LOGOUT"));

  ImapScript hang_up_at_logout;
  hang_up_at_logout.logout_reply = "";
  EXPECT_EQ(run_script(hang_up_at_logout), kSignedIn);
}

TEST_F(ImapSignIn, UntrustedOrMisnamedCertificatesAreRefused) {
  const orvo_net_test::TestCa stranger;
  Transcript transcript;
  {
    TestServer server(stranger.issue({"localhost"}, {"127.0.0.1"}), imap_server({}, &transcript));
    EXPECT_EQ(check("localhost", server.port()), kNoTls);
  }
  {
    TestServer server(ca_.issue({"imap.elsewhere.example"}, {"127.0.0.2"}), imap_server({}, &transcript));
    EXPECT_EQ(check("localhost", server.port()), kNoTls);
    EXPECT_EQ(check("127.0.0.1", server.port()), kNoTls);
  }
  EXPECT_TRUE(transcript.lines.empty());  // no credential ever reached a server
}

TEST_F(ImapSignIn, APeerThatNeverSpeaksTlsRunsIntoTheHandshakeLimit) {
  environment_.limits.tls_handshake = 300ms;
  TestServer silent([](TestConnection& connection) { connection.wait_for_hangup(); });
  EXPECT_EQ(check("127.0.0.1", silent.port()), kNoAnswer);

  TestServer cleartext([](TestConnection& connection) {
    connection.write("* OK cleartext IMAP\r\n");
    connection.wait_for_hangup();
  });
  EXPECT_EQ(check("127.0.0.1", cleartext.port()), kNoTls);
}

TEST_F(ImapSignIn, RefusedConnectionsNameTheHostPortAndLastError) {
  const std::uint16_t port = orvo_net_test::closed_port();
  EXPECT_EQ(check("127.0.0.1", port),
            AccountCheckOutcome::failure("could not reach 127.0.0.1:" + std::to_string(port) + ": Connection refused"));
}

TEST_F(ImapSignIn, TriesEveryAddressInResolverOrder) {
  Transcript transcript;
  TestServer server(localhost_, imap_server({}, &transcript));
  RecordingResolver resolver;
  environment_.resolve = resolver.answering(std::vector<SocketAddress>{
      {"::1", orvo_net_test::closed_port()}, {"127.0.0.1", orvo_net_test::closed_port()}, {"127.0.0.1", server.port()}});
  EXPECT_EQ(check("localhost", 993), kSignedIn);
  EXPECT_EQ(resolver.queries(), (std::vector<std::pair<std::string, std::uint16_t>>{{"localhost", 993}}));
}

TEST_F(ImapSignIn, ConnectingHasOneLimitForAllAttempts) {
  environment_.limits.connection = 300ms;
  const orvo_net_test::UnansweredPort unanswered;
  Transcript transcript;
  TestServer server(localhost_, imap_server({}, &transcript));
  // The first address uses up the limit, so the working second one is never tried.
  environment_.resolve = RecordingResolver().answering(
      std::vector<SocketAddress>{{"127.0.0.1", unanswered.port()}, {"127.0.0.1", server.port()}});
  const auto start = Clock::now();
  EXPECT_EQ(check("localhost", 993),
            AccountCheckOutcome::failure("could not reach localhost:993: connection timed out"));
  EXPECT_LT(Clock::now() - start, 2s);
  server.stop();
  EXPECT_TRUE(transcript.lines.empty());

  environment_.limits.connection = 0ms;
  EXPECT_EQ(check("127.0.0.1", 993),
            AccountCheckOutcome::failure("could not reach 127.0.0.1:993: connection timed out"));
}

TEST_F(ImapSignIn, NameResolutionFailuresHaveTheirOwnSentences) {
  RecordingResolver resolver;
  environment_.resolve = resolver.answering(std::unexpected(std::string("Name or service not known")));
  EXPECT_EQ(check("imap.example.org", 993), AccountCheckOutcome::failure("server name could not be resolved"));

  environment_.resolve = resolver.answering(std::vector<SocketAddress>{});
  EXPECT_EQ(check("imap.example.org", 993), AccountCheckOutcome::failure("server name returned no address"));

  environment_.limits.name_resolution = 200ms;
  environment_.resolve = [](const std::string&, std::uint16_t) {
    std::this_thread::sleep_for(1s);
    return std::expected<std::vector<SocketAddress>, std::string>(std::vector<SocketAddress>{});
  };
  const auto start = Clock::now();
  EXPECT_EQ(check("imap.example.org", 993), AccountCheckOutcome::failure("server name resolution timed out"));
  EXPECT_LT(Clock::now() - start, 900ms);
}

TEST(ImapQuoting, EscapesQuoteAndBackslashAndRefusesLineBreaks) {
  Secret quoted;
  EXPECT_TRUE(settings::account_probe::append_imap_quoted(quoted, R"(a"b\c d)"));
  EXPECT_EQ(quoted.view(), R"("a\"b\\c d")");
  for (const char* refused : {"a\rb", "a\nb", "\r\n"}) {
    Secret out;
    EXPECT_FALSE(settings::account_probe::append_imap_quoted(out, refused)) << refused;
  }
}

TEST_F(ImapSignIn, NoFileDescriptorsLeftMeansTheProbeCannotStart) {
  // In a child process without room for a single new descriptor, the I/O context cannot be made.
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the sanitizers' own memory checks need file descriptors, which this test takes away";
#endif
  int result_pipe[2];
  ASSERT_EQ(::pipe(result_pipe), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(result_pipe[0]);
    const rlimit none{0, 0};
    ::setrlimit(RLIMIT_NOFILE, &none);
    const AccountCheckOutcome outcome = check("127.0.0.1", 993);
    [[maybe_unused]] auto written = ::write(result_pipe[1], outcome.message.data(), outcome.message.size());
    ::_exit(outcome.succeeded() ? 1 : 0);
  }
  ::close(result_pipe[1]);
  std::string message;
  char chunk[256];
  for (ssize_t got; (got = ::read(result_pipe[0], chunk, sizeof chunk)) > 0;) message.append(chunk, got);
  ::close(result_pipe[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(message, "could not start the IMAP probe");
}

}  // namespace

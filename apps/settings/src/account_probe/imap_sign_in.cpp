// The IMAP sign-in over Boost.Asio and OpenSSL. This is the only file of the application that
// includes Asio: it is expensive to compile, so no Asio type appears in any header.
//
// Each step starts one asynchronous operation and runs the single-threaded I/O context until the
// operation completes or the step's deadline passes. On a deadline the socket is closed, which
// ends the pending operation with "aborted", and the context is drained before the step returns;
// every failure ends the exchange at once and drops the connection without a LOGOUT.
#include "account_probe/imap_sign_in.h"

#include <openssl/ssl.h>
#include <pthread.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/read_until.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/write.hpp>
#include <fmt/format.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "account_probe/imap_response.h"

namespace settings::account_probe {
namespace {

namespace asio = boost::asio;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;
using boost::system::error_code;

constexpr std::string_view kLoginTag = "A1";
constexpr std::string_view kLogoutTag = "A2";

AccountCheckOutcome fail(std::string message) { return AccountCheckOutcome::failure(std::move(message)); }

// Name resolution may block inside the C library for longer than any limit, so it runs on a
// helper thread of its own. When the limit passes the helper is left to finish alone: it owns
// copies of everything it touches.
struct Resolution {
  std::mutex mutex;
  std::condition_variable done_signal;
  bool done = false;
  std::expected<std::vector<SocketAddress>, std::string> result;
};

std::optional<std::expected<std::vector<SocketAddress>, std::string>> resolve_within(
    const NameResolver& resolve, const std::string& host, std::uint16_t port, std::chrono::milliseconds limit) {
  auto shared = std::make_shared<Resolution>();
  std::thread([shared, resolve, host, port] {
    pthread_setname_np(pthread_self(), "account-resolve");  // a naming failure changes nothing
    auto result = resolve(host, port);
    const std::lock_guard lock(shared->mutex);
    shared->result = std::move(result);
    shared->done = true;
    shared->done_signal.notify_one();
  }).detach();
  std::unique_lock lock(shared->mutex);
  if (!shared->done_signal.wait_for(lock, limit, [&] { return shared->done; })) return std::nullopt;
  return std::move(shared->result);
}

enum class Step { Completed, TimedOut };

enum class ReadResult { Line, TimedOut, Ended, Unreadable };

class ImapSession {
 public:
  ImapSession(asio::io_context& io, asio::ssl::context& tls, std::size_t max_line)
      : io_(io), stream_(io, tls), max_line_(max_line) {}

  // Connects to the first address that accepts within the deadline. The error text is the last
  // failure, or "connection timed out".
  std::optional<std::string> connect(const std::vector<SocketAddress>& addresses, Clock::time_point deadline) {
    std::string last_error = "connection timed out";
    for (const SocketAddress& address : addresses) {
      if (Clock::now() >= deadline) break;
      error_code ec;
      const asio::ip::address ip = asio::ip::make_address(address.ip, ec);
      if (ec) {
        last_error = ec.message();
        continue;
      }
      const tcp::endpoint endpoint(ip, address.port);
      tcp::socket& socket = stream_.next_layer();
      socket.close(ec);
      const Step step = run(deadline, [&](auto handler) { socket.async_connect(endpoint, handler); }, ec);
      if (step == Step::TimedOut) {
        last_error = "connection timed out";
        continue;
      }
      if (!ec) return std::nullopt;
      last_error = ec.message();
    }
    return last_error;
  }

  SSL* native_handle() { return stream_.native_handle(); }

  Step handshake(Clock::time_point deadline, error_code& ec) {
    return run(deadline, [&](auto handler) { stream_.async_handshake(asio::ssl::stream_base::client, handler); }, ec);
  }

  Step write(std::string_view bytes, Clock::time_point deadline, error_code& ec) {
    return run(deadline, [&](auto handler) {
      asio::async_write(stream_, asio::buffer(bytes.data(), bytes.size()),
                        [handler](error_code e, std::size_t) { handler(e); });
    }, ec);
  }

  // One response line without its CR LF.
  ReadResult read_line(Clock::time_point deadline, std::string& line) {
    error_code ec;
    std::size_t length = 0;
    const Step step = run(deadline, [&](auto handler) {
      asio::async_read_until(stream_, asio::dynamic_buffer(buffer_, max_line_), "\r\n",
                             [handler, &length](error_code e, std::size_t n) {
                               length = n;
                               handler(e);
                             });
    }, ec);
    if (step == Step::TimedOut) return ReadResult::TimedOut;
    if (ec == asio::error::eof || ec == asio::ssl::error::stream_truncated || ec == asio::error::connection_reset ||
        ec == asio::error::connection_aborted) {
      return ReadResult::Ended;
    }
    if (ec) return ReadResult::Unreadable;
    line.assign(buffer_, 0, length - 2);
    buffer_.erase(0, length);
    return ReadResult::Line;
  }

 private:
  // Starts one operation (its completion handler takes an error code) and runs the context until
  // it completes or the deadline passes.
  template <typename Start>
  Step run(Clock::time_point deadline, Start start, error_code& ec) {
    bool completed = false;
    start([&completed, &ec](error_code e) {
      completed = true;
      ec = e;
    });
    io_.restart();
    io_.run_until(deadline);
    if (completed) return Step::Completed;
    error_code ignored;
    stream_.next_layer().close(ignored);
    io_.restart();
    io_.run();
    return Step::TimedOut;
  }

  asio::io_context& io_;
  asio::ssl::stream<tcp::socket> stream_;
  std::size_t max_line_;
  std::string buffer_;
};

// Reads until the answer tagged with `tag` arrives; untagged lines before it are skipped.
std::optional<ResponseKind> read_tagged(ImapSession& session, std::string_view tag, Clock::time_point deadline,
                                        ReadResult& failure) {
  std::string line;
  for (;;) {
    failure = session.read_line(deadline, line);
    if (failure != ReadResult::Line) return std::nullopt;
    const ResponseKind kind = classify_response(line, tag);
    if (kind != ResponseKind::Untagged) return kind;
  }
}

AccountCheckOutcome greet_and_sign_in(ImapSession& session, const ImapProbeInput& input, const CheckLimits& limits) {
  std::string greeting;
  switch (session.read_line(Clock::now() + limits.greeting, greeting)) {
    case ReadResult::TimedOut:
      return fail("IMAP server response timed out");
    case ReadResult::Ended:
      return fail("IMAP server closed the connection unexpectedly");
    case ReadResult::Unreadable:
      return fail("server did not provide a valid IMAP greeting");
    case ReadResult::Line:
      break;
  }
  if (!is_ok_greeting(greeting)) return fail("server did not provide a valid IMAP greeting");

  orvo_secret::SecretString command;
  command.append(kLoginTag);
  command.append(" LOGIN ");
  const bool quoted = append_imap_quoted(command, input.login);
  command.append(' ');
  if (!quoted || !append_imap_quoted(command, input.password.view())) {
    return fail("login contains unsupported control characters");
  }
  command.append("\r\n");

  const Clock::time_point login_deadline = Clock::now() + limits.login;
  error_code ec;
  if (session.write(command.view(), login_deadline, ec) == Step::TimedOut) {
    return fail("IMAP server did not answer before the timeout");
  }
  command.clear();
  if (ec) return fail("IMAP server closed the connection unexpectedly");
  ReadResult failure = ReadResult::Line;
  const std::optional<ResponseKind> status = read_tagged(session, kLoginTag, login_deadline, failure);
  if (!status) {
    if (failure == ReadResult::TimedOut) return fail("IMAP server did not answer before the timeout");
    return fail("IMAP server closed the connection unexpectedly");
  }
  if (*status == ResponseKind::TaggedNo || *status == ResponseKind::TaggedBad) {
    return fail("IMAP server rejected the saved credential");
  }
  if (*status != ResponseKind::TaggedOk) return fail("IMAP server closed the connection unexpectedly");

  // Signing out is a courtesy: whatever happens, the sign-in has succeeded.
  const Clock::time_point logout_deadline = Clock::now() + limits.logout;
  const std::string logout = fmt::format("{} LOGOUT\r\n", kLogoutTag);
  if (session.write(logout, logout_deadline, ec) == Step::Completed && !ec) {
    read_tagged(session, kLogoutTag, logout_deadline, failure);
  }
  return AccountCheckOutcome::success("IMAP sign-in succeeded");
}

AccountCheckOutcome run_probe(asio::io_context& io, const ImapProbeInput& input, const CheckEnvironment& environment) {
  const CheckLimits& limits = environment.limits;

  const auto resolved = resolve_within(environment.resolve, input.host, input.port, limits.name_resolution);
  if (!resolved) return fail("server name resolution timed out");
  if (!*resolved) return fail("server name could not be resolved");
  if ((*resolved)->empty()) return fail("server name returned no address");

  // Asio takes ownership of the handle it is given, so it gets a reference of its own.
  SSL_CTX* native = input.tls.native_handle();
  SSL_CTX_up_ref(native);
  asio::ssl::context tls(native);
  ImapSession session(io, tls, limits.max_response_line);

  if (const auto error = session.connect(**resolved, Clock::now() + limits.connection)) {
    return fail(fmt::format("could not reach {}:{}: {}", input.host, input.port, *error));
  }

  if (!orvo_net::apply_server_name(session.native_handle(), input.server_name)) {
    return fail("could not establish the secure IMAP connection");
  }
  error_code ec;
  if (session.handshake(Clock::now() + limits.tls_handshake, ec) == Step::TimedOut) {
    return fail("IMAP server did not answer before the timeout");
  }
  if (ec) return fail("could not establish the secure IMAP connection");

  return greet_and_sign_in(session, input, limits);
}

}  // namespace

bool append_imap_quoted(orvo_secret::SecretString& out, std::string_view text) {
  if (text.find_first_of("\r\n") != std::string_view::npos) return false;
  out.append('"');
  for (char c : text) {
    if (c == '\\' || c == '"') out.append('\\');
    out.append(c);
  }
  out.append('"');
  return true;
}

AccountCheckOutcome probe_account(const ImapProbeInput& input, const CheckEnvironment& environment) {
  std::optional<asio::io_context> io;
  try {
    io.emplace(1);
    // Asio makes its reactor (epoll) when the first socket is made: do it now, so that a runtime
    // that cannot start is told apart from a connection that failed.
    const tcp::socket reactor_user(*io);
  } catch (const std::exception&) {
    return fail("could not start the IMAP probe");
  }
  try {
    return run_probe(*io, input, environment);
  } catch (const std::exception&) {
    // Asio reports a failure to allocate an OpenSSL object by throwing.
    return fail("IMAP server closed the connection unexpectedly");
  }
}

}  // namespace settings::account_probe

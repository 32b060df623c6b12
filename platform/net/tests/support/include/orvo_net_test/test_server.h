#pragma once
// A scripted server on 127.0.0.1 (port 0) for tests: it accepts connections one after another on
// its own thread, speaks TLS with a given certificate (or plain TCP), and hands each connection to
// the test's handler. A handler that waits for the client to hang up never outlives the test.
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "orvo_net_test/test_ca.h"

namespace orvo_net_test {

class TestConnection {
 public:
  // One line without its CR LF; none when the client hung up first.
  std::optional<std::string> read_line();
  // An HTTP request: the head and a body of Content-Length bytes, exactly as received.
  std::optional<std::string> read_http_request();
  void write(std::string_view bytes);
  // Reads and drops everything until the client hangs up.
  void wait_for_hangup();

 private:
  friend class TestServer;
  TestConnection(int fd, void* ssl) : fd_(fd), ssl_(ssl) {}
  bool fill();
  int fd_;
  void* ssl_;  // SSL*, none for plain TCP
  std::string buffer_;
};

class TestServer {
 public:
  using Handler = std::function<void(TestConnection&)>;
  enum class Transport { Tls, PlainTcp };

  // A TLS server presenting this certificate.
  TestServer(const TestCertificate& certificate, Handler handler);
  // A plain TCP server (for a peer that never speaks TLS).
  explicit TestServer(Handler handler);
  ~TestServer();
  TestServer(const TestServer&) = delete;
  TestServer& operator=(const TestServer&) = delete;

  std::uint16_t port() const { return port_; }
  // Stops accepting, ends the connection in progress and waits for the server thread, so that
  // whatever the handler recorded can be read safely.
  void stop();

 private:
  void start(Handler handler);
  void serve(Handler handler);

  void* ctx_ = nullptr;  // SSL_CTX*, none for plain TCP
  int listen_fd_ = -1;
  int wake_fds_[2] = {-1, -1};
  std::atomic<int> active_fd_{-1};
  std::uint16_t port_ = 0;
  std::thread thread_;
};

// A port on 127.0.0.1 where nothing listens (bound, then released).
std::uint16_t closed_port();

// A listening port on 127.0.0.1 whose accept queue is full: a new connection attempt is neither
// accepted nor refused, it just waits.
class UnansweredPort {
 public:
  UnansweredPort();
  ~UnansweredPort();
  UnansweredPort(const UnansweredPort&) = delete;
  UnansweredPort& operator=(const UnansweredPort&) = delete;
  std::uint16_t port() const { return port_; }

 private:
  int listen_fd_ = -1;
  int filler_fd_ = -1;
  std::uint16_t port_ = 0;
};

}  // namespace orvo_net_test

#include "orvo_net_test/test_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <csignal>
#include <cstdlib>
#include <stdexcept>

namespace orvo_net_test {
namespace {

void require(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("test server: ") + what);
}

int listen_on_loopback(std::uint16_t& port, int backlog = 16) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  require(fd >= 0, "socket failed");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  require(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0, "bind failed");
  require(::listen(fd, backlog) == 0, "listen failed");
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

// Picks HTTP/2 whenever a client offers it. The scripted handlers speak HTTP/1.1 only, so a client
// that is meant to stay on HTTP/1.1 but offers HTTP/2 shows up as a failing test.
int prefer_http2(SSL*, const unsigned char** out, unsigned char* out_length, const unsigned char* in,
                 unsigned int in_length, void*) {
  for (unsigned int i = 0; i < in_length; i += 1u + in[i]) {
    if (in[i] == 2 && i + 3 <= in_length && in[i + 1] == 'h' && in[i + 2] == '2') {
      *out = in + i + 1;
      *out_length = 2;
      return SSL_TLSEXT_ERR_OK;
    }
  }
  return SSL_TLSEXT_ERR_NOACK;
}

SSL_CTX* server_context(const TestCertificate& certificate) {
  SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
  require(ctx != nullptr, "SSL_CTX_new failed");
  BIO* cert_bio = BIO_new_mem_buf(certificate.certificate_pem.data(), static_cast<int>(certificate.certificate_pem.size()));
  X509* cert = PEM_read_bio_X509(cert_bio, nullptr, nullptr, nullptr);
  BIO_free(cert_bio);
  BIO* key_bio = BIO_new_mem_buf(certificate.private_key_pem.data(), static_cast<int>(certificate.private_key_pem.size()));
  EVP_PKEY* key = PEM_read_bio_PrivateKey(key_bio, nullptr, nullptr, nullptr);
  BIO_free(key_bio);
  require(cert != nullptr && key != nullptr, "bad certificate or key");
  require(SSL_CTX_use_certificate(ctx, cert) == 1 && SSL_CTX_use_PrivateKey(ctx, key) == 1, "certificate refused");
  X509_free(cert);
  EVP_PKEY_free(key);
  SSL_CTX_set_alpn_select_cb(ctx, prefer_http2, nullptr);
  return ctx;
}

}  // namespace

bool TestConnection::fill() {
  char chunk[4096];
  int got = 0;
  if (ssl_ != nullptr) {
    got = SSL_read(static_cast<SSL*>(ssl_), chunk, sizeof chunk);
  } else {
    got = static_cast<int>(::recv(fd_, chunk, sizeof chunk, 0));
  }
  if (got <= 0) return false;
  buffer_.append(chunk, static_cast<std::size_t>(got));
  return true;
}

std::optional<std::string> TestConnection::read_line() {
  for (;;) {
    const auto end = buffer_.find("\r\n");
    if (end != std::string::npos) {
      std::string line = buffer_.substr(0, end);
      buffer_.erase(0, end + 2);
      return line;
    }
    if (!fill()) return std::nullopt;
  }
}

std::optional<std::string> TestConnection::read_http_request() {
  std::size_t head_end = std::string::npos;
  while ((head_end = buffer_.find("\r\n\r\n")) == std::string::npos) {
    if (!fill()) return std::nullopt;
  }
  head_end += 4;
  std::size_t body_length = 0;
  const std::string head = buffer_.substr(0, head_end);
  for (std::size_t at = 0; at < head.size();) {
    const std::size_t eol = head.find("\r\n", at);
    const std::string line = head.substr(at, eol - at);
    const std::string lower_prefix = "content-length:";
    if (line.size() > lower_prefix.size()) {
      std::string prefix = line.substr(0, lower_prefix.size());
      for (char& c : prefix) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (prefix == lower_prefix) body_length = std::strtoul(line.c_str() + lower_prefix.size(), nullptr, 10);
    }
    at = eol + 2;
  }
  while (buffer_.size() < head_end + body_length) {
    if (!fill()) return std::nullopt;
  }
  std::string request = buffer_.substr(0, head_end + body_length);
  buffer_.erase(0, head_end + body_length);
  return request;
}

void TestConnection::write(std::string_view bytes) {
  while (!bytes.empty()) {
    int sent = 0;
    if (ssl_ != nullptr) {
      sent = SSL_write(static_cast<SSL*>(ssl_), bytes.data(), static_cast<int>(bytes.size()));
    } else {
      sent = static_cast<int>(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL));
    }
    if (sent <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

void TestConnection::wait_for_hangup() {
  while (fill()) buffer_.clear();
}

TestServer::TestServer(const TestCertificate& certificate, Handler handler) {
  ctx_ = server_context(certificate);
  start(std::move(handler));
}

TestServer::TestServer(Handler handler) { start(std::move(handler)); }

void TestServer::start(Handler handler) {
  std::signal(SIGPIPE, SIG_IGN);  // OpenSSL writes with write(2); a client that hung up must not kill the test
  listen_fd_ = listen_on_loopback(port_);
  require(::pipe2(wake_fds_, O_CLOEXEC) == 0, "pipe failed");
  thread_ = std::thread([this, handler = std::move(handler)] { serve(handler); });
}

void TestServer::serve(Handler handler) {
  for (;;) {
    pollfd fds[2] = {{listen_fd_, POLLIN, 0}, {wake_fds_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents != 0) return;
    const int fd = ::accept4(listen_fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    active_fd_ = fd;
    SSL* ssl = nullptr;
    bool ready = true;
    if (ctx_ != nullptr) {
      ssl = SSL_new(static_cast<SSL_CTX*>(ctx_));
      SSL_set_fd(ssl, fd);
      ready = SSL_accept(ssl) == 1;
      ERR_clear_error();
    }
    if (ready) {
      TestConnection connection(fd, ssl);
      handler(connection);
    }
    if (ssl != nullptr) SSL_free(ssl);
    active_fd_ = -1;
    ::close(fd);
    ERR_clear_error();
  }
}

void TestServer::stop() {
  if (!thread_.joinable()) return;
  const char byte = 1;
  [[maybe_unused]] auto written = ::write(wake_fds_[1], &byte, 1);
  const int active = active_fd_.load();
  if (active >= 0) ::shutdown(active, SHUT_RDWR);
  thread_.join();
}

TestServer::~TestServer() {
  stop();
  if (listen_fd_ >= 0) ::close(listen_fd_);
  for (int fd : wake_fds_) {
    if (fd >= 0) ::close(fd);
  }
  if (ctx_ != nullptr) SSL_CTX_free(static_cast<SSL_CTX*>(ctx_));
}

std::uint16_t closed_port() {
  std::uint16_t port = 0;
  const int fd = listen_on_loopback(port);
  ::close(fd);
  return port;
}

UnansweredPort::UnansweredPort() {
  listen_fd_ = listen_on_loopback(port_, 0);
  // One connection that is never accepted fills the queue of a backlog of 0.
  filler_fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(port_);
  require(::connect(filler_fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0, "filler connect failed");
}

UnansweredPort::~UnansweredPort() {
  ::close(filler_fd_);
  ::close(listen_fd_);
}

}  // namespace orvo_net_test

#pragma once
// A small blocking HTTP client (libcurl underneath): one request at a time on the calling thread,
// HTTP/1.1, TLS 1.2 or later verified against the client's trusted roots, the HTTP and HTTPS
// schemes only. A request gives the status of the final response as soon as its head is in; the
// response body is never read.
#include <chrono>
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "orvo_net/trusted_roots.h"
#include "orvo_secret/secret_string.h"

namespace orvo_net::http {

struct Error {
  std::string text;  // libcurl's own description of the failure
};

struct Response {
  int status = 0;
};

// What a built client applies to every request it sends.
struct ClientSettings {
  TrustedRoots roots;
  std::optional<std::chrono::milliseconds> timeout;          // whole request
  std::optional<std::chrono::milliseconds> connect_timeout;  // connection and TLS handshake
  std::optional<std::string> user_agent;                     // none is sent by default
  bool follow_redirects = true;
};

class Client;

class RequestBuilder {
 public:
  RequestBuilder& header(std::string name, std::string value);
  // "Authorization: Basic base64(user:password)", built in a wiping buffer and never shown.
  RequestBuilder& basic_auth(std::string_view user, const orvo_secret::SecretString& password);
  RequestBuilder& body(std::string body);
  // Sends the request and waits for the response status (or the client's limits).
  std::expected<Response, Error> send() const;

  const std::string& method() const { return method_; }
  const std::string& url() const { return url_; }
  const std::vector<std::pair<std::string, std::string>>& headers() const { return headers_; }
  bool has_authorization() const { return authorization_.has_value(); }
  const std::string& body_text() const { return body_; }

 private:
  friend class Client;
  RequestBuilder(std::shared_ptr<const ClientSettings> client, std::string method, std::string url);

  std::shared_ptr<const ClientSettings> client_;
  std::string method_;
  std::string url_;
  // Header order as sent; the Authorization header is sent first, kept apart so it can be wiped.
  std::vector<std::pair<std::string, std::string>> headers_;
  std::optional<orvo_secret::SecretString> authorization_;
  std::string body_;
};

class Client {
 public:
  RequestBuilder request(std::string method, std::string url) const;

 private:
  friend class ClientBuilder;
  explicit Client(std::shared_ptr<const ClientSettings> settings) : settings_(std::move(settings)) {}
  std::shared_ptr<const ClientSettings> settings_;
};

class ClientBuilder {
 public:
  explicit ClientBuilder(TrustedRoots roots) { settings_.roots = std::move(roots); }
  ClientBuilder& timeout(std::chrono::milliseconds limit);
  ClientBuilder& connect_timeout(std::chrono::milliseconds limit);
  ClientBuilder& user_agent(std::string agent);
  ClientBuilder& follow_redirects(bool follow);
  // Fails when the trusted roots hold no usable certificate or libcurl cannot start.
  std::expected<Client, Error> build() const;

 private:
  ClientSettings settings_;
};

// A builder trusting the system's roots; redirects followed, no time limit until one is set.
ClientBuilder blocking_client();
// The same with the given roots.
ClientBuilder blocking_client(TrustedRoots roots);

}  // namespace orvo_net::http

#pragma once
// A WebDAV client for the account server check: the blocking HTTP client of the platform plus
// the account's credentials, and the PROPFIND request built on it.
#include <chrono>
#include <expected>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "account_probe/propfind.h"
#include "orvo_net/http.h"
#include "orvo_secret/secret_string.h"

namespace settings::account_probe {

struct DavHttpConfig {
  std::chrono::milliseconds request_timeout{8000};
  std::optional<std::chrono::milliseconds> connect_timeout = std::chrono::milliseconds{8000};
  std::optional<std::string> user_agent;  // none: the platform client's default stays
  bool follow_redirects = false;
};

// Shared by the client and every request built from it; never changed after creation. The
// password is wiped when the last holder lets go of it.
struct DavCredentials {
  std::string username;
  orvo_secret::SecretString password;
};

struct DavError {
  std::string text;
};

struct DavClient {
  orvo_net::http::Client http;
  std::shared_ptr<const DavCredentials> credentials;  // none: requests go without authorization
};

// The platform's blocking client with these settings, trusting these roots.
std::expected<orvo_net::http::Client, DavError> dav_http_client(const DavHttpConfig& config,
                                                                orvo_net::TrustedRoots roots);

// PROPFIND on the URL: basic authorization when the client has credentials, "Depth", the XML
// content type and the body of `propfind_body`.
orvo_net::http::RequestBuilder propfind_request(const DavClient& client, const std::string& url, DavDepth depth,
                                                const std::vector<PropfindProperty>& properties);

}  // namespace settings::account_probe

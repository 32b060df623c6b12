#include "account_probe/webdav_check.h"

#include <fmt/format.h>

#include "account_probe/dav_client.h"

namespace settings::account_probe {

AccountCheckOutcome check_webdav_server(const std::string& url, const std::string& username,
                                        orvo_secret::SecretString password, const CheckEnvironment& environment) {
  DavHttpConfig config;
  config.request_timeout = environment.limits.http_request;
  config.connect_timeout = environment.limits.http_connect;
  auto http = dav_http_client(config, environment.trusted_roots());
  if (!http) return AccountCheckOutcome::failure("could not initialize the secure HTTP client");

  DavClient client{std::move(*http),
                   std::make_shared<const DavCredentials>(DavCredentials{username, std::move(password)})};
  const auto reply =
      propfind_request(client, url, DavDepth::Zero, {PropfindProperty{"DAV:", "resourcetype"}}).send();
  if (!reply) return AccountCheckOutcome::failure(fmt::format("connection failed: {}", reply.error().text));
  const int status = reply->status;
  if (status >= 200 && status <= 299) return AccountCheckOutcome::success("Server accepted the signed-in DAV request");
  if (status == 401) return AccountCheckOutcome::failure("server rejected the saved credential");
  return AccountCheckOutcome::failure(fmt::format("server returned HTTP {}", status));
}

}  // namespace settings::account_probe

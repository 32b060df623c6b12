#include "account_probe/dav_client.h"

namespace settings::account_probe {

std::expected<orvo_net::http::Client, DavError> dav_http_client(const DavHttpConfig& config,
                                                                orvo_net::TrustedRoots roots) {
  orvo_net::http::ClientBuilder builder = orvo_net::http::blocking_client(std::move(roots));
  builder.timeout(config.request_timeout);
  if (config.connect_timeout) builder.connect_timeout(*config.connect_timeout);
  if (config.user_agent) builder.user_agent(*config.user_agent);
  builder.follow_redirects(config.follow_redirects);
  auto client = builder.build();
  if (!client) return std::unexpected(DavError{client.error().text});
  return std::move(*client);
}

orvo_net::http::RequestBuilder propfind_request(const DavClient& client, const std::string& url, DavDepth depth,
                                                const std::vector<PropfindProperty>& properties) {
  orvo_net::http::RequestBuilder request = client.http.request("PROPFIND", url);
  if (client.credentials) request.basic_auth(client.credentials->username, client.credentials->password);
  request.header("Depth", std::string(depth_header_value(depth)));
  request.header("Content-Type", "application/xml; charset=utf-8");
  request.body(propfind_body(properties));
  return request;
}

}  // namespace settings::account_probe

#include <curl/curl.h>
#include <sodium.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "orvo_net/http.h"
#include "orvo_net/tls_client_config.h"
#include "orvo_runtime/shared_library.h"

namespace orvo_net::http {
namespace {

// libcurl, and the TLS, Kerberos, LDAP and SSH libraries it pulls in, are loaded with the first
// client rather than when the program starts: most runs never make an HTTP request.
struct Curl {
  decltype(&curl_global_init) global_init = nullptr;
  decltype(&curl_easy_init) easy_init = nullptr;
  decltype(&curl_easy_cleanup) easy_cleanup = nullptr;
  decltype(&curl_easy_setopt) easy_setopt = nullptr;
  decltype(&curl_easy_perform) easy_perform = nullptr;
  decltype(&curl_easy_getinfo) easy_getinfo = nullptr;
  decltype(&curl_easy_strerror) easy_strerror = nullptr;
  decltype(&curl_slist_append) slist_append = nullptr;
  decltype(&curl_slist_free_all) slist_free_all = nullptr;
};

// The loaded and started libcurl, or why it is not there.
const std::expected<Curl, Error>& curl() {
  static const std::expected<Curl, Error> loaded = []() -> std::expected<Curl, Error> {
    auto library = orvo_runtime::SharedLibrary::open("libcurl.so.4");
    if (!library) return std::unexpected(Error{library.error()});
    Curl api;
    const bool bound = library->bind(api.global_init, "curl_global_init") &&
                       library->bind(api.easy_init, "curl_easy_init") &&
                       library->bind(api.easy_cleanup, "curl_easy_cleanup") &&
                       library->bind(api.easy_setopt, "curl_easy_setopt") &&
                       library->bind(api.easy_perform, "curl_easy_perform") &&
                       library->bind(api.easy_getinfo, "curl_easy_getinfo") &&
                       library->bind(api.easy_strerror, "curl_easy_strerror") &&
                       library->bind(api.slist_append, "curl_slist_append") &&
                       library->bind(api.slist_free_all, "curl_slist_free_all");
    if (!bound) return std::unexpected(Error{"libcurl.so.4 lacks a function this program uses"});
    if (api.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return std::unexpected(Error{"could not start libcurl"});
    return api;
  }();
  return loaded;
}

struct EasyDeleter {
  const Curl* api;
  void operator()(CURL* easy) const { api->easy_cleanup(easy); }
};

// A header list whose strings are wiped before they are freed (it may carry a credential).
class WipingHeaderList {
 public:
  explicit WipingHeaderList(const Curl& api) : api_(api) {}
  WipingHeaderList(const WipingHeaderList&) = delete;
  WipingHeaderList& operator=(const WipingHeaderList&) = delete;
  ~WipingHeaderList() {
    for (curl_slist* node = list_; node != nullptr; node = node->next) {
      sodium_memzero(node->data, std::strlen(node->data));
    }
    api_.slist_free_all(list_);
  }
  bool append(const char* line) {
    curl_slist* grown = api_.slist_append(list_, line);
    if (grown == nullptr) return false;
    list_ = grown;
    return true;
  }
  curl_slist* get() const { return list_; }

 private:
  const Curl& api_;
  curl_slist* list_ = nullptr;
};

// The body is never needed: the transfer ends as soon as the head of the final response is in,
// so a server that sends a body slowly, or drops the connection during it, changes nothing.
struct ResponseHead {
  bool follow_redirects = false;
  int status = 0;
  bool complete = false;
};

std::size_t read_head_line(char* data, std::size_t size, std::size_t count, void* user) {
  auto* head = static_cast<ResponseHead*>(user);
  const std::string_view line(data, size * count);
  if (line.starts_with("HTTP/")) {
    const std::size_t space = line.find(' ');
    head->status = space == std::string_view::npos ? 0 : std::atoi(std::string(line.substr(space + 1, 3)).c_str());
    return line.size();
  }
  const bool end_of_head = line == "\r\n" || line == "\n";
  const bool interim = head->status < 200;
  const bool to_be_followed = head->follow_redirects && head->status >= 300 && head->status < 400;
  if (end_of_head && !interim && !to_be_followed) {
    head->complete = true;
    return 0;  // a short count ends the transfer here
  }
  return line.size();
}

// Reached only when a redirect was meant to be followed but could not be (no Location).
std::size_t refuse_body(char*, std::size_t, std::size_t, void* user) {
  static_cast<ResponseHead*>(user)->complete = true;
  return 0;
}

const char kBase64Alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Standard base64 with padding, appended to a wiping buffer.
void append_base64(orvo_secret::SecretString& out, std::string_view in) {
  std::size_t i = 0;
  for (; i + 3 <= in.size(); i += 3) {
    const unsigned v = (static_cast<unsigned char>(in[i]) << 16) | (static_cast<unsigned char>(in[i + 1]) << 8) |
                       static_cast<unsigned char>(in[i + 2]);
    out.append(kBase64Alphabet[(v >> 18) & 63]);
    out.append(kBase64Alphabet[(v >> 12) & 63]);
    out.append(kBase64Alphabet[(v >> 6) & 63]);
    out.append(kBase64Alphabet[v & 63]);
  }
  const std::size_t rest = in.size() - i;
  if (rest == 0) return;
  unsigned v = static_cast<unsigned char>(in[i]) << 16;
  if (rest == 2) v |= static_cast<unsigned char>(in[i + 1]) << 8;
  out.append(kBase64Alphabet[(v >> 18) & 63]);
  out.append(kBase64Alphabet[(v >> 12) & 63]);
  out.append(rest == 2 ? kBase64Alphabet[(v >> 6) & 63] : '=');
  out.append('=');
}

Error curl_error(const Curl& api, CURLcode code, const char* detail) {
  if (detail != nullptr && *detail != '\0') {
    std::string text(detail);
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return Error{text};
  }
  return Error{api.easy_strerror(code)};
}

}  // namespace

RequestBuilder::RequestBuilder(std::shared_ptr<const ClientSettings> client, std::string method, std::string url)
    : client_(std::move(client)), method_(std::move(method)), url_(std::move(url)) {}

RequestBuilder& RequestBuilder::header(std::string name, std::string value) {
  headers_.emplace_back(std::move(name), std::move(value));
  return *this;
}

RequestBuilder& RequestBuilder::basic_auth(std::string_view user, const orvo_secret::SecretString& password) {
  orvo_secret::SecretString pair;
  pair.append(user);
  pair.append(':');
  pair.append(password.view());
  orvo_secret::SecretString line("Authorization: Basic ");
  append_base64(line, pair.view());
  authorization_ = std::move(line);
  return *this;
}

RequestBuilder& RequestBuilder::body(std::string body) {
  body_ = std::move(body);
  return *this;
}

std::expected<Response, Error> RequestBuilder::send() const {
  const auto& loaded = curl();
  if (!loaded) return std::unexpected(loaded.error());
  const Curl& api = *loaded;
  std::unique_ptr<CURL, EasyDeleter> easy(api.easy_init(), EasyDeleter{&api});
  if (!easy) return std::unexpected(Error{"could not create a libcurl handle"});
  CURL* h = easy.get();
  const ClientSettings& settings = *client_;

  WipingHeaderList headers(api);
  bool listed = !authorization_ || headers.append(authorization_->c_str());
  std::string line;
  for (const auto& [name, value] : headers_) {
    line = name + ": " + value;
    listed = listed && headers.append(line.c_str());
  }
  if (!listed) return std::unexpected(Error{"out of memory"});

  char error_text[CURL_ERROR_SIZE] = {};
  curl_blob roots{const_cast<char*>(settings.roots.pem().data()), settings.roots.pem().size(), CURL_BLOB_NOCOPY};
  ResponseHead head{.follow_redirects = settings.follow_redirects};
  api.easy_setopt(h, CURLOPT_ERRORBUFFER, error_text);
  api.easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  api.easy_setopt(h, CURLOPT_URL, url_.c_str());
  api.easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  api.easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  api.easy_setopt(h, CURLOPT_FOLLOWLOCATION, settings.follow_redirects ? 1L : 0L);
  api.easy_setopt(h, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
  // HTTP/1.1 only: over HTTP/2, libcurl 7.88 can drop a response that arrives together with the
  // server's GOAWAY (a server refusing a credential often answers and closes at once).
  api.easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  // Only the client's roots are trusted, never the bundle libcurl was built with.
  api.easy_setopt(h, CURLOPT_CAINFO, nullptr);
  api.easy_setopt(h, CURLOPT_CAPATH, nullptr);
  api.easy_setopt(h, CURLOPT_CAINFO_BLOB, &roots);
  api.easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  api.easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  if (settings.timeout) api.easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(settings.timeout->count()));
  if (settings.connect_timeout) {
    api.easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(settings.connect_timeout->count()));
  }
  if (settings.user_agent) api.easy_setopt(h, CURLOPT_USERAGENT, settings.user_agent->c_str());
  api.easy_setopt(h, CURLOPT_CUSTOMREQUEST, method_.c_str());
  if (!body_.empty()) {
    api.easy_setopt(h, CURLOPT_POSTFIELDS, body_.data());
    api.easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body_.size()));
  } else if (method_ == "HEAD") {
    api.easy_setopt(h, CURLOPT_NOBODY, 1L);
  }
  api.easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  api.easy_setopt(h, CURLOPT_HEADERFUNCTION, read_head_line);
  api.easy_setopt(h, CURLOPT_HEADERDATA, &head);
  api.easy_setopt(h, CURLOPT_WRITEFUNCTION, refuse_body);
  api.easy_setopt(h, CURLOPT_WRITEDATA, &head);

  const CURLcode code = api.easy_perform(h);
  if (head.complete) return Response{head.status};
  if (code != CURLE_OK) return std::unexpected(curl_error(api, code, error_text));
  long status = 0;
  api.easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  return Response{static_cast<int>(status)};
}

RequestBuilder Client::request(std::string method, std::string url) const {
  return RequestBuilder(settings_, std::move(method), std::move(url));
}

ClientBuilder& ClientBuilder::timeout(std::chrono::milliseconds limit) {
  settings_.timeout = limit;
  return *this;
}

ClientBuilder& ClientBuilder::connect_timeout(std::chrono::milliseconds limit) {
  settings_.connect_timeout = limit;
  return *this;
}

ClientBuilder& ClientBuilder::user_agent(std::string agent) {
  settings_.user_agent = std::move(agent);
  return *this;
}

ClientBuilder& ClientBuilder::follow_redirects(bool follow) {
  settings_.follow_redirects = follow;
  return *this;
}

std::expected<Client, Error> ClientBuilder::build() const {
  if (const auto& loaded = curl(); !loaded) return std::unexpected(loaded.error());
  // The same check the TLS connections make: a root set that yields no certificate is refused.
  auto tls = client_config_with_roots(settings_.roots);
  if (!tls) return std::unexpected(Error{tls.error().text});
  return Client(std::make_shared<const ClientSettings>(settings_));
}

ClientBuilder blocking_client() { return ClientBuilder(system_roots()); }

ClientBuilder blocking_client(TrustedRoots roots) { return ClientBuilder(std::move(roots)); }

}  // namespace orvo_net::http

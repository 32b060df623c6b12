#include "account_probe/account_check.h"

#include <boost/url/parse.hpp>
#include <boost/url/url_view.hpp>

#include <optional>

#include "account_probe/imap_sign_in.h"
#include "account_probe/webdav_check.h"
#include "orvo_net/tls_client_config.h"
#include "orvo_runtime/text.h"

namespace settings::account_probe {
namespace {

using Json = nlohmann::ordered_json;

// A string value of the config object; a key holding another JSON type counts as missing.
std::optional<std::string> config_string(const Json& config, const char* key) {
  if (!config.is_object()) return std::nullopt;
  const auto found = config.find(key);
  if (found == config.end() || !found->is_string()) return std::nullopt;
  return found->get<std::string>();
}

std::uint16_t imap_port(const Json& config) {
  constexpr std::uint16_t kImplicitTlsPort = 993;
  if (!config.is_object()) return kImplicitTlsPort;
  const auto found = config.find("imap_port");
  if (found == config.end()) return kImplicitTlsPort;
  if (found->is_number_unsigned()) {
    const auto value = found->get<std::uint64_t>();
    return value <= 65535 ? static_cast<std::uint16_t>(value) : kImplicitTlsPort;
  }
  if (found->is_number_integer()) {
    const auto value = found->get<std::int64_t>();
    return value >= 0 && value <= 65535 ? static_cast<std::uint16_t>(value) : kImplicitTlsPort;
  }
  return kImplicitTlsPort;
}

// One UTF-8 code point at the start of the text, and its length; an invalid byte counts as one
// code point that is not white space.
std::pair<char32_t, std::size_t> decode_front(std::string_view text) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || length > text.size()) return {0xFFFD, 1};
  char32_t point = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return {0xFFFD, 1};
    point = (point << 6) | (byte(i) & 0x3F);
  }
  return {point, length};
}

AccountCheckOutcome check_mail_account(const Json& config, const orvo_secret::SecretString& saved_password,
                                       const CheckEnvironment& environment) {
  const orvo_net::TrustedRoots roots = environment.trusted_roots();

  const std::optional<std::string> raw_host = config_string(config, "imap_host");
  const std::string host(raw_host ? trim_unicode_whitespace(*raw_host) : std::string_view());
  if (host.empty()) return AccountCheckOutcome::failure("account has no IMAP server");

  const std::uint16_t port = imap_port(config);

  std::optional<std::string> login;
  if (const auto username = config_string(config, "username")) {
    if (const auto trimmed = trim_unicode_whitespace(*username); !trimmed.empty()) login = std::string(trimmed);
  }
  if (!login) login = config_string(config, "email");
  // An address of only white space is no login either: it would sign in with an empty name.
  if (!login || trim_unicode_whitespace(*login).empty()) {
    return AccountCheckOutcome::failure("account has no IMAP login name");
  }

  if (saved_password.empty()) return AccountCheckOutcome::failure("account has no saved password");

  const std::string trimmed_login(trim_unicode_whitespace(*login));
  orvo_secret::SecretString password(trim_unicode_whitespace(saved_password.view()));
  if (!is_free_of_control_characters(trimmed_login) || !is_free_of_control_characters(password.view())) {
    return AccountCheckOutcome::failure("login contains unsupported control characters");
  }

  auto tls = orvo_net::client_config_with_roots(roots);
  if (!tls) return AccountCheckOutcome::failure("could not initialize secure protocol versions");

  auto server_name = orvo_net::ServerName::parse(host);
  if (!server_name) return AccountCheckOutcome::failure("invalid IMAP server name");

  ImapProbeInput input{host, port, std::move(*tls), std::move(*server_name), trimmed_login, std::move(password)};
  return probe_account(input, environment);
}

AccountCheckOutcome check_dav_account(const std::string& type_id, const Json& config,
                                      const orvo_secret::SecretString& saved_password,
                                      const CheckEnvironment& environment) {
  const std::optional<std::string> url_text = config_string(config, type_id == "webdav" ? "base_url" : "server_url");
  if (!url_text) return AccountCheckOutcome::failure("account has no server URL");

  if (const auto fault = server_url_fault(*url_text)) {
    switch (*fault) {
      case ServerUrlFault::Invalid: return AccountCheckOutcome::failure("account has an invalid server URL");
      case ServerUrlFault::NotHttps: return AccountCheckOutcome::failure("refusing to send a credential without HTTPS");
      case ServerUrlFault::HasCredentials: return AccountCheckOutcome::failure("server URL must not contain credentials");
    }
  }

  const std::optional<std::string> username = config_string(config, "username");
  if (!username) return AccountCheckOutcome::failure("account has no username");

  return check_webdav_server(*url_text, *username, saved_password.clone(), environment);
}

}  // namespace

bool contains_unicode_whitespace(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto [point, length] = decode_front(text.substr(i));
    if (orvo_runtime::text::is_unicode_whitespace(point)) return true;
    i += length;
  }
  return false;
}

std::optional<ServerUrlFault> server_url_fault(std::string_view url_text) {
  const auto parsed = boost::urls::parse_uri(url_text);
  if (!parsed || !parsed->has_authority() || parsed->encoded_host().empty()) return ServerUrlFault::Invalid;
  const boost::urls::url_view url = *parsed;
  if (url.scheme_id() != boost::urls::scheme::https) return ServerUrlFault::NotHttps;
  if (!url.encoded_user().empty() || !url.encoded_password().empty()) return ServerUrlFault::HasCredentials;
  return std::nullopt;
}

std::string_view trim_unicode_whitespace(std::string_view text) {
  return orvo_runtime::text::trim_unicode_whitespace(text);
}

bool is_free_of_control_characters(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto [point, length] = decode_front(text.substr(i));
    if (orvo_runtime::text::is_control_character(point)) return false;
    i += length;
  }
  return true;
}

AccountCheckOutcome check_account_servers(const accounts::Account& account, const orvo_secret::SecretString& password) {
  return check_account_servers(account, password, CheckEnvironment{});
}

AccountCheckOutcome check_account_servers(const accounts::Account& account, const orvo_secret::SecretString& password,
                                          const CheckEnvironment& environment) {
  const std::string& type = account.type_id;
  if (type == "email") return check_mail_account(account.config, password, environment);
  if (type == "caldav" || type == "webdav" || type == "nextcloud") {
    return check_dav_account(type, account.config, password, environment);
  }
  return AccountCheckOutcome::failure("unsupported account type");
}

AccountCheck shared_account_check() {
  using Signature = AccountCheckOutcome(const accounts::Account&, const orvo_secret::SecretString&);
  return std::make_shared<const std::function<Signature>>(
      [](const accounts::Account& account, const orvo_secret::SecretString& password) {
        return check_account_servers(account, password);
      });
}

}  // namespace settings::account_probe

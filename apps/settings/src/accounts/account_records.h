#pragma once
// The kind-specific records of accounts: the mail server settings of an email account's `config`,
// and the WebDAV/CalDAV and Nextcloud records that the pane lists and that the older per-kind files
// ("files/accounts.json", "nextcloud/accounts.json") stored. Each has one text that is never written
// and is empty after reading.
#include <cstdint>
#include <string>
#include <vector>

#include "orvo_json/json.h"

namespace settings::accounts {

struct AccountConfig {
  std::string display_name;
  std::string email;
  std::string imap_host;
  std::uint16_t imap_port = 0;
  bool imap_tls = false;
  std::string smtp_host;
  std::uint16_t smtp_port = 0;
  bool smtp_tls = false;
  std::string username;
  std::string unstored;  // never written
  bool operator==(const AccountConfig&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<AccountConfig>) {
  using C = AccountConfig;
  return orvo_json::record<C>(
      "AccountConfig", orvo_json::field("display_name", &C::display_name), orvo_json::field("email", &C::email),
      orvo_json::field("imap_host", &C::imap_host), orvo_json::field("imap_port", &C::imap_port),
      orvo_json::field("imap_tls", &C::imap_tls), orvo_json::field("smtp_host", &C::smtp_host),
      orvo_json::field("smtp_port", &C::smtp_port), orvo_json::field("smtp_tls", &C::smtp_tls),
      orvo_json::field("username", &C::username));
}

struct DavAccount {
  std::string id;
  std::string label;
  std::string base_url;
  std::string username;
  bool enabled = true;
  std::uint8_t tint = 0;
  std::string unstored;  // never written
  bool operator==(const DavAccount&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<DavAccount>) {
  using D = DavAccount;
  return orvo_json::record<D>("DavAccount", orvo_json::field("id", &D::id), orvo_json::field("label", &D::label),
                              orvo_json::field("base_url", &D::base_url), orvo_json::field("username", &D::username),
                              orvo_json::defaulted_field("enabled", &D::enabled),
                              orvo_json::defaulted_field("tint", &D::tint));
}

struct NextcloudAccount {
  std::string id;
  std::string label;
  std::string server_url;
  std::string username;
  bool use_files = true;
  bool use_calendar = true;
  bool use_mail = true;
  bool enabled = true;
  std::uint8_t tint = 0;
  std::string unstored;  // never written
  bool operator==(const NextcloudAccount&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<NextcloudAccount>) {
  using N = NextcloudAccount;
  return orvo_json::record<N>(
      "NextcloudAccount", orvo_json::field("id", &N::id), orvo_json::field("label", &N::label),
      orvo_json::field("server_url", &N::server_url), orvo_json::field("username", &N::username),
      orvo_json::defaulted_field("use_files", &N::use_files), orvo_json::defaulted_field("use_calendar", &N::use_calendar),
      orvo_json::defaulted_field("use_mail", &N::use_mail), orvo_json::defaulted_field("enabled", &N::enabled),
      orvo_json::defaulted_field("tint", &N::tint));
}

struct DavStore {
  std::uint32_t version = 1;
  std::vector<DavAccount> accounts;
  bool operator==(const DavStore&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<DavStore>) {
  return orvo_json::record<DavStore>("DavStore", orvo_json::defaulted_field("version", &DavStore::version),
                                     orvo_json::field("accounts", &DavStore::accounts));
}

struct NextcloudStore {
  std::uint32_t version = 1;
  std::vector<NextcloudAccount> accounts;
  bool operator==(const NextcloudStore&) const = default;
};

constexpr auto describe_json(orvo_json::Tag<NextcloudStore>) {
  return orvo_json::record<NextcloudStore>("NextcloudStore",
                                           orvo_json::defaulted_field("version", &NextcloudStore::version),
                                           orvo_json::field("accounts", &NextcloudStore::accounts));
}

}  // namespace settings::accounts

#pragma once
// The Accounts pane's view of the metadata store: one list per kind in its kind's record shape, and
// the uniform rows the pane shows.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "accounts/account_kind.h"
#include "accounts/account_records.h"
#include "accounts/account_store.h"

namespace settings::accounts {

struct MailAccountEntry {
  std::string id;
  AccountConfig config;
  bool flag = false;  // false for every entry built from the store
  std::uint8_t tint = 0;
  bool operator==(const MailAccountEntry&) const = default;
};

struct MailAccountList {
  std::vector<MailAccountEntry> accounts;
  std::size_t selected = 0;  // position of the active email account; 0 when it is not listed
  bool operator==(const MailAccountList&) const = default;
};

struct AccountLists {
  MailAccountList mail;
  DavStore caldav;
  DavStore webdav;
  NextcloudStore nextcloud;
  bool operator==(const AccountLists&) const = default;
};

struct AccountRow {
  std::string id;
  std::string title;
  std::string detail;
  bool enabled = true;
  AccountKind kind = AccountKind::Email;
  std::uint8_t tint = 0;
  bool operator==(const AccountRow&) const = default;
};

// Builds the lists from the store. Accounts whose config does not decode as their kind's record
// are left out (every CalDAV account is listed).
AccountLists account_lists_from_store(const ::accounts::AccountStore& store);

std::vector<AccountRow> account_rows(const AccountLists& lists, AccountKind kind);
// The first row with the id, searching email, CalDAV, WebDAV, then Nextcloud.
std::optional<AccountRow> find_account_row(const AccountLists& lists, std::string_view id);
bool account_lists_empty(const AccountLists& lists);

// The server address as rows show it: without leading "https://" and "http://", without trailing "/".
std::string display_server_url(std::string_view url);
// The display name, else the email address, else "New account".
std::string mail_account_title(const MailAccountEntry& entry);

}  // namespace settings::accounts

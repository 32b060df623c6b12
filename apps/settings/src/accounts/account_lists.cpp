#include "accounts/account_lists.h"

#include <fmt/format.h>

#include <nlohmann/json.hpp>

namespace settings::accounts {
namespace {

std::string config_string(const nlohmann::ordered_json& config, const char* key) {
  if (!config.is_object()) return {};
  const auto it = config.find(key);
  if (it == config.end() || !it->is_string()) return {};
  return it->get<std::string>();
}

void strip_prefix_repeatedly(std::string_view& text, std::string_view prefix) {
  while (text.starts_with(prefix)) text.remove_prefix(prefix.size());
}

std::string nextcloud_services(const NextcloudAccount& account) {
  std::vector<std::string_view> names;
  if (account.use_mail) names.push_back("Mail");
  if (account.use_calendar) names.push_back("Calendar");
  if (account.use_files) names.push_back("Files");
  return fmt::format("{}", fmt::join(names, ", "));
}

// The store's accounts of one type as their DAV records: the record kept in the account's config,
// with the store's own id, label, enabled flag and tint; an account whose config does not decode is
// left out.
template <class Record>
void append_dav_records(const ::accounts::AccountStore& store, std::string_view type, std::vector<Record>& out) {
  for (const auto* account : store.list(type)) {
    auto record = orvo_json::decode_value<Record>(account->config);
    if (!record) continue;
    record->id = account->id;
    record->label = account->display_name;
    record->enabled = account->enabled;
    record->tint = account->tint;
    record->unstored.clear();
    out.push_back(std::move(*record));
  }
}

}  // namespace

AccountLists account_lists_from_store(const ::accounts::AccountStore& store) {
  AccountLists lists;
  for (const auto* account : store.list("email")) {
    auto config = orvo_json::decode_value<AccountConfig>(account->config);
    if (!config) continue;
    lists.mail.accounts.push_back({account->id, std::move(*config), false, account->tint});
  }
  if (auto active = store.active_id("email")) {
    for (std::size_t i = 0; i < lists.mail.accounts.size(); ++i) {
      if (lists.mail.accounts[i].id == *active) {
        lists.mail.selected = i;
        break;
      }
    }
  }
  for (const auto* account : store.list("caldav")) {
    lists.caldav.accounts.push_back({account->id, account->display_name, config_string(account->config, "server_url"),
                                     config_string(account->config, "username"), account->enabled, account->tint, {}});
  }
  append_dav_records(store, "webdav", lists.webdav.accounts);
  append_dav_records(store, "nextcloud", lists.nextcloud.accounts);
  lists.caldav.version = lists.webdav.version = lists.nextcloud.version = 1;
  return lists;
}

std::vector<AccountRow> account_rows(const AccountLists& lists, AccountKind kind) {
  std::vector<AccountRow> rows;
  switch (kind) {
    case AccountKind::Email:
      for (const auto& entry : lists.mail.accounts) {
        rows.push_back({entry.id, mail_account_title(entry),
                        fmt::format("{} · {}:{}", entry.config.email, entry.config.imap_host, entry.config.imap_port),
                        true, kind, entry.tint});
      }
      break;
    case AccountKind::CalDav:
    case AccountKind::WebDav: {
      const auto& list = kind == AccountKind::CalDav ? lists.caldav : lists.webdav;
      const char* name = kind == AccountKind::CalDav ? "CalDAV" : "WebDAV";
      for (const auto& record : list.accounts) {
        rows.push_back({record.id, record.label, fmt::format("{} · {}", name, display_server_url(record.base_url)),
                        record.enabled, kind, record.tint});
      }
      break;
    }
    case AccountKind::Nextcloud:
      for (const auto& record : lists.nextcloud.accounts) {
        rows.push_back({record.id, record.label,
                        fmt::format("{} · {}", display_server_url(record.server_url), nextcloud_services(record)),
                        record.enabled, kind, record.tint});
      }
      break;
  }
  return rows;
}

std::optional<AccountRow> find_account_row(const AccountLists& lists, std::string_view id) {
  for (const auto kind : kAccountKinds) {
    for (auto& row : account_rows(lists, kind)) {
      if (row.id == id) return std::move(row);
    }
  }
  return std::nullopt;
}

bool account_lists_empty(const AccountLists& lists) {
  return lists.mail.accounts.empty() && lists.caldav.accounts.empty() && lists.webdav.accounts.empty() &&
         lists.nextcloud.accounts.empty();
}

std::string display_server_url(std::string_view url) {
  strip_prefix_repeatedly(url, "https://");
  strip_prefix_repeatedly(url, "http://");
  while (url.ends_with('/')) url.remove_suffix(1);
  return std::string(url);
}

std::string mail_account_title(const MailAccountEntry& entry) {
  if (!entry.config.display_name.empty()) return entry.config.display_name;
  if (!entry.config.email.empty()) return entry.config.email;
  return "New account";
}

}  // namespace settings::accounts

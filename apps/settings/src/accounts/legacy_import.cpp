#include "accounts/legacy_import.h"

#include <nlohmann/json.hpp>

#include "accounts/mutation_journal.h"
#include "accounts/paths.h"
#include "orvo_log/log.h"
#include "orvo_runtime/atomic_file.h"

namespace settings::accounts {
namespace {

template <class Store>
Store read_legacy_store(const std::optional<std::filesystem::path>& path) {
  const Store empty{0, {}};
  if (!path) return empty;
  auto text = atomic_file::read_existing(*path);
  if (!text || !text->has_value()) return empty;
  auto store = orvo_json::decode<Store>(**text);
  return store ? std::move(*store) : empty;
}

template <class Record>
void import_record(::accounts::AccountStore& store, const Record& record, std::string_view type) {
  if (store.get(record.id) != nullptr) return;
  auto account = ::accounts::Account::make(record.id, type);
  account.display_name = record.label;
  account.enabled = record.enabled;
  account.tint = record.tint;
  account.config = orvo_json::encode_value(record);
  store.upsert(std::move(account));
}

bool marker_exists(const std::filesystem::path& marker) {
  std::error_code ec;
  const auto status = std::filesystem::symlink_status(marker, ec);
  return !ec && status.type() != std::filesystem::file_type::not_found;
}

void mark_import_done(const std::filesystem::path& marker) {
  const std::error_code ec = atomic_file::create_private_directories(marker.parent_path());
  std::string error = ec ? ec.message() : std::string();
  if (!ec) {
    auto written = atomic_file::write(marker, "imported\n", 0600);
    if (!written) error = written.error();
  }
  if (!error.empty()) {
    orvo_log::warn("could not mark legacy account import complete", {{"target", "orvo::settings"}, {"error", error}});
  }
}

}  // namespace

DavStore read_legacy_dav_store(const std::optional<std::filesystem::path>& path) {
  return read_legacy_store<DavStore>(path);
}

NextcloudStore read_legacy_nextcloud_store(const std::optional<std::filesystem::path>& path) {
  return read_legacy_store<NextcloudStore>(path);
}

bool import_legacy_accounts(::accounts::AccountStore& store, const DavStore& webdav, const NextcloudStore& nextcloud) {
  const std::size_t before = store.accounts.size();
  for (const auto& record : webdav.accounts) import_record(store, record, "webdav");
  for (const auto& record : nextcloud.accounts) import_record(store, record, "nextcloud");
  return store.accounts.size() > before;
}

AccountLists import_legacy_settings(const RootOverride& root_override) {
  recover_account_mutation_at_start(root_override);
  const auto root = accounts_root(root_override);
  if (!root) return account_lists_from_store({});

  auto strict = load_account_store_strict(root_override);
  if (!strict) {
    orvo_log::warn("legacy account import postponed", {{"target", "orvo::settings"}, {"error", strict.error()}});
    return account_lists_from_store({});
  }
  ::accounts::AccountStore store = std::move(*strict);

  const auto marker = ::accounts::accounts_dir_in(*root) / kImportMarkerName;
  if (!marker_exists(marker)) {
    const auto webdav = read_legacy_dav_store(legacy_settings_file(root_override, "files/accounts.json"));
    const auto nextcloud = read_legacy_nextcloud_store(legacy_settings_file(root_override, "nextcloud/accounts.json"));
    bool persisted = true;
    if (import_legacy_accounts(store, webdav, nextcloud)) {
      if (auto saved = save_account_store(root_override, store); !saved) {
        persisted = false;
        orvo_log::warn("could not persist imported legacy accounts",
                       {{"target", "orvo::settings"}, {"error", saved.error()}});
      }
    }
    if (persisted) mark_import_done(marker);
  }
  return account_lists_from_store(store);
}

}  // namespace settings::accounts

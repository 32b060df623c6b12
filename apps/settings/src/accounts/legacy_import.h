#pragma once
// The one-time import of the older per-kind account files ("files/accounts.json" for WebDAV,
// "nextcloud/accounts.json" for Nextcloud) into the metadata store, marked done by the file
// "legacy-settings-import-v1" in the accounts directory; and the pane's loader built on it.
#include <filesystem>
#include <optional>

#include "accounts/account_lists.h"
#include "accounts/store_access.h"

namespace settings::accounts {

inline constexpr std::string_view kImportMarkerName = "legacy-settings-import-v1";

// The pane's loader: recovers an interrupted change, imports the older files once, and builds the
// lists from the metadata store. The import runs only over a store that could be read: over a
// damaged one it would save the damaged store's emptiness, so it waits for a later load instead.
AccountLists import_legacy_settings(const RootOverride& root_override);

// A missing, unreadable or undecodable file gives the empty store (version 0, no accounts).
DavStore read_legacy_dav_store(const std::optional<std::filesystem::path>& path);
NextcloudStore read_legacy_nextcloud_store(const std::optional<std::filesystem::path>& path);

// Adds the older records whose ids the store does not hold yet (stored accounts always win).
// Tells whether the store gained accounts.
bool import_legacy_accounts(::accounts::AccountStore& store, const DavStore& webdav, const NextcloudStore& nextcloud);

}  // namespace settings::accounts

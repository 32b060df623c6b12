// The account store files (metadata, sync status, the mutation journal and the older per-kind
// files): any text gives a record or an error, never a crash, and whatever reads writes back to
// text that reads again to the same record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "accounts/account_lists.h"
#include "accounts/account_records.h"
#include "accounts/account_store.h"
#include "accounts/mutation_journal.h"
#include "accounts/sync_status.h"

namespace {

template <class T>
void check(std::string_view text) {
  auto value = orvo_json::decode<T>(text);
  if (!value) return;
  const std::string once = orvo_json::encode(*value);
  auto again = orvo_json::decode<T>(once);
  if (!again || orvo_json::encode(*again) != once) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  check<accounts::AccountStore>(text);
  check<accounts::status::AccountSyncStatusStore>(text);
  check<settings::accounts::AccountMutationJournal>(text);
  check<settings::accounts::DavStore>(text);
  check<settings::accounts::NextcloudStore>(text);
  if (auto store = orvo_json::decode<accounts::AccountStore>(text)) {
    const auto lists = settings::accounts::account_lists_from_store(*store);
    for (const auto kind : settings::accounts::kAccountKinds) (void)settings::accounts::account_rows(lists, kind);
  }
  return 0;
}

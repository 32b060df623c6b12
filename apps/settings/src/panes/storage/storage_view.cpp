// The Storage page, built afresh from the pane's state at every layout: use by category, synced
// storage, the largest items, the cache clean-up preview and the storage tools.
#include <fmt/format.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "orvo_runtime/text.h"
#include "orvo_ui/format.h"
#include "orvo_ui/widgets/button.h"
#include "panes/storage/storage_pane.h"
#include "widget_support/layout_helpers.h"

namespace settings::panes::storage {
namespace {

using namespace widget_support;
namespace policy = desktop_policy::storage;
using policy::StorageCategory;
using orvo_ui::format::bytes_si;

constexpr std::size_t kRowLimit = 8;
constexpr std::string_view kNotAvailable = "Not available";
constexpr std::string_view kMeasuring = "Measuring…";

WidgetBox button(orvo_ui::Button made) { return std::make_unique<orvo_ui::Button>(std::move(made)); }

// What a clean-up row is called: the entry's name when it is readable text.
std::string entry_label(const policy::CacheEntry& entry) {
  const std::string name = entry.path.filename().native();
  if (name.empty() || !orvo_runtime::text::is_valid_utf8(name)) return "Cache item";
  return name;
}

struct SyncedSums {
  std::uint64_t total = 0;
  std::uint64_t local = 0;
  std::uint64_t remote_only = 0;
  std::uint64_t safe_to_free = 0;
};

SyncedSums sums_of(const runtime_fs::storage::SyncedStorageSnapshot& synced) {
  SyncedSums sums;
  for (const auto& usage : synced.usage) {
    sums.total += usage.total;
    sums.local += usage.local;
    sums.remote_only += usage.remote_only;
    sums.safe_to_free += usage.safe_to_free;
  }
  return sums;
}

}  // namespace

std::unique_ptr<orvo_ui::Widget> StoragePane::build_view() {
  std::vector<WidgetBox> cards;
  const std::optional<SyncedSums> sums =
      synced_ ? std::optional<SyncedSums>(sums_of(*synced_)) : std::optional<SyncedSums>();

  // Use by category.
  {
    std::vector<WidgetBox> rows;
    const auto totals = snapshot_ ? snapshot_->totals() : std::map<StorageCategory, std::uint64_t>{};
    for (const auto category : {StorageCategory::InstalledApps, StorageCategory::AppData, StorageCategory::Cache}) {
      std::string value;
      if (!snapshot_) {
        value = kMeasuring;
      } else if (snapshot_->is_unmeasured(category)) {
        value = kNotAvailable;
      } else {
        const auto found = totals.find(category);
        value = bytes_si(found == totals.end() ? 0 : found->second);
      }
      rows.push_back(value_row(policy::category_label(category), value));
    }
    rows.push_back(value_row(policy::category_label(StorageCategory::SyncedFiles),
                             sums ? bytes_si(sums->total) : std::string(kNotAvailable)));
    cards.push_back(titled_card("Storage use", section_stack(std::move(rows))));
  }

  // Synced storage.
  if (!synced_) {
    std::vector<WidgetBox> rows;
    rows.push_back(caption_text(status_message_.value_or("Sync storage accounting is not available.")));
    cards.push_back(titled_card("Synced storage", section_stack(std::move(rows))));
  } else {
    std::vector<WidgetBox> rows;
    rows.push_back(value_row("On this device", bytes_si(sums->local)));
    rows.push_back(value_row("On other devices only", bytes_si(sums->remote_only)));
    rows.push_back(value_row("Safe to free", bytes_si(sums->safe_to_free)));
    if (status_message_) rows.push_back(caption_text(*status_message_));
    std::size_t shown = 0;
    for (const auto& file : synced_->files) {
      if (file.reclaimable_bytes == 0) continue;
      if (shown++ == kRowLimit) break;
      rows.push_back(value_row(file.display_path, bytes_si(file.reclaimable_bytes)));
    }
    if (sums->safe_to_free == 0 || eviction_running()) {
      std::string_view caption =
          eviction_running() ? "Verifying remote copies and freeing local space…"
          : synced_->online  ? "Nothing is safely reclaimable. Dirty, pinned, shared, and unverified content stays local."
                             : "You are offline. Local synced content stays available and cannot be reclaimed.";
      rows.push_back(caption_text(caption));
      cards.push_back(titled_card("Synced storage", section_stack(std::move(rows))));
    } else {
      auto free = button(controls_.press_button("storage.sync.free",
                                                fmt::format("Free {}", bytes_si(sums->safe_to_free)), kFreeKey));
      cards.push_back(titled_card_with_accessory("Synced storage", std::move(free), section_stack(std::move(rows))));
    }
  }

  // Largest items.
  {
    std::vector<WidgetBox> rows;
    if (!snapshot_) {
      rows.push_back(caption_text(kMeasuring));
    } else if (snapshot_->items.empty()) {
      rows.push_back(caption_text("No Orvo application storage was found on this device."));
    } else {
      std::vector<const policy::StorageItem*> items;
      for (const auto& item : snapshot_->items) items.push_back(&item);
      std::stable_sort(items.begin(), items.end(), [](const auto* a, const auto* b) { return a->size > b->size; });
      if (items.size() > kRowLimit) items.resize(kRowLimit);
      for (const auto* item : items) {
        rows.push_back(value_row(item->name,
                                 fmt::format("{} · {}", bytes_si(item->size), policy::category_label(item->category))));
      }
    }
    cards.push_back(titled_card("Largest items", section_stack(std::move(rows))));
  }

  // Cache clean-up.
  if (preview_ && !preview_->entries.empty()) {
    std::vector<WidgetBox> rows;
    rows.push_back(caption_text(
        "Only the cache items listed below will be removed. App data, synced files, and installed packages are never "
        "part of this action."));
    // Every entry the clean-up removes is listed: it removes nothing the page did not name.
    for (const auto& entry : preview_->entries) rows.push_back(value_row(entry_label(entry), bytes_si(entry.size)));
    auto remove = button(controls_.press_button(
        "storage.clean", cleaning() ? std::string("Removing…") : fmt::format("Remove {}", bytes_si(preview_->total)),
        kCleanupKey));
    cards.push_back(titled_card_with_accessory("Cache cleanup preview", std::move(remove), section_stack(std::move(rows))));
  } else {
    std::vector<WidgetBox> rows;
    rows.push_back(caption_text(!preview_ && measuring() ? kMeasuring : "There is no application cache to clean."));
    cards.push_back(titled_card("Cache cleanup", section_stack(std::move(rows))));
  }

  // Storage tools.
  {
    std::vector<WidgetBox> rows;
    rows.push_back(described_setting_row("Disks", "Partitions, formatting, drive health, and removable media",
                                         button(controls_.press_button("storage.disks", "Open Disks", kDisksKey))));
    rows.push_back(described_setting_row("Backups", "Backup history, schedules, retention, and restore",
                                         button(controls_.press_button("storage.backups", "Open Backups", kBackupsKey))));
    rows.push_back(caption_text(
        "These open the exact specialist workspace through the shell. Settings does not duplicate destructive disk or "
        "restore workflows."));
    cards.push_back(titled_card("Storage tools", section_stack(std::move(rows))));
  }
  return page_stack(std::move(cards));
}

}  // namespace settings::panes::storage

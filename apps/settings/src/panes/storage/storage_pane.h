#pragma once
// The Storage page: how the device's storage is used, the clean-up of application caches, the
// freeing of local copies of synced files that are safe elsewhere, and the Disks and Backups tools.
//
// Local usage comes from measuring the user's directories; synced-file usage and freeing come from
// the storage service over its socket. Both are slow, so both run on worker threads: the page
// shows what it is waiting for and the pass only polls their channels.
//
// The four actions arrive from the page's buttons or as a `StorageOperation` handed over by the
// shell; both set a boolean key of the pane's document that the pass reads, resets and acts on.
// Only the outcome of an operation the pane took from the shell is published, under its exact key;
// a button's outcome is shown in the page only. A request that needs a measurement still being
// made (the first synced snapshot, the local measurement) stays set until that measurement is in.
//
// Interface thread only, apart from the workers, which own what they are given.
#include <cstdint>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "desktop_policy/storage.h"
#include "orvo_runtime/channel.h"
#include "os_actions/tool_intent.h"
#include "panes/pane_glue.h"
#include "panes/taken_operation.h"
#include "panes/workers/storage_workers.h"
#include "runtime_fs/storage.h"
#include "panes/pane_operation.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::storage {

// Keys of the pane's document, one per action.
inline constexpr std::string_view kCleanupKey = "storage.cleanup.confirmed.edit";
inline constexpr std::string_view kFreeKey = "storage.sync.free.edit";
inline constexpr std::string_view kDisksKey = "storage.open.disks.edit";
inline constexpr std::string_view kBackupsKey = "storage.open.backups.edit";

inline constexpr std::string_view kLoadingSynced = "Loading synced storage…";
inline constexpr std::string_view kNothingToFree = "No reclaimable synced files are available.";
inline constexpr std::string_view kNoCache = "No reclaimable application cache is available.";
inline constexpr std::string_view kCachesCleaned = "Application caches cleaned.";
inline constexpr std::string_view kReclaimed = "Synced-file reclamation completed.";
inline constexpr std::string_view kServiceEnded = "Sync storage service ended unexpectedly.";
inline constexpr std::string_view kRequestEnded =
    "The sync storage request ended unexpectedly; nothing was assumed removed.";

using SnapshotMessage = std::expected<runtime_fs::storage::SyncedStorageSnapshot, std::string>;
using EvictMessage = std::expected<runtime_fs::storage::EvictionReport, std::string>;

// A measurement of the local roots, after a cache clean-up when one was asked for.
struct LocalReading {
  std::optional<std::expected<void, std::string>> cleanup;
  desktop_policy::storage::StorageSnapshot snapshot;
  std::optional<desktop_policy::storage::CleanupPreview> preview;
};

// The measurement (and the clean-up) as the worker runs it.
LocalReading read_local_storage(const desktop_policy::storage::StorageRoots& roots,
                                const std::optional<desktop_policy::storage::CleanupPreview>& clean_first);

// What the pane reaches outside itself; `system()` gives the real ones, tests replace parts.
struct StorageServices {
  workers::StorageSocketOptions socket;
  std::function<std::expected<void, std::string>(os_actions::tool_intent::Tool)> open_tool;
  // Starts a worker thread that is never joined; an error text when the thread cannot be made.
  std::function<std::expected<void, std::string>(std::string name, std::function<void()> work)> start_worker;

  static StorageServices system();
};

class StoragePane final : public PaneGlue {
 public:
  // The user's roots; starts measuring them and loading the synced storage.
  static StoragePane load(StorageServices services = StorageServices::system());
  StoragePane(desktop_policy::storage::StorageRoots roots, StorageServices services);
  StoragePane(StoragePane&&) = default;

  // The shell's cells replace the pane's own.
  [[nodiscard]] StoragePane with_pane_operation(PaneOperations<settings_app::PaneOperation>::Cell cell) &&;
  [[nodiscard]] StoragePane with_operation_status(StatusCell cell) &&;

  std::string_view type_name() const override { return "settings::panes::storage::StoragePane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  void sync(orvo_ui::SyncContext& context) override;

  // Starts a new synced-storage snapshot; the previous one's answer is no longer listened to.
  void load_synced_storage();

  // What the view and the tests read. No local snapshot while the first measurement runs.
  const std::optional<desktop_policy::storage::StorageSnapshot>& local_snapshot() const { return snapshot_; }
  const std::optional<desktop_policy::storage::CleanupPreview>& cleanup_preview() const { return preview_; }
  const std::optional<runtime_fs::storage::SyncedStorageSnapshot>& synced() const { return synced_; }
  const std::optional<std::string>& status_message() const { return status_message_; }
  bool eviction_running() const { return eviction_rx_.has_value(); }
  bool measuring() const { return local_rx_.has_value(); }
  bool cleaning() const { return measuring() && cleaning_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  using Operation = actions::StorageOperation;

  // Measures the roots (after cleaning the preview's entries when given) on a worker.
  void start_local(std::optional<desktop_policy::storage::CleanupPreview> clean_first);
  void take_operation(orvo_doc::Document& document);
  void receive_synced();
  void receive_eviction();
  void receive_local();
  void handle_cleanup(orvo_doc::Document& document);
  void handle_free(orvo_doc::Document& document);
  void handle_tool(orvo_doc::Document& document, std::string_view key, os_actions::tool_intent::Tool tool,
                   std::size_t variant);
  // Whether the operation in hand is the action with this variant index.
  bool in_hand_is(std::size_t variant) const;
  // Ends the operation in hand when it is the action `variant`; a button's outcome publishes nothing.
  void finish_operation(std::size_t variant, bool for_operation, PaneOutcome outcome);
  bool operation_pending(const orvo_doc::Document& document) const;

  desktop_policy::storage::StorageRoots roots_;
  StorageServices services_;
  PaneOperations<settings_app::PaneOperation> operations_;
  bool attached_ = false;

  std::optional<desktop_policy::storage::StorageSnapshot> snapshot_;
  std::optional<desktop_policy::storage::CleanupPreview> preview_;
  std::optional<runtime_fs::storage::SyncedStorageSnapshot> synced_;
  std::optional<std::string> status_message_;

  std::optional<orvo_runtime::Receiver<LocalReading>> local_rx_;
  bool cleaning_ = false;
  bool cleanup_for_operation_ = false;
  std::optional<orvo_runtime::Receiver<SnapshotMessage>> synced_rx_;
  std::optional<orvo_runtime::Receiver<EvictMessage>> eviction_rx_;
  bool eviction_for_operation_ = false;
};

// The pane table's line for the section.
std::unique_ptr<orvo_ui::Widget> storage_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::storage

#include "panes/storage/storage_pane.h"

#include <fmt/format.h>

#include <numeric>
#include <utility>
#include <vector>

#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "orvo_ui/format.h"
#include "orvo_ui/wake.h"
#include "panes/document_controls.h"
#include "panes/workers/worker_start.h"
#include "panes/pane_inputs.h"

namespace settings::panes::storage {
namespace {

using orvo_runtime::TryRecvError;
namespace policy = desktop_policy::storage;
namespace service = runtime_fs::storage;
using Tool = os_actions::tool_intent::Tool;

constexpr std::string_view kLocalThread = "settings-storage-scan";
// Ends an operation the pass took but had nothing to do for; every road above answers first.
constexpr std::string_view kNotCarriedOut = "the storage operation was not carried out";

// The action keys by `StorageOperation` variant index.
constexpr std::string_view kActionKeys[] = {kCleanupKey, kFreeKey, kDisksKey, kBackupsKey};
constexpr std::size_t kCleanupVariant = 0;
constexpr std::size_t kFreeVariant = 1;
constexpr std::size_t kDisksVariant = 2;
constexpr std::size_t kBackupsVariant = 3;

template <typename T>
bool nothing_yet(const std::variant<T, TryRecvError>& received) {
  const auto* error = std::get_if<TryRecvError>(&received);
  return error && *error == TryRecvError::Empty;
}

// The storage client on a worker's connection.
class ConnectionStream final : public service::StorageStream {
 public:
  explicit ConnectionStream(workers::StorageConnection& connection) : connection_(connection) {}
  std::expected<void, std::string> write_all(std::span<const std::byte> bytes) override {
    return connection_.write_all(bytes);
  }
  std::expected<std::size_t, std::string> read_some(std::span<std::byte> buffer) override {
    return connection_.read_some(buffer);
  }
  void finish_sending() override { connection_.finish_sending(); }

 private:
  workers::StorageConnection& connection_;
};

std::string reclamation_sentence(const service::EvictionReport& report) {
  const std::string freed = orvo_ui::format::bytes_si(report.freed_bytes);
  if (report.queued > 0 && report.freed_files > 0) {
    return fmt::format("Freed {} from {} synced file(s); {} more queued for verified background reclamation.", freed,
                       report.freed_files, report.queued);
  }
  if (report.queued > 0) {
    return fmt::format(
        "{} synced file(s) queued for verified background reclamation; nothing is counted as free until GC "
        "confirms it.",
        report.queued);
  }
  return fmt::format("Freed {} from {} synced files.", freed, report.freed_files);
}

}  // namespace

LocalReading read_local_storage(const policy::StorageRoots& roots, const std::optional<policy::CleanupPreview>& clean_first) {
  LocalReading reading;
  if (clean_first) {
    std::vector<std::size_t> all(clean_first->entries.size());
    std::iota(all.begin(), all.end(), std::size_t{0});
    auto cleaned = policy::apply_cleanup(*clean_first, all);
    reading.cleanup = cleaned ? std::expected<void, std::string>() : std::unexpected(cleaned.error().text());
  }
  reading.snapshot = policy::scan_storage(roots);
  if (roots.cache) {
    auto preview = policy::preview_cache_cleanup(*roots.cache);
    if (preview) reading.preview = std::move(*preview);
  }
  return reading;
}

StorageServices StorageServices::system() {
  StorageServices services;
  services.open_tool = [](Tool tool) { return os_actions::tool_intent::open_tool(os_actions::tool_intent::ToolIntent(tool)); };
  services.start_worker = [](std::string name, std::function<void()> work) {
    return workers::start_worker(std::move(name), std::move(work));
  };
  return services;
}

StoragePane StoragePane::load(StorageServices services) {
  StoragePane pane(policy::StorageRoots::discover(), std::move(services));
  pane.load_synced_storage();
  return pane;
}

StoragePane::StoragePane(policy::StorageRoots roots, StorageServices services)
    : PaneGlue("StoragePane", DirtyRule::AlwaysAskView), roots_(std::move(roots)), services_(std::move(services)) {
  start_local(std::nullopt);
}

StoragePane StoragePane::with_pane_operation(PaneOperations<settings_app::PaneOperation>::Cell cell) && {
  operations_.attach_operation_cell(std::move(cell));
  attached_ = true;
  return std::move(*this);
}

StoragePane StoragePane::with_operation_status(StatusCell cell) && {
  operations_.attach_status_cell(std::move(cell));
  return std::move(*this);
}

std::optional<orvo_ui::PaneDescriptor> StoragePane::pane_descriptor() {
  return settings_app::section_descriptor(settings_app::SettingsSection::Storage);
}

void StoragePane::sync(orvo_ui::SyncContext& context) {
  // Without the shell's cell the pane works on the frame's document.
  if (!attached_ && own_document()) use_frame_document();
  PaneGlue::sync(context);
}

// --- workers ---

void StoragePane::start_local(std::optional<policy::CleanupPreview> clean_first) {
  auto [sender, receiver] = orvo_runtime::make_channel<LocalReading>(1);
  const bool cleaning = clean_first.has_value();
  auto started = services_.start_worker(
      std::string(kLocalThread),
      [roots = roots_, clean_first = std::move(clean_first), sender = std::move(sender)]() mutable {
        (void)sender.send(read_local_storage(roots, clean_first));
        orvo_ui::WakeHandle{}.wake();
      });
  if (!started) {
    orvo_log::warn("storage measurement could not start", {{"op", "storage_scan"}, {"error", started.error()}});
    // Nothing is measured: the page shows every local category as not available.
    if (!snapshot_) {
      snapshot_ = policy::StorageSnapshot{};
      snapshot_->unmeasured = {policy::StorageCategory::InstalledApps, policy::StorageCategory::AppData,
                               policy::StorageCategory::Cache};
    }
    if (cleaning) {
      finish_operation(kCleanupVariant, std::exchange(cleanup_for_operation_, false),
                       PaneOutcome::failure(fmt::format("Could not clean application caches: {}", started.error())));
    }
    mark_structure_dirty();
    return;
  }
  local_rx_.emplace(std::move(receiver));
  cleaning_ = cleaning;
  mark_structure_dirty();
}

void StoragePane::load_synced_storage() {
  auto [sender, receiver] = orvo_runtime::make_channel<SnapshotMessage>(1);
  workers::SnapshotExchange<service::SyncedStorageSnapshot> exchange = [](workers::StorageConnection& connection) {
    ConnectionStream stream(connection);
    return service::StorageClient(stream).snapshot();
  };
  auto started = services_.start_worker(std::string(workers::kStorageThread),
                                        [sender = std::move(sender), exchange = std::move(exchange),
                                         options = services_.socket]() mutable {
                                          workers::storage_snapshot_worker<service::SyncedStorageSnapshot>(
                                              std::move(sender), std::move(exchange), std::move(options),
                                              orvo_ui::WakeHandle{});
                                        });
  synced_rx_.reset();
  if (!started) {
    synced_.reset();
    status_message_ = fmt::format("Sync storage service unavailable: {}", started.error());
    mark_structure_dirty();
    return;
  }
  synced_rx_.emplace(std::move(receiver));
  if (!synced_) status_message_ = std::string(kLoadingSynced);
  mark_structure_dirty();
}

// --- the pass ---

void StoragePane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  if (!document) return;
  take_operation(*document);
  receive_synced();
  receive_eviction();
  receive_local();
  handle_cleanup(*document);
  handle_free(*document);
  handle_tool(*document, kDisksKey, Tool::Disks, kDisksVariant);
  handle_tool(*document, kBackupsKey, Tool::Backups, kBackupsVariant);
  operations_.settle(operation_pending(*document), PaneOutcome::failure(std::string(kNotCarriedOut)));
}

void StoragePane::take_operation(orvo_doc::Document& document) {
  const auto* taken = operations_.take(
      [](const settings_app::PaneOperation& operation) { return std::holds_alternative<Operation>(operation); });
  if (!taken) return;
  const std::size_t variant = std::get<Operation>(*taken).index();
  (void)lib::put_if_changed(document, object_, kActionKeys[variant], orvo_doc::ScalarValue::boolean(true));
}

void StoragePane::receive_synced() {
  if (!synced_rx_) return;
  auto received = synced_rx_->try_recv();
  if (nothing_yet(received)) return;
  synced_rx_.reset();
  mark_structure_dirty();
  auto* message = std::get_if<SnapshotMessage>(&received);
  if (message && *message) {
    synced_ = std::move(**message);
    if (status_message_ == kLoadingSynced) status_message_.reset();
    return;
  }
  synced_.reset();
  // A service that hung up without a word ended the exchange as a lost worker would.
  if (!message || message->error() == service::kNoAnswer) {
    status_message_ = std::string(kServiceEnded);
  } else {
    status_message_ = fmt::format("Sync storage service unavailable: {}", message->error());
  }
}

void StoragePane::receive_eviction() {
  if (!eviction_rx_) return;
  auto received = eviction_rx_->try_recv();
  if (nothing_yet(received)) return;
  eviction_rx_.reset();
  mark_structure_dirty();
  const bool for_operation = std::exchange(eviction_for_operation_, false);
  auto* message = std::get_if<EvictMessage>(&received);
  if (!message || (!*message && message->error() == service::kNoAnswer)) {
    status_message_ = std::string(kRequestEnded);
    finish_operation(kFreeVariant, for_operation, PaneOutcome::failure(std::string(kServiceEnded)));
    return;
  }
  if (!*message) {
    const std::string sentence = fmt::format("Nothing was removed: {}", message->error());
    status_message_ = sentence;
    finish_operation(kFreeVariant, for_operation, PaneOutcome::failure(sentence));
    return;
  }
  load_synced_storage();
  status_message_ = reclamation_sentence(**message);
  finish_operation(kFreeVariant, for_operation, PaneOutcome::success(std::string(kReclaimed)));
}

void StoragePane::receive_local() {
  if (!local_rx_) return;
  auto received = local_rx_->try_recv();
  if (nothing_yet(received)) return;
  local_rx_.reset();
  mark_structure_dirty();
  const bool cleaning = std::exchange(cleaning_, false);
  const bool for_operation = std::exchange(cleanup_for_operation_, false);
  auto* reading = std::get_if<LocalReading>(&received);
  if (!reading) {
    if (!snapshot_) {
      snapshot_ = policy::StorageSnapshot{};
      snapshot_->unmeasured = {policy::StorageCategory::InstalledApps, policy::StorageCategory::AppData,
                               policy::StorageCategory::Cache};
    }
    if (cleaning) {
      finish_operation(kCleanupVariant, for_operation,
                       PaneOutcome::failure("Could not clean application caches: the clean-up stopped"));
    }
    return;
  }
  snapshot_ = std::move(reading->snapshot);
  preview_ = std::move(reading->preview);
  if (!cleaning || !reading->cleanup) return;
  if (*reading->cleanup) {
    finish_operation(kCleanupVariant, for_operation, PaneOutcome::success(std::string(kCachesCleaned)));
  } else {
    finish_operation(kCleanupVariant, for_operation,
                     PaneOutcome::failure(fmt::format("Could not clean application caches: {}", reading->cleanup->error())));
  }
}

void StoragePane::handle_cleanup(orvo_doc::Document& document) {
  // A request made while the caches are measured (or cleaned) waits for that to end, so it acts on
  // what the page shows.
  if (local_rx_ || lib::read_bool(document, object_, kCleanupKey) != true) return;
  (void)take_press(document, object_, kCleanupKey);
  const bool for_operation = in_hand_is(kCleanupVariant);
  if (!preview_) {
    finish_operation(kCleanupVariant, for_operation, PaneOutcome::failure(std::string(kNoCache)));
    return;
  }
  cleanup_for_operation_ = for_operation;
  start_local(preview_);
}

void StoragePane::handle_free(orvo_doc::Document& document) {
  if (lib::read_bool(document, object_, kFreeKey) != true) return;
  // Until the first synced snapshot is in, the request waits for it (or for its failure).
  if (!synced_ && synced_rx_) return;
  (void)take_press(document, object_, kFreeKey);
  const bool for_operation = in_hand_is(kFreeVariant);
  if (eviction_rx_ || !synced_) {
    finish_operation(kFreeVariant, for_operation, PaneOutcome::failure(std::string(kNothingToFree)));
    return;
  }
  std::vector<service::EvictionSelection> selections;
  for (const auto& file : synced_->files) {
    if (file.reclaimable_bytes != 0) selections.push_back(service::EvictionSelection::from(file.state));
  }
  auto [sender, receiver] = orvo_runtime::make_channel<EvictMessage>(1);
  workers::EvictExchange<service::EvictionReport, service::EvictionSelection> exchange =
      [](workers::StorageConnection& connection, std::vector<service::EvictionSelection> chosen) {
        ConnectionStream stream(connection);
        return service::StorageClient(stream).evict(std::move(chosen));
      };
  auto started = services_.start_worker(
      std::string(workers::kStorageThread),
      [sender = std::move(sender), selections = std::move(selections), exchange = std::move(exchange),
       options = services_.socket]() mutable {
        workers::storage_evict_worker<service::EvictionReport, service::EvictionSelection>(
            std::move(sender), std::move(selections), std::move(exchange), std::move(options), orvo_ui::WakeHandle{});
      });
  if (!started) {
    const std::string sentence = fmt::format("Nothing was removed: {}", started.error());
    status_message_ = sentence;
    mark_structure_dirty();
    finish_operation(kFreeVariant, for_operation, PaneOutcome::failure(sentence));
    return;
  }
  eviction_rx_.emplace(std::move(receiver));
  eviction_for_operation_ = for_operation;
  mark_structure_dirty();
}

void StoragePane::handle_tool(orvo_doc::Document& document, std::string_view key, Tool tool, std::size_t variant) {
  if (!take_press(document, object_, key)) return;
  const bool for_operation = in_hand_is(variant);
  auto opened = services_.open_tool(tool);
  const std::string_view name = tool == Tool::Disks ? "Disks" : "Backups";
  finish_operation(variant, for_operation,
                   opened ? PaneOutcome::success(fmt::format("Opened {}.", name)) : PaneOutcome::failure(opened.error()));
}

bool StoragePane::in_hand_is(std::size_t variant) const {
  const auto* in_hand = operations_.in_hand();
  if (!in_hand) return false;
  const auto* operation = std::get_if<Operation>(&in_hand->operation());
  return operation && operation->index() == variant;
}

void StoragePane::finish_operation(std::size_t variant, bool for_operation, PaneOutcome outcome) {
  if (for_operation && in_hand_is(variant)) operations_.finish(std::move(outcome));
}

bool StoragePane::operation_pending(const orvo_doc::Document& document) const {
  const auto* in_hand = operations_.in_hand();
  if (!in_hand) return false;
  const auto* operation = std::get_if<Operation>(&in_hand->operation());
  if (!operation) return false;
  const std::size_t variant = operation->index();
  if (lib::read_bool(document, object_, kActionKeys[variant]) == true) return true;  // waiting to act
  if (variant == kCleanupVariant) return cleanup_for_operation_ && local_rx_.has_value();
  if (variant == kFreeVariant) return eviction_for_operation_ && eviction_rx_.has_value();
  return false;
}

std::unique_ptr<orvo_ui::Widget> storage_pane(const settings_app::PaneInputs& inputs) {
  return std::make_unique<StoragePane>(StoragePane::load()
                                           .with_pane_operation(inputs.pane_operation)
                                           .with_operation_status(inputs.operation_status));
}

}  // namespace settings::panes::storage

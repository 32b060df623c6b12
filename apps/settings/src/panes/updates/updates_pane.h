#pragma once
// The Updates page: the running image and what is staged, the automatic-update policy, device
// firmware and the way back to the previous image.
//
// The pane keeps its state and rebuilds its whole view at every layout. Every control writes a key
// of the pane's document; an operation handed over by the shell is first written into the same
// document (a value, or a trigger set to true), and the handlers then act on the document, so the
// controls and the operations share one path. Every command runs off the interface thread: the
// first reading of the machine (the page shows a loading state until it arrives), the update check,
// the firmware metadata refresh and listings, the policy changes, the rollback and the restart run
// on named worker threads that send one message and wake the loop; a firmware installation reports
// through the firmware service's event channel. Each operation the pane takes
// ends under its exact key, also when the pane is dropped first.
//
// Interface thread only, apart from the workers, which hold copies of the shared handles.
#include <cstdint>
#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "orvo_runtime/channel.h"
#include "orvo_ui/wake.h"
#include "os_actions/firmware.h"
#include "panes/pane_glue.h"
#include "panes/taken_operation.h"
#include "panes/updates/update_service.h"
#include "panes/workers/update_workers.h"
#include "preferences/records.h"
#include "panes/operation_status.h"
#include "panes/pane_operation.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::updates {

// Keys of the pane's document.
inline constexpr std::string_view kCheckKey = "updates.check";
inline constexpr std::string_view kRestartKey = "updates.restart";
inline constexpr std::string_view kRollbackKey = "updates.rollback";
inline constexpr std::string_view kRollbackConfirmKey = "updates.rollback.confirm";
inline constexpr std::string_view kFirmwareRefreshKey = "updates.firmware.refresh";
inline constexpr std::string_view kFirmwareInstallKey = "updates.firmware.install";
inline constexpr std::string_view kAutoKey = "updates.auto";
inline constexpr std::string_view kScheduleKey = "updates.schedule";
inline constexpr std::string_view kMeteredKey = "updates.metered";

using UpdateCheckMessage = workers::UpdateCheckMessage<SystemImageSummary, RollbackProtection>;
using FirmwareRefreshMessage = std::expected<FirmwareInventory, std::string>;
template <typename T>
using Listing = std::expected<std::vector<T>, std::string>;

// Everything the pane asks of the machine; `system()` gives the real ones, tests replace parts.
struct UpdatesServices {
  std::shared_ptr<const UpdateServiceBackend> backend;
  std::shared_ptr<const RebootBackend> reboot;
  SystemImageSummaryFn summary;
  RollbackProtectionFn protection;
  std::function<std::string()> timestamp;
  std::function<FirmwareRefreshMessage()> refresh_firmware;
  std::function<Listing<os_actions::firmware::FirmwareUpgrade>()> firmware_updates;
  std::function<Listing<os_actions::firmware::FirmwareHistoryEntry>()> firmware_history;
  std::function<std::expected<orvo_runtime::Receiver<os_actions::firmware::InstallEvent>, std::string>(
      std::vector<os_actions::firmware::FirmwareUpgrade>)>
      start_firmware_install;
  // Starts a worker thread that is never joined; an error text when the thread cannot be made.
  std::function<std::expected<void, std::string>(std::string name, std::function<void()> work)> start_worker;

  static UpdatesServices system(ServiceCommands commands = {});
};

struct FirmwareListings {
  Listing<os_actions::firmware::FirmwareUpgrade> upgrades;
  Listing<os_actions::firmware::FirmwareHistoryEntry> history;
};

// What the pane reads of the machine when it opens.
struct UpdatesReading {
  SystemImageSummary summary;
  AutomaticUpdateState automatic = AutomaticUpdateState::Unreported;
  std::optional<std::string> previous_image;
  RollbackProtection protection;
  std::string schedule;
  bool metered = false;
  FirmwareListings firmware;
};

// How a policy change, the rollback or the restart went, and what the system reports after it.
struct UpdateChangeReport {
  std::expected<void, std::string> result;
  AutomaticUpdateState automatic = AutomaticUpdateState::Unreported;
  std::string schedule;
  bool metered = false;
  std::optional<std::string> previous_image;
  // The change was refused before anything ran; `result` holds the whole sentence.
  bool refused = false;
};

inline constexpr std::string_view kNeverChecked = "Never";
inline constexpr std::string_view kNoEarlierImage = "There is no earlier system image to roll back to.";

// The state of a firmware installation.
struct FirmwareIdle {};
struct FirmwareInstalling {
  std::string status;
  std::uint8_t percent = 0;
};
struct FirmwareInstalled {
  bool restart_required = false;
};
using FirmwareInstallState = std::variant<FirmwareIdle, FirmwareInstalling, FirmwareInstalled>;

// What the view reads.
struct UpdatesState {
  SystemImageSummary summary;
  std::optional<std::string> previous_image;
  RollbackProtection protection;
  preferences::UpdatePrefs prefs;
  std::string schedule;
  AutomaticUpdateState automatic = AutomaticUpdateState::Unreported;
  bool metered = false;
  Listing<os_actions::firmware::FirmwareUpgrade> upgrades;
  Listing<os_actions::firmware::FirmwareHistoryEntry> history;
  FirmwareInstallState install;
  std::optional<std::string> message;
  bool loaded = false;  // the first reading has arrived
  bool checking = false;
  bool refreshing = false;
  bool review_open = false;
};

class UpdatesPane final : public PaneGlue {
 public:
  explicit UpdatesPane(UpdatesServices services = UpdatesServices::system());
  UpdatesPane(UpdatesPane&&) = default;

  // The shell's cells replace the pane's own.
  [[nodiscard]] UpdatesPane with_pane_operation(PaneOperations<settings_app::PaneOperation>::Cell cell) &&;
  [[nodiscard]] UpdatesPane with_operation_status(StatusCell cell) &&;

  std::string_view type_name() const override { return "settings::panes::updates::UpdatesPane"; }
  bool needs_redraw() const override;
  std::optional<orvo_ui::Deadline> next_wake_deadline() const override;
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;

  const UpdatesState& state() const { return state_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  using Operation = actions::UpdateOperation;

  void start_reading();
  void receive_reading();
  void receive_listings();
  void start_listings();
  void receive_change(orvo_doc::Document& document);
  // Runs `work` on a change worker for `operation`; a worker that cannot start is reported as a
  // failed change.
  void start_change(const Operation& operation, std::function<UpdateChangeReport()> work);
  // Answers a change asked for while another runs; true when one runs.
  bool refuse_while_changing(const Operation& operation);
  void receive_check();
  void receive_refresh();
  void receive_install();
  void seed(orvo_doc::Document& document);
  void take_operation(orvo_doc::Document& document);
  void follow_status(orvo_doc::Document& document);
  void apply(orvo_doc::Document& document, const Operation* operation);
  void run_handlers(orvo_doc::Document& document);
  void handle_check(orvo_doc::Document& document);
  void handle_refresh(orvo_doc::Document& document);
  void handle_install(orvo_doc::Document& document);
  void handle_restart(orvo_doc::Document& document);
  void handle_automatic(orvo_doc::Document& document);
  void handle_schedule(orvo_doc::Document& document);
  void handle_metered(orvo_doc::Document& document);
  void handle_rollback(orvo_doc::Document& document);
  // What a change's report does to the pane, and the answer to its operation.
  void finish_automatic(orvo_doc::Document& document, bool wanted, const UpdateChangeReport& change);
  void finish_schedule(orvo_doc::Document& document, const Operation& operation, const UpdateChangeReport& change);
  void finish_metered(orvo_doc::Document& document, const Operation& operation, const UpdateChangeReport& change);
  void finish_rollback(const UpdateChangeReport& change);
  void finish_restart(const UpdateChangeReport& change);
  void save_prefs() const;
  // Ends the operation in hand when it is `operation`; a report for any other is dropped.
  void report(const Operation& operation, PaneOutcome outcome);
  bool work_pending_for_hand() const;

  UpdatesServices services_;
  UpdatesState state_;
  preferences::UpdatePrefs written_;
  orvo_ui::WakeHandle wake_;
  PaneOperations<settings_app::PaneOperation> operations_;
  bool operation_cell_attached_ = false;
  bool status_cell_attached_ = false;
  bool seed_ = true;
  bool reading_started_ = false;
  // The operation in hand was taken before the first reading arrived and is not carried out yet.
  bool held_before_reading_ = false;
  std::optional<orvo_runtime::Receiver<UpdatesReading>> reading_rx_;
  std::optional<orvo_runtime::Receiver<FirmwareListings>> listings_rx_;
  // The change running on its worker, and its report.
  std::optional<Operation> change_;
  std::optional<orvo_runtime::Receiver<UpdateChangeReport>> change_rx_;
  std::optional<orvo_runtime::Receiver<UpdateCheckMessage>> check_rx_;
  std::optional<orvo_runtime::Receiver<FirmwareRefreshMessage>> refresh_rx_;
  std::optional<orvo_runtime::Receiver<os_actions::firmware::InstallEvent>> install_rx_;
  // The outcome of the one restart this pane asks for; a repeated request gets the same answer.
  std::optional<PaneOutcome> restart_outcome_;
  // Raised by the "Roll back…" button (whose handler outlives no pane move); taken by the next pass.
  std::shared_ptr<bool> review_requested_ = std::make_shared<bool>(false);
};

// The pane factory's builder: the pane with the root's cells.
std::unique_ptr<orvo_ui::Widget> updates_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::updates

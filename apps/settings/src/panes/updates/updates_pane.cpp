#include "panes/updates/updates_pane.h"

#include <fmt/format.h>

#include <algorithm>
#include <utility>

#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "panes/document_controls.h"
#include "panes/updates/check_timestamp.h"
#include "panes/updates/update_policy.h"
#include "panes/workers/worker_start.h"
#include "preferences/preferences_file.h"
#include "panes/pane_inputs.h"

namespace settings::panes::updates {
namespace {

using orvo_doc::Document;
using orvo_runtime::TryRecvError;
namespace firmware = os_actions::firmware;
using Op = actions::UpdateOperation;

constexpr std::string_view kTriggers[] = {kCheckKey,           kRestartKey,         kRollbackKey,
                                          kRollbackConfirmKey, kFirmwareRefreshKey, kFirmwareInstallKey};
// What ends an operation this pane took but had nothing to do for; the handlers answer every
// operation they act on, so this only guards against one slipping through.
constexpr std::string_view kNotCarriedOut = "the update operation was not carried out";
constexpr std::string_view kChangeRunning = "another update change is still in progress";
constexpr std::string_view kChangeWorkerStopped = "the change worker stopped";

void put_bool(Document& document, std::string_view key, bool value) {
  (void)lib::put_if_changed(document, orvo_doc::kRoot, key, orvo_doc::ScalarValue::boolean(value));
}

void put_text(Document& document, std::string_view key, const std::string& value) {
  (void)lib::put_if_changed(document, orvo_doc::kRoot, key, orvo_doc::ScalarValue::str(value));
}

bool is_schedule_label(std::string_view text) {
  return text == kScheduleSystem || text == kScheduleDaily || text == kScheduleWeekly;
}

}  // namespace

UpdatesServices UpdatesServices::system(ServiceCommands commands) {
  auto backend = std::make_shared<const UpdateServiceBackend>(commands);
  UpdatesServices services;
  services.backend = backend;
  services.reboot = std::make_shared<const RebootBackend>(commands);
  services.summary = make_system_image_summary(commands);
  services.protection = make_rollback_protection(commands);
  services.timestamp = check_timestamp;
  services.refresh_firmware = [backend] { return backend->refresh_firmware(); };
  services.firmware_updates = firmware::get_firmware_updates;
  services.firmware_history = firmware::get_firmware_history;
  services.start_firmware_install = firmware::start_firmware_install;
  services.start_worker = [](std::string name, std::function<void()> work) {
    return workers::start_worker(std::move(name), std::move(work));
  };
  return services;
}

// The constructor runs no command: the first pass starts the reading.
UpdatesPane::UpdatesPane(UpdatesServices services)
    : PaneGlue("UpdatesPane", DirtyRule::AlwaysAskView), services_(std::move(services)) {
  state_.summary.pretty_name = std::string(kDefaultPrettyName);
  state_.prefs = preferences::load_preferences().updates;
  state_.upgrades = std::unexpected("not read yet");
  state_.history = std::unexpected("not read yet");
}

UpdatesPane UpdatesPane::with_pane_operation(PaneOperations<settings_app::PaneOperation>::Cell cell) && {
  operations_.attach_operation_cell(std::move(cell));
  operation_cell_attached_ = true;
  return std::move(*this);
}

UpdatesPane UpdatesPane::with_operation_status(StatusCell cell) && {
  operations_.attach_status_cell(std::move(cell));
  status_cell_attached_ = true;
  return std::move(*this);
}

bool UpdatesPane::needs_redraw() const {
  if (reading_rx_ || listings_rx_ || change_rx_ || check_rx_ || refresh_rx_ || install_rx_) return true;
  return view() && view()->needs_redraw();
}

std::optional<orvo_ui::Deadline> UpdatesPane::next_wake_deadline() const {
  // The rollback button's handler runs after the frame's pass: the next pass takes its request.
  if (*review_requested_) return orvo_ui::Deadline::now();
  return PaneGlue::next_wake_deadline();
}

std::optional<orvo_ui::PaneDescriptor> UpdatesPane::pane_descriptor() {
  return settings_app::section_descriptor(settings_app::SettingsSection::Updates);
}

// --- the pass ---

void UpdatesPane::sync_pane(Document* document, orvo_ui::SyncContext&) {
  if (!document) return;
  if (!state_.loaded) {
    start_reading();
    receive_reading();
  }
  if (!state_.loaded) {
    // An operation is taken at once but carried out only when the page knows what the machine
    // has; until then it is pending.
    take_operation(*document);
    return;
  }
  receive_listings();
  receive_change(*document);
  receive_check();
  receive_refresh();
  receive_install();
  if (seed_) seed(*document);
  take_operation(*document);
  follow_status(*document);
  operations_.settle(work_pending_for_hand(), PaneOutcome::failure(std::string(kNotCarriedOut)));
}

void UpdatesPane::start_reading() {
  if (std::exchange(reading_started_, true)) return;
  auto [sender, receiver] = orvo_runtime::make_channel<UpdatesReading>(1);
  std::function<UpdatesReading()> read = [backend = services_.backend, summary = services_.summary,
                                          protection = services_.protection,
                                          upgrades = services_.firmware_updates,
                                          history = services_.firmware_history] {
    UpdatesReading reading;
    reading.summary = summary();
    reading.automatic = backend->automatic_updates_enabled();
    reading.previous_image = backend->rollback_image();
    reading.protection = protection(reading.previous_image);
    reading.schedule = backend->schedule_label();
    reading.metered = backend->metered_downloads_allowed();
    reading.firmware = {upgrades(), history()};
    return reading;
  };
  auto started = services_.start_worker(std::string(workers::kUpdatesReadThread),
                                        [sender = std::move(sender), read = std::move(read), wake = wake_]() mutable {
                                          workers::single_message_worker<UpdatesReading>(std::move(sender),
                                                                                         std::move(read), wake);
                                        });
  if (!started) {
    orvo_log::warn("update status reader could not start", {{"error", started.error()}});
    state_.loaded = true;
    state_.message = "The update status could not be read: worker could not start";
    mark_structure_dirty();
    return;
  }
  reading_rx_.emplace(std::move(receiver));
}

void UpdatesPane::receive_reading() {
  if (!reading_rx_) return;
  auto received = reading_rx_->try_recv();
  if (const auto* empty = std::get_if<TryRecvError>(&received); empty && *empty == TryRecvError::Empty) return;
  reading_rx_.reset();
  state_.loaded = true;
  mark_structure_dirty();
  auto* reading = std::get_if<UpdatesReading>(&received);
  if (!reading) {
    state_.message = "The update status could not be read: worker stopped";
    return;
  }
  state_.summary = std::move(reading->summary);
  state_.automatic = reading->automatic;
  if (state_.automatic != AutomaticUpdateState::Unreported) {
    state_.prefs.automatic = state_.automatic == AutomaticUpdateState::On;
  }
  state_.previous_image = std::move(reading->previous_image);
  state_.protection = std::move(reading->protection);
  state_.schedule = std::move(reading->schedule);
  state_.metered = reading->metered;
  state_.upgrades = std::move(reading->firmware.upgrades);
  state_.history = std::move(reading->firmware.history);
}

void UpdatesPane::start_listings() {
  auto [sender, receiver] = orvo_runtime::make_channel<FirmwareListings>(1);
  std::function<FirmwareListings()> list = [upgrades = services_.firmware_updates,
                                            history = services_.firmware_history] {
    return FirmwareListings{upgrades(), history()};
  };
  auto started = services_.start_worker(std::string(workers::kFirmwareRefreshThread),
                                        [sender = std::move(sender), list = std::move(list), wake = wake_]() mutable {
                                          workers::single_message_worker<FirmwareListings>(std::move(sender),
                                                                                           std::move(list), wake);
                                        });
  if (!started) {
    orvo_log::warn("firmware listing worker could not start", {{"error", started.error()}});
    return;
  }
  listings_rx_.emplace(std::move(receiver));
}

void UpdatesPane::receive_listings() {
  if (!listings_rx_) return;
  auto received = listings_rx_->try_recv();
  if (const auto* empty = std::get_if<TryRecvError>(&received); empty && *empty == TryRecvError::Empty) return;
  listings_rx_.reset();
  mark_structure_dirty();
  if (auto* listings = std::get_if<FirmwareListings>(&received)) {
    state_.upgrades = std::move(listings->upgrades);
    state_.history = std::move(listings->history);
  }
}

void UpdatesPane::start_change(const Op& operation, std::function<UpdateChangeReport()> work) {
  auto [sender, receiver] = orvo_runtime::make_channel<UpdateChangeReport>(1);
  auto started = services_.start_worker(std::string(workers::kUpdateChangeThread),
                                        [sender = std::move(sender), work = std::move(work), wake = wake_]() mutable {
                                          workers::single_message_worker<UpdateChangeReport>(std::move(sender),
                                                                                             std::move(work), wake);
                                        });
  change_ = operation;
  if (!started) {
    // Answered as a change that failed, through the same path as one whose worker ran.
    auto [failed_sender, failed_receiver] = orvo_runtime::make_channel<UpdateChangeReport>(1);
    (void)failed_sender.send(UpdateChangeReport{std::unexpected("worker could not start"), state_.automatic,
                                                state_.schedule, state_.metered, state_.previous_image});
    change_rx_.emplace(std::move(failed_receiver));
    return;
  }
  change_rx_.emplace(std::move(receiver));
}

bool UpdatesPane::refuse_while_changing(const Op& operation) {
  if (!change_rx_) return false;
  report(operation, PaneOutcome::failure(std::string(kChangeRunning)));
  return true;
}

void UpdatesPane::receive_change(Document& document) {
  if (!change_rx_) return;
  auto received = change_rx_->try_recv();
  if (const auto* empty = std::get_if<TryRecvError>(&received); empty && *empty == TryRecvError::Empty) return;
  change_rx_.reset();
  const Op operation = *std::exchange(change_, std::nullopt);
  mark_structure_dirty();
  UpdateChangeReport change =
      std::holds_alternative<UpdateChangeReport>(received)
          ? std::move(std::get<UpdateChangeReport>(received))
          : UpdateChangeReport{std::unexpected(std::string(kChangeWorkerStopped)), state_.automatic, state_.schedule,
                               state_.metered, state_.previous_image};
  std::visit(
      [&](const auto& variant) {
        using V = std::decay_t<decltype(variant)>;
        if constexpr (std::is_same_v<V, Op::SetAutomatic>) finish_automatic(document, variant.enabled, change);
        if constexpr (std::is_same_v<V, Op::SetSchedule>) finish_schedule(document, operation, change);
        if constexpr (std::is_same_v<V, Op::SetMetered>) finish_metered(document, operation, change);
        if constexpr (std::is_same_v<V, Op::Rollback>) finish_rollback(change);
        if constexpr (std::is_same_v<V, Op::Restart>) finish_restart(change);
      },
      static_cast<const Op::variant&>(operation));
}

void UpdatesPane::receive_check() {
  if (!check_rx_) return;
  auto received = check_rx_->try_recv();
  if (const auto* empty = std::get_if<TryRecvError>(&received); empty && *empty == TryRecvError::Empty) return;
  check_rx_.reset();
  state_.checking = false;
  mark_structure_dirty();
  auto* message = std::get_if<UpdateCheckMessage>(&received);
  if (!message) {
    state_.message = "Updates could not be checked: worker stopped";
    report(Op::Check{}, PaneOutcome::failure("update check worker stopped"));
    return;
  }
  if (!*message) {
    std::string sentence = fmt::format("Updates could not be checked: {}", message->error());
    state_.message = sentence;
    report(Op::Check{}, PaneOutcome::failure(std::move(sentence)));
    return;
  }
  state_.summary = std::move((*message)->os_name);
  state_.previous_image = std::move((*message)->status);
  state_.protection = std::move((*message)->rollback_protection);
  state_.prefs.last_checked = services_.timestamp();
  written_.last_checked = state_.prefs.last_checked;
  state_.message.reset();
  save_prefs();
  report(Op::Check{}, PaneOutcome::success("update check finished"));
}

void UpdatesPane::receive_refresh() {
  if (!refresh_rx_) return;
  auto received = refresh_rx_->try_recv();
  if (const auto* empty = std::get_if<TryRecvError>(&received); empty && *empty == TryRecvError::Empty) return;
  refresh_rx_.reset();
  state_.refreshing = false;
  mark_structure_dirty();
  auto* message = std::get_if<FirmwareRefreshMessage>(&received);
  FirmwareRefreshMessage result =
      message ? std::move(*message) : FirmwareRefreshMessage(std::unexpected("firmware refresh worker stopped"));
  if (result) {
    state_.upgrades = std::move(result->upgrades);
    state_.history = std::move(result->history);
    state_.message.reset();
    report(Op::RefreshFirmware{}, PaneOutcome::success("firmware metadata refreshed"));
    return;
  }
  state_.upgrades = std::unexpected(result.error());
  state_.history = std::unexpected(result.error());
  std::string sentence = fmt::format("Firmware metadata could not be refreshed: {}", result.error());
  state_.message = sentence;
  report(Op::RefreshFirmware{}, PaneOutcome::failure(std::move(sentence)));
}

void UpdatesPane::receive_install() {
  if (!install_rx_) return;
  bool ended = false;
  while (true) {
    auto received = install_rx_->try_recv();
    if (const auto* none = std::get_if<TryRecvError>(&received)) {
      // An installer that goes away without its last event would leave the work open for good.
      if (*none == TryRecvError::Disconnected && !ended) {
        received = firmware::InstallEvent(firmware::InstallFailed{"firmware installation stopped"});
      } else {
        break;
      }
    }
    mark_structure_dirty();
    const auto& event = std::get<firmware::InstallEvent>(received);
    if (const auto* started = std::get_if<firmware::InstallStarted>(&event)) {
      state_.install = FirmwareInstalling{fmt::format("Preparing {} update(s)…", started->count), 0};
    } else if (const auto* progress = std::get_if<firmware::InstallProgress>(&event)) {
      std::uint8_t percent = progress->percent;
      if (const auto* before = std::get_if<FirmwareInstalling>(&state_.install)) {
        percent = std::max(percent, before->percent);
      }
      state_.install = FirmwareInstalling{progress->text, percent};
    } else if (const auto* finished = std::get_if<firmware::InstallFinished>(&event)) {
      state_.install = FirmwareInstalled{finished->restart_required};
      state_.message = finished->restart_required ? "Firmware installation finished. Restart to activate the update."
                                                  : "Firmware installation finished successfully.";
      start_listings();
      report(Op::InstallFirmware{}, PaneOutcome::success("firmware installation finished"));
      ended = true;
    } else if (const auto* failed = std::get_if<firmware::InstallFailed>(&event)) {
      state_.install = FirmwareIdle{};
      std::string sentence = fmt::format("Firmware installation failed: {}", failed->error);
      state_.message = sentence;
      report(Op::InstallFirmware{}, PaneOutcome::failure(std::move(sentence)));
      ended = true;
    }
    if (ended) break;
  }
  if (ended) install_rx_.reset();
}

void UpdatesPane::seed(Document& document) {
  put_bool(document, kAutoKey, state_.prefs.automatic);
  for (std::string_view trigger : kTriggers) put_bool(document, trigger, false);
  put_text(document, kScheduleKey, state_.schedule);
  put_bool(document, kMeteredKey, state_.metered);
  written_ = state_.prefs;
  seed_ = false;
}

void UpdatesPane::take_operation(Document& document) {
  // An operation the runner has given up on (cancelled) is let go, so the next one can be taken.
  if (const auto* held = operations_.in_hand(); held && !operations_.status_cell().snapshot().is_running(held->key())) {
    operations_.finish(PaneOutcome::failure(std::string(kNotCarriedOut)));
  }
  if (!operations_.in_hand()) held_before_reading_ = false;
  const auto* taken =
      operations_.take([](const settings_app::PaneOperation& operation) { return operation.tag() == 0; });
  if (taken && !state_.loaded) {
    held_before_reading_ = true;
    return;
  }
  if (!taken && held_before_reading_ && state_.loaded) taken = &operations_.in_hand()->operation();
  if (taken) {
    held_before_reading_ = false;
    apply(document, &std::get<Op>(*taken));
    run_handlers(document);
  }
  if (std::exchange(*review_requested_, false)) {
    const Op review{Op::ReviewRollback{}};
    apply(document, &review);
    run_handlers(document);
  }
}

void UpdatesPane::follow_status(Document& document) {
  // Attached to the shell's status, the handlers act only on the operations taken above: the
  // document is a mirror of the pane's state, and an operation still running under its key is not
  // carried out a second time.
  if (status_cell_attached_) {
    apply(document, nullptr);
    return;
  }
  run_handlers(document);
}

void UpdatesPane::apply(Document& document, const Op* operation) {
  for (std::string_view trigger : kTriggers) put_bool(document, trigger, false);
  put_bool(document, kAutoKey, state_.prefs.automatic);
  put_text(document, kScheduleKey, state_.schedule);
  put_bool(document, kMeteredKey, state_.metered);
  if (!operation) return;
  std::visit(
      [&](const auto& variant) {
        using V = std::decay_t<decltype(variant)>;
        if constexpr (std::is_same_v<V, Op::Check>) put_bool(document, kCheckKey, true);
        if constexpr (std::is_same_v<V, Op::Restart>) put_bool(document, kRestartKey, true);
        if constexpr (std::is_same_v<V, Op::ReviewRollback>) put_bool(document, kRollbackKey, true);
        if constexpr (std::is_same_v<V, Op::Rollback>) put_bool(document, kRollbackConfirmKey, true);
        if constexpr (std::is_same_v<V, Op::RefreshFirmware>) put_bool(document, kFirmwareRefreshKey, true);
        if constexpr (std::is_same_v<V, Op::InstallFirmware>) put_bool(document, kFirmwareInstallKey, true);
        if constexpr (std::is_same_v<V, Op::SetAutomatic>) put_bool(document, kAutoKey, variant.enabled);
        if constexpr (std::is_same_v<V, Op::SetSchedule>) put_text(document, kScheduleKey, variant.schedule);
        if constexpr (std::is_same_v<V, Op::SetMetered>) put_bool(document, kMeteredKey, variant.allowed);
      },
      static_cast<const Op::variant&>(*operation));
}

void UpdatesPane::run_handlers(Document& document) {
  handle_check(document);
  handle_refresh(document);
  handle_install(document);
  handle_restart(document);
  handle_automatic(document);
  handle_schedule(document);
  handle_metered(document);
  handle_rollback(document);
}

void UpdatesPane::report(const Op& operation, PaneOutcome outcome) {
  const auto* held = operations_.in_hand();
  if (!held || !(held->operation() == settings_app::PaneOperation(operation))) return;
  operations_.finish(std::move(outcome));
}

bool UpdatesPane::work_pending_for_hand() const {
  const auto* held = operations_.in_hand();
  if (!held) return false;
  const auto* update = std::get_if<Op>(&held->operation());
  if (!update) return false;
  if (std::holds_alternative<Op::Check>(*update)) return check_rx_.has_value();
  if (std::holds_alternative<Op::RefreshFirmware>(*update)) return refresh_rx_.has_value();
  if (std::holds_alternative<Op::InstallFirmware>(*update)) return install_rx_.has_value();
  return change_ && settings_app::PaneOperation(*change_) == held->operation() && change_rx_.has_value();
}

// --- handlers ---

void UpdatesPane::handle_check(Document& document) {
  if (!take_press(document, orvo_doc::kRoot, kCheckKey)) return;
  mark_structure_dirty();
  if (check_rx_) {
    report(Op::Check{}, PaneOutcome::failure("an update check is already running"));
    return;
  }
  auto [sender, receiver] = orvo_runtime::make_channel<UpdateCheckMessage>(1);
  auto backend = services_.backend;
  workers::UpdateCheckCalls<SystemImageSummary, RollbackProtection> calls{
      [backend] { return backend->start_update_service(); }, services_.summary,
      [backend] { return backend->rollback_image(); }, services_.protection};
  auto started = services_.start_worker(std::string(workers::kUpdateCheckThread),
                                        [sender = std::move(sender), calls = std::move(calls), wake = wake_]() mutable {
                                          workers::update_check_worker(std::move(sender), std::move(calls), wake);
                                        });
  if (!started) {
    state_.message = "Updates could not be checked: worker could not start";
    report(Op::Check{}, PaneOutcome::failure("update check worker could not start"));
    return;
  }
  check_rx_.emplace(std::move(receiver));
  state_.checking = true;
}

void UpdatesPane::handle_refresh(Document& document) {
  if (!take_press(document, orvo_doc::kRoot, kFirmwareRefreshKey)) return;
  mark_structure_dirty();
  if (refresh_rx_ || install_rx_ || listings_rx_) {
    report(Op::RefreshFirmware{}, PaneOutcome::failure("firmware work is already in progress"));
    return;
  }
  auto [sender, receiver] = orvo_runtime::make_channel<FirmwareRefreshMessage>(1);
  auto started = services_.start_worker(
      std::string(workers::kFirmwareRefreshThread),
      [sender = std::move(sender), refresh = services_.refresh_firmware, wake = wake_]() mutable {
        workers::firmware_refresh_worker<FirmwareRefreshMessage>(std::move(sender), std::move(refresh), wake);
      });
  if (!started) {
    state_.message = "Firmware metadata could not be refreshed: worker could not start";
    report(Op::RefreshFirmware{}, PaneOutcome::failure("firmware refresh worker could not start"));
    return;
  }
  refresh_rx_.emplace(std::move(receiver));
  state_.refreshing = true;
}

void UpdatesPane::handle_install(Document& document) {
  if (!take_press(document, orvo_doc::kRoot, kFirmwareInstallKey)) return;
  mark_structure_dirty();
  if (refresh_rx_ || install_rx_ || listings_rx_) {
    state_.message = "Firmware work is already in progress";
    report(Op::InstallFirmware{}, PaneOutcome::failure("firmware work is already in progress"));
    return;
  }
  auto cannot = [&](const std::string& error) {
    std::string sentence = fmt::format("Firmware upgrades could not be installed: {}", error);
    state_.message = sentence;
    report(Op::InstallFirmware{}, PaneOutcome::failure(std::move(sentence)));
  };
  if (!state_.upgrades) return cannot(state_.upgrades.error());
  auto events = services_.start_firmware_install(*state_.upgrades);
  if (!events) return cannot(events.error());
  install_rx_.emplace(std::move(*events));
  state_.install = FirmwareInstalling{"Preparing firmware transaction…", 0};
  state_.message.reset();
}

void UpdatesPane::handle_restart(Document& document) {
  if (!take_press(document, orvo_doc::kRoot, kRestartKey)) return;
  mark_structure_dirty();
  // One reboot per pane; a repeated request is answered with how the first one went.
  if (restart_outcome_) {
    report(Op::Restart{}, *restart_outcome_);
    return;
  }
  if (change_ && *change_ == Op{Op::Restart{}}) return;  // the restart asked for is under way
  if (refuse_while_changing(Op::Restart{})) return;
  start_change(Op::Restart{}, [reboot = services_.reboot] { return UpdateChangeReport{reboot->reboot()}; });
}

void UpdatesPane::finish_restart(const UpdateChangeReport& change) {
  if (change.result) {
    restart_outcome_ = PaneOutcome::success("restart command accepted by the system");
  } else {
    orvo_log::warn("restart & update failed", {{"error", change.result.error()}});
    std::string sentence = fmt::format("Restarting into the staged update failed: {}", change.result.error());
    state_.message = sentence;
    // A restart whose worker never ran may be asked for again.
    if (change.result.error() != "worker could not start") restart_outcome_ = PaneOutcome::failure(sentence);
    report(Op::Restart{}, PaneOutcome::failure(std::move(sentence)));
    return;
  }
  report(Op::Restart{}, *restart_outcome_);
}

void UpdatesPane::handle_automatic(Document& document) {
  const std::optional<bool> wanted = lib::read_bool(document, orvo_doc::kRoot, kAutoKey);
  if (!wanted) return;
  const Op operation{Op::SetAutomatic{*wanted}};
  if (change_ && *change_ == operation) return;  // under way
  if (*wanted == written_.automatic) {
    report(operation, PaneOutcome::success("automatic-update timer was already selected"));
    return;
  }
  mark_structure_dirty();
  if (refuse_while_changing(operation)) {
    put_bool(document, kAutoKey, state_.prefs.automatic);
    return;
  }
  start_change(operation, [backend = services_.backend, enabled = *wanted] {
    UpdateChangeReport change{backend->set_automatic_updates(enabled)};
    change.automatic = backend->automatic_updates_enabled();
    return change;
  });
}

void UpdatesPane::finish_automatic(Document& document, bool wanted_value, const UpdateChangeReport& change) {
  const Op operation{Op::SetAutomatic{wanted_value}};
  const std::optional<bool> wanted = wanted_value;
  if (!change.result) {
    const auto& changed = change.result;
    orvo_log::warn("automatic updates could not be changed", {{"error", changed.error()}});
    std::string sentence = fmt::format("Automatic updates could not be changed: {}", changed.error());
    state_.message = sentence;
    state_.automatic = change.automatic;
    if (state_.automatic != AutomaticUpdateState::Unreported) {
      state_.prefs.automatic = state_.automatic == AutomaticUpdateState::On;
    }
    written_.automatic = state_.prefs.automatic;
    put_bool(document, kAutoKey, state_.prefs.automatic);
    report(operation, PaneOutcome::failure(std::move(sentence)));
    return;
  }
  state_.automatic = change.automatic;
  const bool effective =
      state_.automatic == AutomaticUpdateState::Unreported ? *wanted : state_.automatic == AutomaticUpdateState::On;
  state_.prefs.automatic = effective;
  // What the document shows from now on is what the system has, so a refused change is not asked
  // for again by the next pass.
  written_.automatic = effective;
  put_bool(document, kAutoKey, effective);
  save_prefs();
  if (effective == *wanted) {
    state_.message.reset();
    report(operation, PaneOutcome::success("automatic-update timer changed"));
    return;
  }
  state_.message =
      fmt::format("Automatic updates are still {}. The system did not accept the change.", effective ? "on" : "off");
  report(operation, PaneOutcome::failure("the system did not accept the automatic-update timer change"));
}

void UpdatesPane::handle_schedule(Document& document) {
  const std::optional<std::string> wanted = lib::read_text(document, orvo_doc::kRoot, kScheduleKey);
  if (!wanted) return;
  const Op operation{Op::SetSchedule{*wanted}};
  if (*wanted == state_.schedule) {
    report(operation, PaneOutcome::success("update schedule was already selected"));
    return;
  }
  if (change_ && *change_ == operation) return;  // under way
  mark_structure_dirty();
  if (!is_schedule_label(*wanted)) {
    put_text(document, kScheduleKey, state_.schedule);
    report(operation, PaneOutcome::failure("unsupported update schedule"));
    return;
  }
  if (refuse_while_changing(operation)) {
    put_text(document, kScheduleKey, state_.schedule);
    return;
  }
  start_change(operation, [backend = services_.backend, label = *wanted] {
    UpdateChangeReport change{backend->set_schedule(label)};
    change.schedule = backend->schedule_label();
    return change;
  });
}

void UpdatesPane::finish_schedule(Document& document, const Op& operation, const UpdateChangeReport& change) {
  if (!change.result) {
    std::string sentence = fmt::format("Download schedule could not be changed: {}", change.result.error());
    state_.message = sentence;
    put_text(document, kScheduleKey, state_.schedule);
    report(operation, PaneOutcome::failure(std::move(sentence)));
    return;
  }
  state_.schedule = change.schedule;
  put_text(document, kScheduleKey, state_.schedule);
  state_.message.reset();
  report(operation, PaneOutcome::success("update schedule changed"));
}

void UpdatesPane::handle_metered(Document& document) {
  const std::optional<bool> wanted = lib::read_bool(document, orvo_doc::kRoot, kMeteredKey);
  if (!wanted) return;
  const Op operation{Op::SetMetered{*wanted}};
  if (*wanted == state_.metered) {
    report(operation, PaneOutcome::success("metered-network policy was already selected"));
    return;
  }
  if (change_ && *change_ == operation) return;  // under way
  mark_structure_dirty();
  if (refuse_while_changing(operation)) {
    put_bool(document, kMeteredKey, state_.metered);
    return;
  }
  start_change(operation, [backend = services_.backend, allowed = *wanted] {
    UpdateChangeReport change{backend->set_metered_downloads(allowed)};
    change.metered = backend->metered_downloads_allowed();
    return change;
  });
}

void UpdatesPane::finish_metered(Document& document, const Op& operation, const UpdateChangeReport& change) {
  if (!change.result) {
    std::string sentence = fmt::format("Metered-network policy could not be changed: {}", change.result.error());
    state_.message = sentence;
    put_bool(document, kMeteredKey, state_.metered);
    report(operation, PaneOutcome::failure(std::move(sentence)));
    return;
  }
  state_.metered = change.metered;
  put_bool(document, kMeteredKey, state_.metered);
  state_.message.reset();
  report(operation, PaneOutcome::success("metered-network policy changed"));
}

void UpdatesPane::handle_rollback(Document& document) {
  if (take_press(document, orvo_doc::kRoot, kRollbackKey)) {
    mark_structure_dirty();
    state_.review_open = true;
    state_.message.reset();
    report(Op::ReviewRollback{}, PaneOutcome::success("rollback details opened"));
  }
  if (!take_press(document, orvo_doc::kRoot, kRollbackConfirmKey)) return;
  mark_structure_dirty();
  const Op operation{Op::Rollback{}};
  if (change_ && *change_ == operation) return;  // under way
  if (refuse_while_changing(operation)) return;
  if (state_.loaded && !state_.previous_image) {
    state_.message = std::string(kNoEarlierImage);
    report(operation, PaneOutcome::failure(std::string(kNoEarlierImage)));
    return;
  }
  start_change(operation, [backend = services_.backend] {
    // Read again: the image may have gone since the page's reading.
    if (!backend->rollback_image()) {
      UpdateChangeReport refused{std::unexpected(std::string(kNoEarlierImage))};
      refused.refused = true;
      return refused;
    }
    UpdateChangeReport change{backend->start_rollback()};
    if (change.result) change.previous_image = backend->rollback_image();
    return change;
  });
}

void UpdatesPane::finish_rollback(const UpdateChangeReport& change) {
  if (change.refused) {
    state_.message = change.result.error();
    report(Op::Rollback{}, PaneOutcome::failure(change.result.error()));
    return;
  }
  if (!change.result) {
    const auto& rolled = change.result;
    orvo_log::warn("rollback failed", {{"error", rolled.error()}});
    std::string sentence = fmt::format("Rolling back failed: {}", rolled.error());
    state_.message = sentence;
    report(Op::Rollback{}, PaneOutcome::failure(std::move(sentence)));
    return;
  }
  state_.review_open = false;
  state_.message =
      "Done. The previous image is what this machine will boot next. Restart when you are ready — nothing has been "
      "removed, so this is reversible.";
  state_.previous_image = change.previous_image;
  report(Op::Rollback{}, PaneOutcome::success("previous system image selected for next boot"));
}

void UpdatesPane::save_prefs() const {
  preferences::Preferences prefs = preferences::load_preferences();
  prefs.updates = state_.prefs;
  if (auto saved = preferences::save_preferences(prefs); !saved) {
    orvo_log::warn("failed to persist update prefs", {{"error", saved.error()}});
  }
}

std::unique_ptr<orvo_ui::Widget> updates_pane(const settings_app::PaneInputs& inputs) {
  return std::make_unique<UpdatesPane>(
      UpdatesPane().with_pane_operation(inputs.pane_operation).with_operation_status(inputs.operation_status));
}

}  // namespace settings::panes::updates

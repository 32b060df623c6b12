// The device-local operation runner: admission, decoding, the device checks, and then either the
// root's own change (input, keyboard sources, time and date) or the hand-over to the pane that
// performs the operation. Exactly one device-local operation is in flight at a time; the intake
// marks it running, and the poll below reports it once its status is finished under its key.
#include <type_traits>
#include <utility>
#include <variant>

#include "actions/device_local_operation.h"
#include "actions/operation_encoding.h"
#include "catalogues/queries/input_queries.h"
#include "device_local/device_checks.h"
#include "device_local/device_probe.h"
#include "device_local/local_operations.h"
#include "settings_app/settings_app.h"

namespace settings::settings_app {
namespace {

using namespace settings::actions;
using Rejected = DeviceLocalOutcome::Rejected;

constexpr std::string_view kNotAnEffect = "device-local settings commands must be effect operations";
constexpr std::string_view kStillRunning = "another device-local Settings operation is still running";
// A publication is refused only once the loop has shut down: then no pane would ever finish the
// operation, so it is refused rather than left in flight for good.
constexpr std::string_view kNotAnnounced = "the operation could not be announced as running";
constexpr std::string_view kNotRecorded = "the outcome of the operation could not be recorded: ";
constexpr std::string_view kFailedCode = "device_local_operation_failed";
constexpr std::string_view kCancelled = "operation cancelled";
constexpr std::string_view kPageCannot = "This page cannot carry out this operation.";

Rejected rejected(std::string message) { return Rejected{std::move(message)}; }

}  // namespace

void SettingsApp::set_device_probe(std::shared_ptr<device_local::DeviceProbe> probe) {
  device_probe_ = std::move(probe);
}

void SettingsApp::set_keyboard_layouts(device_local::KeyboardLayoutCatalogue catalogue) {
  keyboard_layouts_ = std::move(catalogue);
}

// The real machine unless a test gave another; made on first use, so every constructor has them.
device_local::DeviceProbe& SettingsApp::device_probe() {
  if (!device_probe_) device_probe_ = std::make_shared<device_local::SystemDeviceProbe>();
  return *device_probe_;
}

const device_local::KeyboardLayoutCatalogue& SettingsApp::keyboard_layouts() {
  // The process's one reading of the rules files, which the catalogues and the pane read too.
  if (!keyboard_layouts_) {
    keyboard_layouts_ = [] {
      const auto layouts = actions::system_input_queries().keyboard_layouts();
      return std::vector<settings_store::hardware::KeyboardLayout>(layouts.begin(), layouts.end());
    };
  }
  return keyboard_layouts_;
}

orvo_ui::StartAnswer SettingsApp::run_device_local(orvo_ui::OperationClass cls, std::string_view kind,
                                                   std::string_view payload) {
  DeviceLocalOutcome outcome = run_device_local_operation(cls, kind, payload);
  if (auto* refused = std::get_if<Rejected>(&outcome)) return orvo_ui::start::Rejected{std::move(refused->message)};
  if (std::holds_alternative<DeviceLocalOutcome::InFlight>(outcome)) return orvo_ui::start::InFlight{};
  return orvo_ui::start::NotHandled{};
}

std::optional<orvo_ui::OperationCompletion> SettingsApp::poll_device_local(const orvo_ui::RequestId& id, bool cancel) {
  using namespace orvo_ui::completion;
  if (!operation_running_ || id != running_operation_id_) return std::nullopt;
  const OperationStatus status = operation_status_.snapshot();
  std::optional<orvo_ui::OperationCompletion> finished;
  if (const auto* ok = std::get_if<OperationStatus::Succeeded>(&status); ok && ok->key == pending_operation_key_) {
    finished = Succeeded{ok->message};
  } else if (const auto* bad = std::get_if<OperationStatus::Failed>(&status); bad && bad->key == pending_operation_key_) {
    finished = Failed{std::string(kFailedCode), bad->message};
  } else if (cancel) {
    // A pane that never reports must not hold the runner for the rest of the session: the operation
    // leaves its cell if no pane has taken it yet, and a late report under its key finds no Running.
    retract_handed_operation();
    finished = Cancelled{std::string(kCancelled)};
  } else {
    return std::nullopt;
  }
  operation_running_ = false;
  pending_operation_key_.reset();
  (void)operation_status_.publish(OperationStatus::Idle{});
  return finished;
}

DeviceLocalOutcome SettingsApp::run_device_local_operation(orvo_ui::OperationClass cls, std::string_view kind,
                                                          std::string_view payload) {
  if (cls != orvo_ui::OperationClass::Effect) return rejected(std::string(kNotAnEffect));
  if (operation_running_) return rejected(std::string(kStillRunning));
  // In this order: the three the root carries out itself, then those handed to a pane.
  if (kind == InputOperation::kKind) return run_kind<InputOperation>(kind, payload);
  if (kind == KeyboardSourceOperation::kKind) return run_kind<KeyboardSourceOperation>(kind, payload);
  if (kind == TimeDateOperation::kKind) return run_kind<TimeDateOperation>(kind, payload);
  if (kind == UpdateOperation::kKind) return run_kind<UpdateOperation>(kind, payload);
  if (kind == PowerOperation::kKind) return run_kind<PowerOperation>(kind, payload);
  if (kind == NetworkOperation::kKind) return run_kind<NetworkOperation>(kind, payload);
  if (kind == BluetoothOperation::kKind) return run_kind<BluetoothOperation>(kind, payload);
  if (kind == StorageOperation::kKind) return run_kind<StorageOperation>(kind, payload);
  if (kind == AudioOperation::kKind) return run_kind<AudioOperation>(kind, payload);
  if (kind == DisplayOperation::kKind) return run_kind<DisplayOperation>(kind, payload);
  if (kind == PrinterOperation::kKind) return run_kind<PrinterOperation>(kind, payload);
  if (kind == UserOperation::kKind) return run_kind<UserOperation>(kind, payload);
  if (kind == AgentModelOperation::kKind) return run_kind<AgentModelOperation>(kind, payload);
  if (kind == DeviceMeshOperation::kKind) return run_kind<DeviceMeshOperation>(kind, payload);
  return DeviceLocalOutcome::NotHandled{};
}

template <class Op>
DeviceLocalOutcome SettingsApp::run_kind(std::string_view kind, std::string_view payload) {
  auto decoded = decode_payload<Op>(payload);
  if (!decoded) return rejected(decoded.error().text());
  const Op& operation = *decoded;

  if constexpr (std::is_same_v<Op, InputOperation> || std::is_same_v<Op, KeyboardSourceOperation>) {
    select_section(SettingsSection::MouseKeyboard);
    device_local::LocalOutcome outcome;
    if constexpr (std::is_same_v<Op, InputOperation>) {
      outcome = device_local::run_input_operation(operation, keyboard_layouts());
    } else {
      outcome = device_local::run_keyboard_source_operation(operation, keyboard_layouts());
    }
    return record_local_outcome(kind, payload, outcome.succeeded, std::move(outcome.message));
  } else if constexpr (std::is_same_v<Op, TimeDateOperation>) {
    select_section(SettingsSection::TimeDate);
    auto outcome = device_local::run_time_date_operation(operation);
    return record_local_outcome(kind, payload, outcome.succeeded, std::move(outcome.message));
  } else if constexpr (std::is_same_v<Op, DeviceMeshOperation>) {
    select_section(SettingsSection::DevicesSync);
    return hand_over(kind, payload, operation);
  } else {
    const PaneOperation handed(operation);
    device_local::CheckResult checked;
    if constexpr (std::is_same_v<Op, AudioOperation>) {
      // The graph is read before the switch; one that cannot be read has nothing in it.
      auto graph = device_probe().audio_graph();
      select_section(handed.section());
      checked = device_local::check_operation(operation, graph ? *graph : media::audio::AudioGraph{},
                                              media::audio_runtime::RealAudioRuntime().capabilities());
    } else if constexpr (std::is_same_v<Op, UpdateOperation>) {
      select_section(handed.section());
      checked = device_local::check_operation(operation);
    } else if constexpr (std::is_same_v<Op, StorageOperation> || std::is_same_v<Op, UserOperation> ||
                         std::is_same_v<Op, AgentModelOperation>) {
      select_section(handed.section());
    } else {
      select_section(handed.section());
      checked = device_local::check_operation(operation, device_probe());
    }
    if (!checked) return rejected(std::move(checked.error()));
    return hand_over(kind, payload, handed);
  }
}

DeviceLocalOutcome SettingsApp::hand_over(std::string_view kind, std::string_view payload, HandedOperation operation) {
  // The key first: an operation whose key cannot be formed never reaches a pane.
  auto key = parse_device_local_operation(kind, payload);
  if (!key) return rejected(std::move(key.error()));
  const bool published = std::visit(
      [this](auto& handed) -> bool {
        if constexpr (std::is_same_v<std::decay_t<decltype(handed)>, PaneOperation>) {
          return pane_operation_.publish(std::move(handed)).has_value();
        } else {
          return device_mesh_operation_.publish(std::move(handed)).has_value();
        }
      },
      operation);
  if (!published) return rejected(std::string(kNotAnnounced));
  if (!operation_status_.publish(OperationStatus::Running{*key})) {
    retract_handed_operation();
    return rejected(std::string(kNotAnnounced));
  }
  pending_operation_key_ = std::move(*key);
  handed_awaiting_page_sync_ = std::holds_alternative<PaneOperation>(operation);
  return DeviceLocalOutcome::InFlight{};
}

void SettingsApp::fail_operation_left_in_cell() {
  if (!handed_awaiting_page_sync_ || !shell_) return;
  handed_awaiting_page_sync_ = false;
  if (!pane_operation_.snapshot()) return;
  (void)pane_operation_.publish(std::nullopt);
  if (pending_operation_key_ && operation_status_.snapshot().is_running(*pending_operation_key_)) {
    (void)operation_status_.publish(OperationStatus::Failed{*pending_operation_key_, std::string(kPageCannot)});
  }
}

void SettingsApp::retract_handed_operation() {
  if (pane_operation_.snapshot()) (void)pane_operation_.publish(std::nullopt);
  if (device_mesh_operation_.snapshot()) (void)device_mesh_operation_.publish(std::nullopt);
}

DeviceLocalOutcome SettingsApp::record_local_outcome(std::string_view kind, std::string_view payload, bool succeeded,
                                                     std::string message) {
  auto key = parse_device_local_operation(kind, payload);
  if (!key) return rejected(std::move(key.error()));
  const bool running = operation_status_.publish(OperationStatus::Running{*key}).has_value();
  OperationStatus finished = succeeded ? OperationStatus(OperationStatus::Succeeded{*key, message})
                                       : OperationStatus(OperationStatus::Failed{*key, message});
  // Without the finished status in the cell nothing would ever report the outcome.
  if (!running || !operation_status_.publish(std::move(finished))) {
    return rejected(std::string(kNotRecorded) + message);
  }
  pending_operation_key_ = std::move(*key);
  structure_dirty_ = true;
  rebuild_shell();
  return DeviceLocalOutcome::InFlight{};
}

}  // namespace settings::settings_app

#pragma once
// The pane of the section "displays": brightness, automatic brightness, Night Light and its
// warmth, the desktop scale, and the arrangement of the outputs, tried as display transactions.
//
// Every value lives under a key of the pane's document. An operation handed over by the shell
// writes its key; the pass then compares the document with what the pane knows and does the work:
// a brightness request to the brightness worker, a preference save, an output change staged as a
// new configuration, or a step of the display transaction. While the pane reports to the shell's
// status and no operation of its own is in hand, each pass writes the pane's state back into the
// document, so the document shows the live values. Output edits add up in the staged
// configuration until a transaction started with Apply reaches its outcome.
//
// Workers: "settings-display-probe" reads the brightness and the light sensor once;
// "settings-brightness-apply" applies brightness requests in order and ends when the pane is
// dropped. Interface thread only otherwise.
#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "actions/hardware_operations.h"
#include "orvo_runtime/channel.h"
#include "os_actions/dispatcher.h"
#include "panes/display/display_outputs.h"
#include "panes/pane_glue.h"
#include "panes/pane_inputs.h"
#include "panes/taken_operation.h"
#include "panes/workers/brightness_worker.h"
#include "preferences/records.h"
#include "settings_store/display_transaction.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::display {

inline constexpr std::string_view kProbeThread = "settings-display-probe";

inline constexpr std::string_view kBrightnessKey = "display.brightness";
inline constexpr std::string_view kAutoBrightnessKey = "display.auto_brightness";
inline constexpr std::string_view kNightLightKey = "display.night_light";
inline constexpr std::string_view kNightLightTemperatureKey = "display.night_light_temperature";
inline constexpr std::string_view kScaleKey = "display.scale";
inline constexpr std::string_view kApplyKey = "display.apply";
inline constexpr std::string_view kKeepKey = "display.keep";
inline constexpr std::string_view kRevertKey = "display.revert";

inline constexpr std::string_view kTestingSentence =
    "Display change is being tested. Keep it within 15 seconds or it will be restored.";
inline constexpr std::string_view kStagedSentence = "Display change staged. Apply it to preview the new configuration.";
inline constexpr std::string_view kUnchangedLayoutSentence = "The display layout already has this setting.";

// What an Apply, Keep or Revert waits for from the compositor.
enum class DisplayDecisionKind : std::uint8_t { Apply, Keep, Revert };

// A compositor that has not taken up a request within this long, or has not carried out a decision
// this long after the trial's deadline, is not answering.
inline constexpr std::chrono::milliseconds kVerdictGrace{2000};

// The probe's answer: the light sensor, and the brightness (0.5 when it could not be read).
struct ProbeResult {
  bool sensor = false;
  float level = 0.5f;
};

// What the pane calls outside itself, in one argument. The brightness and sensor reads run on the
// probe worker and `dispatcher` on the brightness worker; the rest on the interface thread.
struct DisplayServices {
  std::function<std::expected<float, std::string>()> get_brightness;
  std::function<bool()> has_ambient_light_sensor;
  std::shared_ptr<const os_actions::Dispatcher> dispatcher;
  std::function<std::expected<settings_store::DisplayHardwareSnapshot, std::string>()> load_snapshot;
  std::function<std::filesystem::path()> snapshot_path;
  std::function<std::expected<hw::DisplayConfig, std::string>()> load_config;
  std::function<std::expected<hw::DisplayTransaction, std::string>(const hw::DisplayConfig&)> request_transaction;
  std::function<std::expected<std::optional<hw::DisplayTransaction>, std::string>()> load_transaction;
  std::function<std::expected<void, std::string>(const hw::DisplayTransaction&)> request_confirmation;
  std::function<std::expected<void, std::string>(const hw::DisplayTransaction&)> request_revert;
  std::function<std::chrono::steady_clock::time_point()> now;
  // Starts a named worker running the job; a failure text when no thread could be started.
  std::function<std::expected<void, std::string>(std::string name, std::function<void()> job)> start_worker;
};
DisplayServices real_display_services();

// Whole seconds left until the deadline, any part of a second counting as one; 0 when past or
// without a deadline.
std::uint64_t countdown_seconds(std::optional<std::uint64_t> deadline_unix_ms, std::uint64_t now_unix_ms);

class DisplayPane final : public PaneGlue {
 public:
  // The probing pane: starts both workers and reads the outputs, the preferences, the
  // configuration in force and the snapshot's time.
  explicit DisplayPane(DisplayServices services = real_display_services());
  // The fixed pane of a machine with only its built-in panel: no workers, brightness through the
  // dispatcher, a light sensor.
  static DisplayPane with_builtin_display(std::shared_ptr<const os_actions::Dispatcher> dispatcher, float brightness,
                                          DisplayServices services = real_display_services());
  DisplayPane(DisplayPane&&) = default;
  ~DisplayPane() override;

  DisplayPane with_pane_operation(settings_app::PaneOperationCell cell) &&;
  DisplayPane with_operation_status(settings_app::OperationStatusCell cell) &&;

  std::string_view type_name() const override { return "settings::panes::display::DisplayPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  // A pane not mounted by the shell works on the frame's document.
  void sync(orvo_ui::SyncContext& context) override;
  // Frames keep coming while the probe's answer is awaited; the probe also wakes the loop when it answers.
  bool needs_redraw() const override;
  // While a display transaction is under way, a frame each second: its progress is read on passes
  // and the countdown moves.
  std::optional<orvo_ui::Deadline> next_wake_deadline() const override;

  // Writes the reset set, then the operation's key.
  void stage_operation(orvo_doc::Document& document, const actions::DisplayOperation& operation);
  // Writes every output's keys for `config` (values that differ only).
  void publish_output_settings(orvo_doc::Document& document, const hw::DisplayConfig& config);

  // What the view and the tests read.
  const std::vector<DisplayOutput>& outputs() const { return outputs_; }
  std::vector<const DisplayOutput*> output_refs() const;
  const std::optional<hw::DisplayConfig>& live_configuration() const { return live_; }
  const std::optional<hw::DisplayConfig>& staged_configuration() const { return staged_; }
  // The configuration the pane shows: the staged one, else the one in force.
  hw::DisplayConfig shown_configuration() const;
  const preferences::DisplayPrefs& display_preferences() const { return prefs_; }
  bool ambient_light_sensor() const { return sensor_; }
  // Whether the probe's answer is still awaited.
  bool probing() const { return probe_.has_value(); }
  float shown_brightness() const { return shown_brightness_; }
  bool brightness_request_pending() const { return pending_ != 0; }
  const std::optional<std::pair<std::uint64_t, hw::DisplayTransactionState>>& last_transaction() const {
    return last_transaction_;
  }
  // The transaction as last read, for the view's card.
  const std::optional<hw::DisplayTransaction>& transaction() const { return transaction_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  struct Fixed {};
  DisplayPane(Fixed, DisplayServices services);

  // The steps of a pass (display_sync.cpp).
  void take_brightness_result(orvo_doc::Document& document);
  void take_probe_result(orvo_doc::Document& document);
  void watch_snapshot();
  void publish_all(orvo_doc::Document& document);
  void reset(orvo_doc::Document& document);
  void apply_brightness_change(orvo_doc::Document& document);
  void apply_light_preferences(orvo_doc::Document& document, bool changes_allowed);
  void stage_output_changes(orvo_doc::Document& document);
  void step_display_transaction(orvo_doc::Document& document);
  void observe_transaction(orvo_doc::Document& document);
  // Ends an Apply, Keep or Revert with the compositor's verdict on its transaction, or with a
  // failure once the compositor has not answered in time.
  void conclude_verdict(const std::expected<std::optional<hw::DisplayTransaction>, std::string>& loaded);
  void await_verdict(DisplayDecisionKind kind, const hw::DisplayTransaction& transaction);
  void settle_operation();
  // Rebuilds the view when the countdown it shows is out of date.
  void follow_countdown();

  // The cards of the page (display_view.cpp).
  std::unique_ptr<orvo_ui::Widget> displays_card() const;
  std::unique_ptr<orvo_ui::Widget> output_card(std::size_t index);
  std::unique_ptr<orvo_ui::Widget> transaction_card(std::uint64_t now_unix_ms);
  std::unique_ptr<orvo_ui::Widget> brightness_card();
  // Ends the operation in hand with `outcome` (dropped when none is in hand, or the status no
  // longer runs it).
  void finish_operation(PaneOutcome outcome);
  std::expected<std::filesystem::path, std::string> save_prefs(const std::function<void(preferences::DisplayPrefs&)>& edit);
  void reload_outputs_and_configuration();
  // The configuration in force; none, with the reason kept, when its file cannot be read.
  void load_live_configuration();

  DisplayServices services_;
  PaneOperations<settings_app::PaneOperation> operations_;
  bool attached_ = false;
  bool reporting_ = false;
  bool document_dirty_ = true;

  std::vector<DisplayOutput> outputs_;
  std::optional<hw::DisplayConfig> live_;
  std::string config_error_;
  std::optional<hw::DisplayConfig> staged_;
  preferences::DisplayPrefs prefs_;
  preferences::DisplayPrefs published_{false, false, kDefaultWarmth, 1.0};

  std::optional<orvo_runtime::Receiver<ProbeResult>> probe_;
  std::optional<orvo_runtime::Sender<float>> brightness_requests_;
  std::optional<orvo_runtime::Receiver<workers::BrightnessReply>> brightness_replies_;
  std::uint32_t pending_ = 0;
  float before_request_ = 0.5f;
  float requested_ = 0.5f;
  float probed_brightness_ = 0.5f;
  float shown_brightness_ = 0.5f;
  bool sensor_ = false;

  std::chrono::steady_clock::time_point last_snapshot_check_;
  std::optional<std::filesystem::file_time_type> snapshot_time_;

  // Whether the transaction is still read on quiet passes: until its outcome has been seen.
  bool awaiting_outcome_ = true;
  std::optional<std::pair<std::uint64_t, hw::DisplayTransactionState>> last_transaction_;
  std::optional<hw::DisplayTransaction> transaction_;
  struct AwaitedVerdict {
    DisplayDecisionKind kind = DisplayDecisionKind::Apply;
    std::uint64_t transaction_id = 0;
    std::chrono::steady_clock::time_point until;
  };
  std::optional<AwaitedVerdict> verdict_;
  // The seconds the transaction card shows, when it shows a countdown.
  std::optional<std::uint64_t> shown_countdown_;
};

// The pane table's line for the Displays section.
std::unique_ptr<orvo_ui::Widget> display_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::display

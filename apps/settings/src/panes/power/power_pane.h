#pragma once
// The pane of the section "power": the battery and the other power devices, the charge cap, the
// power profile, the idle timeouts (suspend, screen blank, lock, and suspend per profile) and the
// lid, power-key and critical-battery actions.
//
// Every control value lives under a "power." key of the pane's document. A control or a handed-over
// operation writes its key; the pass compares each key with what the pane last published, carries a
// change out (the platform call, or saving the preferences file) and reports the outcome. With the
// shell's status attached, a change is carried out only for the operation that is Running, and
// between operations the document is brought back to what was published. Every operation taken
// from the shell ends under its exact key in the first pass that has the facts.
//
// Interface thread only. What the pane shows is read on the worker "settings-power-facts" (the
// services may be slow to answer); until it arrives the page says so, and an operation taken
// meanwhile waits in hand. The platform calls of the handlers (the power profile, the charge cap)
// run on the worker "settings-power-apply", one of each kind at a time; the operation they carry
// out stays in hand until the answer arrives.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/system_operations.h"
#include "orvo_power_mgmt/history.h"
#include "orvo_runtime/channel.h"
#include "os_actions/battery.h"
#include "os_actions/dispatcher.h"
#include "panes/pane_glue.h"
#include "panes/pane_inputs.h"
#include "panes/taken_operation.h"
#include "preferences/records.h"
#include "panes/operation_status.h"
#include "panes/pane_operation.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::power {

using actions::PowerOperation;

// Document keys.
inline constexpr std::string_view kProfileKey = "power.profile";
inline constexpr std::string_view kAutoSuspendKey = "power.auto_suspend";
inline constexpr std::string_view kSuspendKey = "power.suspend";
inline constexpr std::string_view kBlankKey = "power.blank";
inline constexpr std::string_view kLockKey = "power.lock";
inline constexpr std::string_view kSaverIdleKey = "power.profile_idle.saver";
inline constexpr std::string_view kBalancedIdleKey = "power.profile_idle.balanced";
inline constexpr std::string_view kPerformanceIdleKey = "power.profile_idle.performance";
inline constexpr std::string_view kLidKey = "power.lid";
inline constexpr std::string_view kPowerKeyKey = "power.power_key";
inline constexpr std::string_view kCriticalKey = "power.critical";
inline constexpr std::string_view kChargeLimitKey = "power.charge_limit";

inline constexpr std::string_view kFactsThread = "settings-power-facts";
inline constexpr std::string_view kApplyThread = "settings-power-apply";
inline constexpr std::string_view kReadingFacts = "Reading the power settings…";

// What the pane reads from the machine when it is made.
struct PowerFacts {
  os_actions::battery::BatteryInfo battery;
  std::vector<os_actions::battery::PowerDevice> devices;
  std::vector<orvo_power_mgmt::history::BatterySample> history;
  std::optional<os_actions::battery::ChargeCapability> charge_capability;
  // Profile numbers (0 Power Saver, 1 Balanced, 2 Performance) in the service's order.
  std::vector<std::uint8_t> available_profiles;
  std::uint8_t active_profile = 1;
  std::optional<std::string> profile_notice;
};

// The active profile and the offered ones from what the profile service answered: the active one is
// the reported one, else the first offered, else Balanced; a reported one the list lacks is added.
// Errors become the notice "Power-profile service is unavailable: …".
void take_profile_answers(PowerFacts& facts, const std::expected<std::uint8_t, std::string>& active,
                          const std::expected<std::vector<std::uint8_t>, std::string>& available);

// Everything read now: the profile service, the power service, the charge-cap control.
PowerFacts read_power_facts();

class PowerPane final : public PaneGlue {
 public:
  PowerPane(PowerFacts facts, std::shared_ptr<const os_actions::Dispatcher> dispatcher, preferences::PowerPrefs prefs);
  PowerPane(PowerPane&&) = default;

  // A pane whose facts `read` gives on the facts worker (or, when no thread can be started, at once).
  static PowerPane reading(std::function<PowerFacts()> read, std::shared_ptr<const os_actions::Dispatcher> dispatcher,
                           preferences::PowerPrefs prefs);
  // The pane of the running system: its facts, the system's dispatcher and the saved preferences.
  static PowerPane load();

  PowerPane with_pane_operation(settings_app::PaneOperationCell cell) &&;
  PowerPane with_operation_status(settings_app::OperationStatusCell cell) &&;

  std::string_view type_name() const override { return "settings::panes::power::PowerPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  // A pane not mounted by the shell works on the frame's document.
  void sync(orvo_ui::SyncContext& context) override;

  // What the view and the tests read.
  const PowerFacts& facts() const { return facts_; }
  // False while the facts are still being read.
  bool facts_ready() const { return !arriving_; }
  const preferences::PowerPrefs& prefs() const { return prefs_; }
  const preferences::PowerPrefs& published_prefs() const { return published_; }
  std::uint8_t active_profile() const { return active_profile_; }
  const std::optional<std::string>& charge_notice() const { return charge_notice_; }
  const std::optional<std::string>& profile_notice() const { return facts_.profile_notice; }
  // True while a profile or charge-cap change is being carried out.
  bool applying() const { return profile_call_.has_value() || charge_call_.has_value(); }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  // The steps of a pass.
  bool take_facts();
  void take_answers(orvo_doc::Document& document);
  void publish_all(orvo_doc::Document& document);
  void stage(orvo_doc::Document& document, const PowerOperation& operation);
  void run_handlers(orvo_doc::Document& document);
  void reset_to_published(orvo_doc::Document& document);
  void settle_operation();

  // The handlers.
  void apply_profile(orvo_doc::Document& document);
  void apply_charge_limit(orvo_doc::Document& document);
  void apply_idle_timeouts(orvo_doc::Document& document);
  void apply_power_actions(orvo_doc::Document& document);

  // Whether a change named by `operation` may be carried out now: nothing reports to the shell, or
  // the shell runs exactly this operation.
  bool may_apply(const PowerOperation& operation) const;
  // Ends `operation` with the outcome when the shell runs exactly it.
  void report(const PowerOperation& operation, PaneOutcome outcome);
  // Writes the power section into the preferences file; the failure sentence when it could not.
  std::optional<std::string> save_prefs() const;
  // The outcome of a handed-over operation that the pass did not carry out.
  PaneOutcome settled_outcome(const PowerOperation& operation) const;

  PowerFacts facts_;
  std::shared_ptr<const os_actions::Dispatcher> dispatcher_;
  PaneOperations<settings_app::PaneOperation> operations_;
  preferences::PowerPrefs prefs_;
  preferences::PowerPrefs published_;
  std::uint8_t active_profile_ = 1;
  std::uint8_t published_profile_ = 1;
  std::optional<std::string> charge_notice_;
  bool attached_ = false;
  bool reporting_ = false;
  bool document_dirty_ = true;
  std::optional<orvo_runtime::Receiver<PowerFacts>> arriving_;

  // A platform call in flight on the apply worker: the change it carries out and its answer.
  template <typename Answer>
  struct Call {
    PowerOperation operation;
    orvo_runtime::Receiver<Answer> answer;
  };
  using ChargeAnswer = std::expected<os_actions::battery::ChargeCapability, std::string>;
  std::optional<Call<os_actions::DispatchResult>> profile_call_;
  std::optional<Call<ChargeAnswer>> charge_call_;
  void end_profile_call(orvo_doc::Document& document, const os_actions::DispatchResult& set);
  void end_charge_call(orvo_doc::Document& document, ChargeAnswer applied);
};

// The pane table's line for the section.
std::unique_ptr<orvo_ui::Widget> power_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::power

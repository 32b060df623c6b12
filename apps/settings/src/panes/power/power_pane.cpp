#include "panes/power/power_pane.h"

#include <algorithm>
#include <fmt/format.h>
#include <utility>

#include "device_local/device_checks.h"
#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "orvo_runtime/overloaded.h"
#include "orvo_ui/wake.h"
#include "os_actions/power.h"
#include "panes/power/power_labels.h"
#include "panes/workers/worker_start.h"
#include "preferences/preferences_file.h"
#include "panes/pane_inputs.h"

namespace settings::panes::power {
namespace {

using orvo_runtime::Overloaded;
using preferences::PowerAction;
using preferences::PowerPrefs;

constexpr std::string_view kNotCarriedOut = "the power setting was not changed";

void put_text(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key, std::string text) {
  (void)lib::put_if_changed(document, object, key, orvo_doc::ScalarValue::str(std::move(text)));
}

// Puts the text only when the key holds another text or none.
void put_text_if_changed(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key,
                         const std::string& text) {
  if (lib::read_text(document, object, key) == text) return;
  put_text(document, object, key, text);
}

std::string percent_label(std::uint32_t percent) { return fmt::format("{}%", percent); }

// "80%" as 80; anything else (no sign, no number, a sign only) as none.
std::optional<std::uint32_t> parse_percent_label(std::string_view text) {
  if (!text.ends_with('%')) return std::nullopt;
  text.remove_suffix(1);
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > UINT32_MAX) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

// The idle timeouts, in the order they are handled.
enum class IdleKind { Blank, Lock, Suspend };
struct IdleSetting {
  std::string_view key;
  IdleKind kind;
  std::string_view profile;  // the operation's profile word, for suspend timeouts
  std::uint32_t PowerPrefs::*minutes;
};
constexpr IdleSetting kIdleSettings[] = {
    {kBlankKey, IdleKind::Blank, "", &PowerPrefs::blank_minutes},
    {kLockKey, IdleKind::Lock, "", &PowerPrefs::lock_minutes},
    {kSuspendKey, IdleKind::Suspend, "default", &PowerPrefs::suspend_minutes},
    {kSaverIdleKey, IdleKind::Suspend, "saver", &PowerPrefs::saver_suspend_minutes},
    {kBalancedIdleKey, IdleKind::Suspend, "balanced", &PowerPrefs::balanced_suspend_minutes},
    {kPerformanceIdleKey, IdleKind::Suspend, "performance", &PowerPrefs::performance_suspend_minutes},
};

std::optional<std::uint32_t> idle_minutes_from_label(const IdleSetting& setting, std::string_view label) {
  return setting.kind == IdleKind::Suspend ? suspend_minutes_from_label(label) : lock_minutes_from_label(label);
}

std::string idle_label(const IdleSetting& setting, std::uint32_t minutes) {
  switch (setting.kind) {
    case IdleKind::Blank: return blank_timeout_label(minutes);
    case IdleKind::Lock: return lock_timeout_label(minutes);
    case IdleKind::Suspend: break;
  }
  return suspend_timeout_label(minutes);
}

PowerOperation idle_operation(const IdleSetting& setting, std::string label) {
  switch (setting.kind) {
    case IdleKind::Blank: return PowerOperation::SetBlankTimeout{std::move(label)};
    case IdleKind::Lock: return PowerOperation::SetLockTimeout{std::move(label)};
    case IdleKind::Suspend: break;
  }
  return PowerOperation::SetSuspendTimeout{std::string(setting.profile), std::move(label)};
}

std::string idle_sentence(const IdleSetting& setting) {
  switch (setting.kind) {
    case IdleKind::Blank: return "Screen blank timeout saved.";
    case IdleKind::Lock: return "Automatic lock timeout saved.";
    case IdleKind::Suspend: break;
  }
  if (setting.profile == "default") return "Suspend timeout saved.";
  return fmt::format("{} suspend timeout saved.", setting.profile);
}

// The suspend timeout a handed-over profile word names: any word but the first three is the
// performance profile's.
const IdleSetting& suspend_setting_for(std::string_view profile) {
  if (profile == "default") return kIdleSettings[2];
  if (profile == "saver") return kIdleSettings[3];
  if (profile == "balanced") return kIdleSettings[4];
  return kIdleSettings[5];
}

// The button actions, in the order they are handled.
struct ActionSetting {
  std::string_view key;
  PowerAction PowerPrefs::*action;
  PowerOperation (*operation)(std::string);
  std::string_view sentence;
};
constexpr ActionSetting kActionSettings[] = {
    {kLidKey, &PowerPrefs::lid_close_action,
     [](std::string label) { return PowerOperation(PowerOperation::SetLidAction{std::move(label)}); },
     "Lid-close action saved."},
    {kPowerKeyKey, &PowerPrefs::power_key_action,
     [](std::string label) { return PowerOperation(PowerOperation::SetPowerKeyAction{std::move(label)}); },
     "Power-key action saved."},
    {kCriticalKey, &PowerPrefs::critical_action,
     [](std::string label) { return PowerOperation(PowerOperation::SetCriticalAction{std::move(label)}); },
     "Critical-battery action saved."},
};

std::string profile_sentence(std::string_view label) { return fmt::format("{} is now active.", label); }
// Runs `work` on the apply worker and hands back where its answer arrives (the loop is woken for
// it); when no thread can be started the work runs at once.
template <typename Answer, typename Work>
orvo_runtime::Receiver<Answer> call_on_worker(Work work) {
  auto [sender, receiver] = orvo_runtime::make_channel<Answer>(1);
  auto job = [work = std::move(work), sender]() mutable {
    (void)sender.send(work());
    orvo_ui::WakeHandle{}.wake();
  };
  if (auto started = workers::start_worker(std::string(kApplyThread), job); !started) {
    orvo_log::warn("could not start the power apply worker", {{"error", started.error()}});
    job();
  }
  return std::move(receiver);
}

// The answer of a call when it has arrived; a worker that ended without one answers `lost`.
template <typename Answer>
std::optional<Answer> answer_of(orvo_runtime::Receiver<Answer>& receiver, Answer lost) {
  auto received = receiver.try_recv();
  if (auto* answer = std::get_if<Answer>(&received)) return std::move(*answer);
  if (std::get<orvo_runtime::TryRecvError>(received) == orvo_runtime::TryRecvError::Empty) return std::nullopt;
  return lost;
}

constexpr std::string_view kNoAnswer = "the request ended without an answer";

std::string cap_sentence(std::uint32_t percent) { return fmt::format("hardware confirmed a {}% charge cap", percent); }
constexpr std::string_view kAutoSuspendSentence = "Automatic suspend preference saved.";

// The machine as the runner's checks see it, from what the pane read: only the charge-cap control
// matters to a power operation.
class PaneDeviceProbe final : public device_local::DeviceProbe {
 public:
  explicit PaneDeviceProbe(const std::optional<os_actions::battery::ChargeCapability>& capability)
      : capability_(capability) {}
  std::expected<std::optional<os_actions::battery::ChargeCapability>, std::string> charge_capability() override {
    return capability_;
  }
  std::expected<os_actions::network::WiredState, std::string> wired() override { return unread(); }
  std::expected<std::vector<os_actions::bluez::BluetoothDevice>, std::string> bluetooth_devices() override {
    return unread();
  }
  std::expected<media::audio::AudioGraph, std::string> audio_graph() override { return unread(); }
  std::expected<settings_store::DisplayHardwareSnapshot, std::string> display_snapshot() override { return unread(); }
  std::expected<std::vector<os_actions::printing::PrinterQueue>, std::string> printer_queues() override {
    return unread();
  }
  std::expected<std::vector<os_actions::printing::PrintJob>, std::string> print_jobs() override { return unread(); }

 private:
  static std::unexpected<std::string> unread() { return std::unexpected(std::string("not read by the power page")); }
  std::optional<os_actions::battery::ChargeCapability> capability_;
};

}  // namespace

void take_profile_answers(PowerFacts& facts, const std::expected<std::uint8_t, std::string>& active,
                          const std::expected<std::vector<std::uint8_t>, std::string>& available) {
  std::vector<std::string> errors;
  facts.available_profiles.clear();
  if (available) {
    facts.available_profiles = *available;
  } else {
    errors.push_back(fmt::format("capabilities: {}", available.error()));
  }
  if (active) {
    facts.active_profile = *active;
    const auto& listed = facts.available_profiles;
    if (std::find(listed.begin(), listed.end(), *active) == listed.end()) facts.available_profiles.push_back(*active);
  } else {
    errors.insert(errors.begin(), active.error());
    facts.active_profile = facts.available_profiles.empty() ? os_actions::power::kBalanced : facts.available_profiles.front();
  }
  facts.profile_notice.reset();
  if (!errors.empty()) {
    facts.profile_notice = fmt::format("Power-profile service is unavailable: {}", fmt::join(errors, "; "));
  }
}

PowerFacts read_power_facts() {
  PowerFacts facts;
  take_profile_answers(facts, os_actions::power::get_power_profile(), os_actions::power::available_power_profiles());
  facts.battery = os_actions::battery::BatteryInfo::from_system();
  facts.history = orvo_power_mgmt::history::load_battery_history();
  facts.devices = os_actions::battery::power_devices();
  if (auto capability = os_actions::battery::charge_capability(); capability && *capability) {
    facts.charge_capability = std::move(**capability);
  }
  return facts;
}

PowerPane::PowerPane(PowerFacts facts, std::shared_ptr<const os_actions::Dispatcher> dispatcher, PowerPrefs prefs)
    : PaneGlue("PowerPane", DirtyRule::AlwaysAskView),
      facts_(std::move(facts)),
      dispatcher_(std::move(dispatcher)),
      prefs_(prefs),
      active_profile_(facts_.active_profile),
      published_profile_(facts_.active_profile) {
  if (!dispatcher_) dispatcher_ = std::make_shared<os_actions::RealDispatcher>();
}

PowerPane PowerPane::reading(std::function<PowerFacts()> read, std::shared_ptr<const os_actions::Dispatcher> dispatcher,
                             preferences::PowerPrefs prefs) {
  auto [sender, receiver] = orvo_runtime::make_channel<PowerFacts>(1);
  auto started = workers::start_worker(std::string(kFactsThread), [read, sender = std::move(sender)]() mutable {
    sender.send(read());
    orvo_ui::WakeHandle{}.wake();
  });
  if (!started) {
    orvo_log::warn("could not start the power facts reader", {{"error", started.error()}});
    return PowerPane(read(), std::move(dispatcher), prefs);
  }
  PowerPane pane(PowerFacts{}, std::move(dispatcher), prefs);
  pane.arriving_.emplace(std::move(receiver));
  return pane;
}

PowerPane PowerPane::load() {
  return reading(read_power_facts, std::make_shared<os_actions::RealDispatcher>(), preferences::load_preferences().power);
}

bool PowerPane::take_facts() {
  if (!arriving_) return true;
  auto received = arriving_->try_recv();
  if (auto* facts = std::get_if<PowerFacts>(&received)) {
    facts_ = std::move(*facts);
  } else if (std::get<orvo_runtime::TryRecvError>(received) == orvo_runtime::TryRecvError::Empty) {
    return false;
  } else {
    // The reader ended without an answer: the machine shows as one without services.
    facts_ = PowerFacts{};
  }
  arriving_.reset();
  active_profile_ = published_profile_ = facts_.active_profile;
  mark_structure_dirty();
  return true;
}

PowerPane PowerPane::with_pane_operation(settings_app::PaneOperationCell cell) && {
  operations_.attach_operation_cell(std::move(cell));
  attached_ = true;
  return std::move(*this);
}

PowerPane PowerPane::with_operation_status(settings_app::OperationStatusCell cell) && {
  operations_.attach_status_cell(std::move(cell));
  reporting_ = true;
  return std::move(*this);
}

std::optional<orvo_ui::PaneDescriptor> PowerPane::pane_descriptor() {
  return orvo_ui::PaneDescriptor{"power", "Power", "Change power preferences"};
}

void PowerPane::sync(orvo_ui::SyncContext& context) {
  if (!attached_ && own_document()) use_frame_document();
  PaneGlue::sync(context);
}

void PowerPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  if (!document) return;
  orvo_doc::Document& working = *document;
  // An operation is taken at once, as the shell expects; until the facts arrive nothing is
  // published and it waits in hand.
  operations_.take(
      [](const settings_app::PaneOperation& operation) { return std::holds_alternative<PowerOperation>(operation); });
  if (!take_facts()) return;
  if (document_dirty_) publish_all(working);
  take_answers(working);

  // Whatever is in hand now was taken in this pass or while the facts were read: every pass that
  // runs this far ends it.
  if (const auto* in_hand = operations_.in_hand()) {
    if (const auto* operation = std::get_if<PowerOperation>(&in_hand->operation())) {
      stage(working, *operation);
      run_handlers(working);
    }
  }

  const auto status = operations_.status_cell().snapshot();
  if (!reporting_ || std::holds_alternative<settings_app::OperationStatus::Running>(status)) {
    run_handlers(working);
  } else {
    reset_to_published(working);
  }
  settle_operation();
}

void PowerPane::publish_all(orvo_doc::Document& document) {
  put_text(document, object_, kProfileKey, power_profile_label(active_profile_));
  (void)lib::put_if_changed(document, object_, kAutoSuspendKey, orvo_doc::ScalarValue::boolean(prefs_.auto_suspend));
  for (const auto& setting : kIdleSettings) put_text(document, object_, setting.key, idle_label(setting, prefs_.*setting.minutes));
  for (const auto& setting : kActionSettings) put_text(document, object_, setting.key, power_action_label(prefs_.*setting.action));
  if (facts_.charge_capability) {
    put_text(document, object_, kChargeLimitKey, percent_label(facts_.charge_capability->current_percent));
  }
  document_dirty_ = false;
  published_ = prefs_;
  published_profile_ = active_profile_;
}

void PowerPane::stage(orvo_doc::Document& document, const PowerOperation& operation) {
  std::visit(Overloaded{
                 [&](const PowerOperation::SetChargeLimit& op) {
                   put_text(document, object_, kChargeLimitKey, percent_label(op.percent));
                 },
                 [&](const PowerOperation::SetProfile& op) { put_text(document, object_, kProfileKey, op.profile); },
                 [&](const PowerOperation::SetAutoSuspend& op) {
                   (void)lib::put_if_changed(document, object_, kAutoSuspendKey, orvo_doc::ScalarValue::boolean(op.enabled));
                 },
                 [&](const PowerOperation::SetBlankTimeout& op) { put_text(document, object_, kBlankKey, op.label); },
                 [&](const PowerOperation::SetLockTimeout& op) { put_text(document, object_, kLockKey, op.label); },
                 [&](const PowerOperation::SetSuspendTimeout& op) {
                   put_text(document, object_, suspend_setting_for(op.profile).key, op.label);
                 },
                 [&](const PowerOperation::SetLidAction& op) { put_text(document, object_, kLidKey, op.action); },
                 [&](const PowerOperation::SetPowerKeyAction& op) { put_text(document, object_, kPowerKeyKey, op.action); },
                 [&](const PowerOperation::SetCriticalAction& op) { put_text(document, object_, kCriticalKey, op.action); },
             },
             operation);
}

void PowerPane::run_handlers(orvo_doc::Document& document) {
  apply_profile(document);
  apply_charge_limit(document);
  apply_idle_timeouts(document);
  apply_power_actions(document);
}

void PowerPane::reset_to_published(orvo_doc::Document& document) {
  put_text_if_changed(document, object_, kProfileKey, power_profile_label(published_profile_));
  if (lib::read_bool(document, object_, kAutoSuspendKey) != published_.auto_suspend) {
    (void)lib::put_if_changed(document, object_, kAutoSuspendKey, orvo_doc::ScalarValue::boolean(published_.auto_suspend));
  }
  // The lock timeout is left as it is.
  for (const auto& setting : kIdleSettings) {
    if (setting.key == kLockKey) continue;
    put_text_if_changed(document, object_, setting.key, idle_label(setting, published_.*setting.minutes));
  }
  for (const auto& setting : kActionSettings) {
    put_text_if_changed(document, object_, setting.key, power_action_label(published_.*setting.action));
  }
  if (facts_.charge_capability) {
    put_text_if_changed(document, object_, kChargeLimitKey, percent_label(facts_.charge_capability->current_percent));
  }
}

bool PowerPane::may_apply(const PowerOperation& operation) const {
  if (!reporting_) return true;
  return operations_.status_cell().snapshot().is_running(handed_operation_key(settings_app::PaneOperation(operation)));
}

void PowerPane::report(const PowerOperation& operation, PaneOutcome outcome) {
  const auto* in_hand = operations_.in_hand();
  if (in_hand) {
    const auto* handed = std::get_if<PowerOperation>(&in_hand->operation());
    if (handed && *handed == operation) {
      operations_.finish(std::move(outcome));
      return;
    }
  }
  // An operation that reached the pane only through the Running status.
  TakenOperation<settings_app::PaneOperation> running{settings_app::PaneOperation(operation)};
  running.finish(operations_.status_cell(), std::move(outcome));
}

std::optional<std::string> PowerPane::save_prefs() const {
  preferences::Preferences all = preferences::load_preferences();
  all.power = prefs_;
  auto saved = preferences::save_preferences(all);
  if (saved) return std::nullopt;
  orvo_log::warn("failed to persist power prefs", {{"op", "power_prefs_save"}, {"error", saved.error()}});
  return fmt::format("Power preference was not saved: {}", saved.error());
}

void PowerPane::apply_profile(orvo_doc::Document& document) {
  const auto label = lib::read_text(document, object_, kProfileKey);
  if (!label) return;
  const auto profile = power_profile_from_label(*label);
  if (!profile || *profile == published_profile_ || profile_call_) return;
  const PowerOperation operation = PowerOperation::SetProfile{*label};
  if (!may_apply(operation)) return;

  const auto& offered = facts_.available_profiles;
  if (std::find(offered.begin(), offered.end(), *profile) == offered.end()) {
    put_text(document, object_, kProfileKey, power_profile_label(published_profile_));
    facts_.profile_notice = fmt::format("{} is not supported by this device.", *label);
    mark_structure_dirty();
    report(operation, PaneOutcome::failure("Power profile is not supported by this device."));
    return;
  }
  profile_call_.emplace(operation, call_on_worker<os_actions::DispatchResult>(
                                       [dispatcher = dispatcher_, name = std::string(os_actions::power::profile_name(*profile))] {
                                         return dispatcher->set_power_profile(name);
                                       }));
}

void PowerPane::end_profile_call(orvo_doc::Document& document, const os_actions::DispatchResult& set) {
  const PowerOperation operation = std::move(profile_call_->operation);
  profile_call_.reset();
  const std::string label = std::get<PowerOperation::SetProfile>(operation).profile;
  mark_structure_dirty();
  if (set) {
    active_profile_ = published_profile_ = *power_profile_from_label(label);
    put_text_if_changed(document, object_, kProfileKey, label);
    facts_.profile_notice = profile_sentence(label);
    report(operation, PaneOutcome::success(profile_sentence(label)));
    return;
  }
  put_text_if_changed(document, object_, kProfileKey, power_profile_label(published_profile_));
  const std::string failure = fmt::format("Could not change the power profile: {}", set.error());
  facts_.profile_notice = failure;
  orvo_log::warn("power pane dispatch failed", {{"op", "set_power_profile"}, {"error", set.error()}});
  report(operation, PaneOutcome::failure(failure));
}

void PowerPane::apply_charge_limit(orvo_doc::Document& document) {
  const auto text = lib::read_text(document, object_, kChargeLimitKey);
  if (!text) return;
  const auto percent = parse_percent_label(*text);
  if (!percent || !facts_.charge_capability || charge_call_) return;
  const auto& capability = *facts_.charge_capability;
  const auto& supported = capability.supported_percents;
  if (*percent == capability.current_percent ||
      std::find(supported.begin(), supported.end(), *percent) == supported.end()) {
    return;
  }
  const PowerOperation operation = PowerOperation::SetChargeLimit{*percent};
  if (!may_apply(operation)) return;

  charge_call_.emplace(operation, call_on_worker<ChargeAnswer>([percent = *percent] {
                         return os_actions::battery::set_charge_limit_checked(percent);
                       }));
}

void PowerPane::end_charge_call(orvo_doc::Document& document, ChargeAnswer applied) {
  const PowerOperation operation = std::move(charge_call_->operation);
  charge_call_.reset();
  mark_structure_dirty();
  if (applied) {
    const std::uint32_t confirmed = applied->current_percent;
    facts_.charge_capability = std::move(*applied);
    put_text_if_changed(document, object_, kChargeLimitKey, percent_label(confirmed));
    charge_notice_ = fmt::format("Hardware confirmed a {}% charge cap.", confirmed);
    report(operation, PaneOutcome::success(cap_sentence(confirmed)));
    return;
  }
  // The key goes back to the cap in force, so the same choice can be tried again.
  if (facts_.charge_capability) {
    put_text_if_changed(document, object_, kChargeLimitKey, percent_label(facts_.charge_capability->current_percent));
  }
  const std::string failure = fmt::format("Charge cap was not applied: {}", applied.error());
  charge_notice_ = failure;
  orvo_log::warn("battery cap failed", {{"op", "set_charge_limit"}, {"error", applied.error()}});
  report(operation, PaneOutcome::failure(failure));
}

void PowerPane::take_answers(orvo_doc::Document& document) {
  if (profile_call_) {
    if (auto set = answer_of(profile_call_->answer, os_actions::DispatchResult(std::unexpect, std::string(kNoAnswer)))) {
      end_profile_call(document, *set);
    }
  }
  if (charge_call_) {
    if (auto applied = answer_of(charge_call_->answer, ChargeAnswer(std::unexpect, std::string(kNoAnswer)))) {
      end_charge_call(document, std::move(*applied));
    }
  }
}

void PowerPane::apply_idle_timeouts(orvo_doc::Document& document) {
  if (const auto enabled = lib::read_bool(document, object_, kAutoSuspendKey);
      enabled && *enabled != published_.auto_suspend) {
    const PowerOperation operation = PowerOperation::SetAutoSuspend{*enabled};
    if (may_apply(operation)) {
      published_.auto_suspend = prefs_.auto_suspend = *enabled;
      const auto failure = save_prefs();
      report(operation, failure ? PaneOutcome::failure(*failure) : PaneOutcome::success(std::string(kAutoSuspendSentence)));
    }
  }
  for (const auto& setting : kIdleSettings) {
    const auto label = lib::read_text(document, object_, setting.key);
    if (!label) continue;
    const auto minutes = idle_minutes_from_label(setting, *label);
    if (!minutes || *minutes == published_.*setting.minutes) continue;
    const PowerOperation operation = idle_operation(setting, *label);
    if (!may_apply(operation)) continue;
    published_.*setting.minutes = prefs_.*setting.minutes = *minutes;
    const auto failure = save_prefs();
    report(operation, failure ? PaneOutcome::failure(*failure) : PaneOutcome::success(idle_sentence(setting)));
  }
}

void PowerPane::apply_power_actions(orvo_doc::Document& document) {
  for (const auto& setting : kActionSettings) {
    const auto label = lib::read_text(document, object_, setting.key);
    if (!label) continue;
    const auto action = preference_action_from_label(*label);
    if (!action || *action == published_.*setting.action) continue;
    const PowerOperation operation = setting.operation(*label);
    if (!may_apply(operation)) continue;
    published_.*setting.action = prefs_.*setting.action = *action;
    const auto failure = save_prefs();
    report(operation, failure ? PaneOutcome::failure(*failure) : PaneOutcome::success(std::string(setting.sentence)));
  }
}

PaneOutcome PowerPane::settled_outcome(const PowerOperation& operation) const {
  const auto action_already = [&](const ActionSetting& setting, std::string_view label) -> std::optional<std::string> {
    if (preference_action_from_label(label) == published_.*setting.action) return std::string(setting.sentence);
    return std::nullopt;
  };
  // Already so: the operation's normal sentence.
  const std::optional<std::string> already = std::visit(
      Overloaded{
          [&](const PowerOperation::SetChargeLimit& op) -> std::optional<std::string> {
            if (facts_.charge_capability && facts_.charge_capability->current_percent == op.percent) {
              return cap_sentence(op.percent);
            }
            return std::nullopt;
          },
          [&](const PowerOperation::SetProfile& op) -> std::optional<std::string> {
            if (power_profile_from_label(op.profile) == published_profile_) return profile_sentence(op.profile);
            return std::nullopt;
          },
          [&](const PowerOperation::SetAutoSuspend& op) -> std::optional<std::string> {
            if (op.enabled == published_.auto_suspend) return std::string(kAutoSuspendSentence);
            return std::nullopt;
          },
          [&](const PowerOperation::SetBlankTimeout& op) -> std::optional<std::string> {
            const auto& setting = kIdleSettings[0];
            if (idle_minutes_from_label(setting, op.label) == published_.*setting.minutes) return idle_sentence(setting);
            return std::nullopt;
          },
          [&](const PowerOperation::SetLockTimeout& op) -> std::optional<std::string> {
            const auto& setting = kIdleSettings[1];
            if (idle_minutes_from_label(setting, op.label) == published_.*setting.minutes) return idle_sentence(setting);
            return std::nullopt;
          },
          [&](const PowerOperation::SetSuspendTimeout& op) -> std::optional<std::string> {
            const auto& setting = suspend_setting_for(op.profile);
            if (idle_minutes_from_label(setting, op.label) == published_.*setting.minutes) return idle_sentence(setting);
            return std::nullopt;
          },
          [&](const PowerOperation::SetLidAction& op) { return action_already(kActionSettings[0], op.action); },
          [&](const PowerOperation::SetPowerKeyAction& op) { return action_already(kActionSettings[1], op.action); },
          [&](const PowerOperation::SetCriticalAction& op) { return action_already(kActionSettings[2], op.action); },
      },
      operation);
  if (already) return PaneOutcome::success(*already);
  // Not carried out: the reason the runner's checks give for it, in their words.
  PaneDeviceProbe probe(facts_.charge_capability);
  const auto checked = device_local::check_operation(operation, probe);
  if (!checked) return PaneOutcome::failure(checked.error());
  return PaneOutcome::failure(std::string(kNotCarriedOut));
}

void PowerPane::settle_operation() {
  const auto* in_hand = operations_.in_hand();
  if (!in_hand) return;
  const auto* operation = std::get_if<PowerOperation>(&in_hand->operation());
  if (!operation) return;
  // A change of a kind whose call is in flight waits for its answer (and then, when it asks for
  // something else, for its own call); everything else is carried out within the pass.
  const bool pending = (std::holds_alternative<PowerOperation::SetProfile>(*operation) && profile_call_) ||
                       (std::holds_alternative<PowerOperation::SetChargeLimit>(*operation) && charge_call_);
  operations_.settle(pending, settled_outcome(*operation));
}

std::unique_ptr<orvo_ui::Widget> power_pane(const settings_app::PaneInputs& inputs) {
  return std::make_unique<PowerPane>(PowerPane::load()
                                         .with_pane_operation(inputs.pane_operation)
                                         .with_operation_status(inputs.operation_status));
}

}  // namespace settings::panes::power

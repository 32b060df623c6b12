// The Displays pane's pass: worker results, the snapshot watch, publication, the handed-over
// operation, and the four steps that carry out what the document asks (brightness, preferences,
// output staging, the display transaction), then the end of the operation in hand.
#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <limits>
#include <type_traits>

#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "orvo_runtime/overloaded.h"
#include "panes/display/display_pane.h"
#include "panes/display/display_staging.h"
#include "panes/document_controls.h"

namespace settings::panes::display {

namespace {

using actions::DisplayOperation;
using orvo_runtime::Overloaded;
using orvo_doc::ScalarValue;
using State = hw::DisplayTransactionState;

constexpr std::string_view kNoSensor = "Automatic brightness is unavailable because this device has no ambient-light sensor.";
constexpr std::string_view kWorkerGone = "Brightness worker is unavailable; the display was not changed.";
constexpr std::string_view kPrefsWarning = "failed to persist display prefs";

void put(orvo_doc::Document& document, std::string_view key, ScalarValue value) {
  (void)lib::put_if_changed(document, orvo_doc::kRoot, key, std::move(value));
}
void put_bool(orvo_doc::Document& document, std::string_view key, bool value) { put(document, key, ScalarValue::boolean(value)); }
void put_text(orvo_doc::Document& document, std::string_view key, std::string_view value) {
  put(document, key, ScalarValue::str(std::string(value)));
}
void put_level(orvo_doc::Document& document, float level) { put(document, kBrightnessKey, ScalarValue::f64(level)); }

std::string brightness_sentence(float percent) { return fmt::format("Brightness set to {}%.", std::lround(percent)); }
std::string on_off(bool enabled) { return enabled ? "enabled" : "disabled"; }
std::string auto_brightness_sentence(bool enabled) { return fmt::format("Automatic brightness {}.", on_off(enabled)); }
std::string night_light_sentence(bool enabled) { return fmt::format("Night Light {}.", on_off(enabled)); }
std::string warmth_sentence(std::string_view label) { return fmt::format("Night Light warmth set to {}.", label); }
std::string scale_sentence(std::string_view label) { return fmt::format("Display scale set to {}.", label); }
std::string prefs_failure(std::string_view error) { return fmt::format("Display preference could not be saved: {}", error); }
void warn_prefs(std::string_view error) {
  orvo_log::warn(kPrefsWarning, {{"op", "display_prefs_save"}, {"error", std::string(error)}});
}

bool is_outcome(State state) { return state == State::Kept || state == State::Reverted || state == State::Rejected; }

// A whole sentence from a note that may already end with a full stop.
std::string note_sentence(std::string_view feature, std::string_view label, std::string note) {
  while (!note.empty() && note.back() == '.') note.pop_back();
  return fmt::format("{} cannot be changed on {}: {}.", feature, label, note);
}

// Why an output request that staged nothing could not be carried out; none when the layout already
// has what it asks for.
std::optional<std::string> output_request_refusal(const DisplayOperation& operation, const std::vector<DisplayOutput>& outputs,
                                                  const hw::DisplayConfig& shown) {
  const std::string* connector = std::visit(
      [](const auto& op) -> const std::string* {
        if constexpr (requires { op.connector; }) {
          return &op.connector;
        } else {
          return nullptr;
        }
      },
      operation);
  if (!connector) return std::nullopt;
  const auto found = std::find_if(outputs.begin(), outputs.end(), [&](const auto& o) { return o.connector == *connector; });
  if (found == outputs.end()) return fmt::format("The display {} is not connected.", *connector);
  const DisplayOutput& output = *found;
  if (!output.connected) return fmt::format("{} is not connected.", output.label);
  const hw::OutputSettings entry = entry_or_default(shown, outputs, static_cast<std::size_t>(found - outputs.begin()));
  const auto no_mode = [&](const std::string& mode) { return fmt::format("{} does not offer the mode {}.", output.label, mode); };
  return std::visit(
      Overloaded{
          [&](const DisplayOperation::SetHdr& op) -> std::optional<std::string> {
            if (op.enabled == entry.hdr || output.hdr_usable()) return std::nullopt;
            return note_sentence("HDR", output.label, capability_note(output.hdr_note, output.hdr_capable));
          },
          [&](const DisplayOperation::SetVrr& op) -> std::optional<std::string> {
            if (op.enabled == entry.vrr || output.vrr_usable()) return std::nullopt;
            return note_sentence("Variable refresh rate", output.label, capability_note(output.vrr_note, output.vrr_capable));
          },
          [&](const DisplayOperation::SetOutputScale& op) -> std::optional<std::string> {
            if (scale_from_label(op.label)) return std::nullopt;
            return fmt::format("\"{}\" is not a display scale.", op.label);
          },
          [&](const DisplayOperation::SetModeLabel& op) -> std::optional<std::string> {
            if (output_mode_for_label(output.modes, op.label)) return std::nullopt;
            return no_mode(op.label);
          },
          [&](const DisplayOperation::SetMode& op) -> std::optional<std::string> {
            if (std::find(output.modes.begin(), output.modes.end(), op.mode) != output.modes.end()) return std::nullopt;
            return no_mode(op.mode.label());
          },
          [&](const DisplayOperation::SetTransformLabel& op) -> std::optional<std::string> {
            if (orientation_from_label(op.label)) return std::nullopt;
            return fmt::format("\"{}\" is not a display orientation.", op.label);
          },
          [&](const DisplayOperation::SetPosition& op) -> std::optional<std::string> {
            if (op.label == kAutomatic) return std::nullopt;
            for (std::string_view side : {"Left", "Right", "Above", "Below"}) {
              const std::string prefix = fmt::format("{} of ", side);
              if (!op.label.starts_with(prefix)) continue;
              const std::string_view name = std::string_view(op.label).substr(prefix.size());
              for (const DisplayOutput* other : other_outputs(outputs, output.connector)) {
                if (other->named(name)) return std::nullopt;
              }
            }
            return fmt::format("\"{}\" does not place {} beside another connected display.", op.label, output.label);
          },
          [&](const DisplayOperation::SetPrimary& op) -> std::optional<std::string> {
            if (op.primary || !entry.primary) return std::nullopt;
            return fmt::format("{} stays the primary display until another display is made primary.", output.label);
          },
          [](const auto&) -> std::optional<std::string> { return std::nullopt; },
      },
      operation);
}

}  // namespace

void DisplayPane::sync(orvo_ui::SyncContext& context) {
  if (!attached_ && own_document()) use_frame_document();
  PaneGlue::sync(context);
}

void DisplayPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  if (!document) return;
  orvo_doc::Document& working = *document;
  take_brightness_result(working);
  take_probe_result(working);
  watch_snapshot();
  if (document_dirty_) publish_all(working);
  if (const auto* taken = operations_.take([](const settings_app::PaneOperation& operation) {
        return std::holds_alternative<DisplayOperation>(operation);
      })) {
    stage_operation(working, std::get<DisplayOperation>(*taken));
  }
  // Reporting to the shell with nothing of ours in hand: the document shows the pane's state, and
  // only what the controls change directly (Night Light and its warmth) is carried out.
  const bool quiet = reporting_ && !operations_.in_hand();
  if (quiet) reset(working);
  if (!quiet) apply_brightness_change(working);
  apply_light_preferences(working, !quiet);
  if (!quiet) {
    stage_output_changes(working);
    step_display_transaction(working);
  } else if (awaiting_outcome_) {
    observe_transaction(working);
  }
  settle_operation();
  follow_countdown();
}

void DisplayPane::follow_countdown() {
  if (!shown_countdown_ || !transaction_) return;
  if (countdown_seconds(transaction_->deadline_unix_ms, hw::unix_ms()) != *shown_countdown_) mark_structure_dirty();
}

void DisplayPane::take_brightness_result(orvo_doc::Document& document) {
  if (!brightness_replies_) return;
  auto received = brightness_replies_->try_recv();
  if (auto* error = std::get_if<orvo_runtime::TryRecvError>(&received)) {
    if (*error == orvo_runtime::TryRecvError::Empty) return;
    // The worker is gone: a request it took will never be answered.
    brightness_replies_.reset();
    if (std::exchange(pending_, 0) == 1) {
      shown_brightness_ = before_request_;
      put_level(document, shown_brightness_);
      finish_operation(PaneOutcome::failure(std::string(kWorkerGone)));
    }
    return;
  }
  auto& reply = std::get<workers::BrightnessReply>(received);
  if (std::exchange(pending_, 0) != 1) return;
  if (reply) {
    shown_brightness_ = *reply;
    finish_operation(PaneOutcome::success(brightness_sentence(*reply * 100.0f)));
    return;
  }
  shown_brightness_ = before_request_;
  put_level(document, shown_brightness_);
  orvo_log::warn("display worker dispatch failed",
                 {{"op", "set_brightness"}, {"error", reply.error()}, {"requested", fmt::format("{}", requested_)}});
  finish_operation(PaneOutcome::failure(fmt::format("Brightness could not be changed: {}", reply.error())));
}

void DisplayPane::take_probe_result(orvo_doc::Document& document) {
  if (!probe_) return;
  auto received = probe_->try_recv();
  if (auto* error = std::get_if<orvo_runtime::TryRecvError>(&received)) {
    if (*error == orvo_runtime::TryRecvError::Disconnected) probe_.reset();
    return;
  }
  const ProbeResult result = std::get<ProbeResult>(received);
  sensor_ = result.sensor;
  probed_brightness_ = shown_brightness_ = result.level;
  put_level(document, result.level);
  probe_.reset();
  mark_structure_dirty();
}

void DisplayPane::watch_snapshot() {
  const auto now = services_.now();
  if (now - last_snapshot_check_ < std::chrono::seconds(1)) return;
  last_snapshot_check_ = now;
  std::optional<std::filesystem::file_time_type> time;
  if (auto path = services_.snapshot_path(); !path.empty()) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    if (!error) time = written;
  }
  if (time == snapshot_time_) return;
  snapshot_time_ = time;
  reload_outputs_and_configuration();
  document_dirty_ = true;
  mark_structure_dirty();
}

void DisplayPane::publish_all(orvo_doc::Document& document) {
  put_level(document, probed_brightness_);
  put_bool(document, kAutoBrightnessKey, prefs_.auto_brightness);
  put_bool(document, kNightLightKey, prefs_.night_light);
  put_text(document, kNightLightTemperatureKey, night_light_label(prefs_.night_light_temperature));
  put_text(document, kScaleKey, scale_label(prefs_.scale));
  for (auto key : {kApplyKey, kKeepKey, kRevertKey}) put_bool(document, key, false);
  publish_output_settings(document, shown_configuration());
  document_dirty_ = false;
  published_ = prefs_;
}

void DisplayPane::publish_output_settings(orvo_doc::Document& document, const hw::DisplayConfig& config) {
  for (std::size_t i = 0; i < outputs_.size(); ++i) {
    const DisplayOutput& output = outputs_[i];
    const hw::OutputSettings entry = entry_or_default(config, outputs_, i);
    auto key = [&](std::string_view field) { return display_output_key(output.connector, field); };
    put_bool(document, key("enabled"), entry.enabled);
    put_bool(document, key("primary"), entry.primary);
    put_text(document, key("scale"), scale_label(entry.scale));
    put_text(document, key("position"), kAutomatic);
    put_text(document, key("mirror"), mirror_text(outputs_, entry.mirror));
    if (const auto& mode = entry.mode ? entry.mode : output.current_mode) put_text(document, key("mode"), mode->label());
    put_text(document, key("transform"), orientation_label(entry.transform));
    put_bool(document, key("hdr"), entry.hdr);
    put_bool(document, key("vrr"), entry.vrr);
    put_text(document, key("color_profile"), colour_profile_text(output, entry.color_profile));
  }
}

void DisplayPane::reset(orvo_doc::Document& document) {
  publish_output_settings(document, shown_configuration());
  put_level(document, shown_brightness_);
  put_bool(document, kAutoBrightnessKey, published_.auto_brightness);
  put_text(document, kScaleKey, scale_label(published_.scale));
  for (auto key : {kApplyKey, kKeepKey, kRevertKey}) put_bool(document, key, false);
}

void DisplayPane::stage_operation(orvo_doc::Document& document, const DisplayOperation& operation) {
  reset(document);
  auto output_key = [](const std::string& connector, std::string_view field) {
    return display_output_key(connector, field);
  };
  std::visit(
      Overloaded{
          [&](const DisplayOperation::SetBrightness& op) { put(document, kBrightnessKey, ScalarValue::f64(op.value)); },
          [&](const DisplayOperation::SetAutoBrightness& op) { put_bool(document, kAutoBrightnessKey, op.enabled); },
          [&](const DisplayOperation::SetNightLight& op) { put_bool(document, kNightLightKey, op.enabled); },
          [&](const DisplayOperation::SetNightLightTemperature& op) {
            put_text(document, kNightLightTemperatureKey, op.label);
          },
          [&](const DisplayOperation::SetScale& op) { put_text(document, kScaleKey, op.label); },
          [&](const DisplayOperation::SetPrimary& op) { put_bool(document, output_key(op.connector, "primary"), op.primary); },
          [&](const DisplayOperation::SetOutputScale& op) { put_text(document, output_key(op.connector, "scale"), op.label); },
          [&](const DisplayOperation::SetPosition& op) { put_text(document, output_key(op.connector, "position"), op.label); },
          [&](const DisplayOperation::SetMirror& op) { put_text(document, output_key(op.connector, "mirror"), op.label); },
          [&](const DisplayOperation::SetModeLabel& op) { put_text(document, output_key(op.connector, "mode"), op.label); },
          [&](const DisplayOperation::SetTransformLabel& op) {
            put_text(document, output_key(op.connector, "transform"), op.label);
          },
          [&](const DisplayOperation::SetColorProfileLabel& op) {
            put_text(document, output_key(op.connector, "color_profile"), op.label);
          },
          [&](const DisplayOperation::SetEnabled& op) { put_bool(document, output_key(op.connector, "enabled"), op.enabled); },
          [&](const DisplayOperation::SetMode& op) { put_text(document, output_key(op.connector, "mode"), op.mode.label()); },
          [&](const DisplayOperation::SetTransform& op) {
            put_text(document, output_key(op.connector, "transform"), orientation_label(op.transform));
          },
          [&](const DisplayOperation::SetHdr& op) { put_bool(document, output_key(op.connector, "hdr"), op.enabled); },
          [&](const DisplayOperation::SetVrr& op) { put_bool(document, output_key(op.connector, "vrr"), op.enabled); },
          [&](const DisplayOperation::SetColorProfile& op) {
            std::string text(kSystemDefault);
            if (op.profile) {
              const DisplayOutput* output = find_output(outputs_, op.connector);
              text = (output ? colour_profile_choice_label(*output, *op.profile) : std::nullopt).value_or(*op.profile);
            }
            put_text(document, output_key(op.connector, "color_profile"), text);
          },
          [&](const DisplayOperation::Apply&) { put_bool(document, kApplyKey, true); },
          [&](const DisplayOperation::Confirm&) { put_bool(document, kKeepKey, true); },
          [&](const DisplayOperation::Revert&) { put_bool(document, kRevertKey, true); },
      },
      operation);
}

void DisplayPane::apply_brightness_change(orvo_doc::Document& document) {
  const auto value = lib::read_f64(document, orvo_doc::kRoot, kBrightnessKey);
  if (!value) return;
  const auto requested = static_cast<float>(*value);
  if (pending_ != 0 || std::fabs(requested - shown_brightness_) <= 0.001f) return;
  const float level = std::clamp(requested, 0.0f, 1.0f);
  const float percent = level * 100.0f;
  // The document holds what can be shown: a level out of range would be asked for again and again.
  if (level != requested) put_level(document, level);
  if (brightness_requests_) {
    if (!brightness_requests_->try_send(percent)) {
      pending_ = 1;
      before_request_ = shown_brightness_;
      requested_ = level;
      return;
    }
    put_level(document, shown_brightness_);
    finish_operation(PaneOutcome::failure(std::string(kWorkerGone)));
    return;
  }
  if (auto set = services_.dispatcher->set_brightness(percent); !set) {
    put_level(document, shown_brightness_);
    orvo_log::warn("display pane dispatch failed", {{"op", "set_brightness"}, {"error", set.error()}});
    finish_operation(PaneOutcome::failure(fmt::format("Brightness could not be changed: {}", set.error())));
    return;
  }
  shown_brightness_ = level;
  finish_operation(PaneOutcome::success(brightness_sentence(percent)));
}

void DisplayPane::apply_light_preferences(orvo_doc::Document& document, bool changes_allowed) {
  const auto root = orvo_doc::kRoot;
  if (changes_allowed) {
    if (auto wanted = lib::read_bool(document, root, kAutoBrightnessKey); wanted && *wanted != prefs_.auto_brightness) {
      if (*wanted && !sensor_) {
        put_bool(document, kAutoBrightnessKey, false);
        finish_operation(PaneOutcome::failure(std::string(kNoSensor)));
      } else if (auto saved = save_prefs([&](auto& prefs) { prefs.auto_brightness = *wanted; }); saved) {
        prefs_.auto_brightness = published_.auto_brightness = *wanted;
        finish_operation(PaneOutcome::success(auto_brightness_sentence(*wanted)));
      } else {
        warn_prefs(saved.error());
        put_bool(document, kAutoBrightnessKey, prefs_.auto_brightness);
        finish_operation(PaneOutcome::failure(prefs_failure(saved.error())));
      }
    }
  }
  if (auto wanted = lib::read_bool(document, root, kNightLightKey); wanted && *wanted != prefs_.night_light) {
    prefs_.night_light = published_.night_light = *wanted;
    if (auto saved = save_prefs([&](auto& prefs) { prefs.night_light = *wanted; }); saved) {
      finish_operation(PaneOutcome::success(night_light_sentence(*wanted)));
    } else {
      warn_prefs(saved.error());
      finish_operation(PaneOutcome::failure(prefs_failure(saved.error())));
    }
  }
  if (auto label = lib::read_string(document, root, kNightLightTemperatureKey)) {
    if (auto kelvin = night_light_from_label(*label); kelvin && *kelvin != prefs_.night_light_temperature) {
      prefs_.night_light_temperature = published_.night_light_temperature = *kelvin;
      if (auto saved = save_prefs([&](auto& prefs) { prefs.night_light_temperature = *kelvin; }); saved) {
        finish_operation(PaneOutcome::success(warmth_sentence(*label)));
      } else {
        warn_prefs(saved.error());
        finish_operation(PaneOutcome::failure(prefs_failure(saved.error())));
      }
    }
  }
  if (!changes_allowed) return;
  auto label = lib::read_string(document, root, kScaleKey);
  if (!label) return;
  auto scale = scale_from_label(*label);
  if (!scale || std::fabs(*scale - prefs_.scale) <= std::numeric_limits<double>::epsilon()) return;
  if (auto saved = save_prefs([&](auto& prefs) { prefs.scale = *scale; }); saved) {
    prefs_.scale = published_.scale = *scale;
    finish_operation(PaneOutcome::success(scale_sentence(*label)));
  } else {
    warn_prefs(saved.error());
    put_text(document, kScaleKey, scale_label(prefs_.scale));
    finish_operation(PaneOutcome::failure(prefs_failure(saved.error())));
  }
}

void DisplayPane::stage_output_changes(orvo_doc::Document& document) {
  const auto root = orvo_doc::kRoot;
  std::map<std::string, OutputEdits> edits;
  for (const auto& output : outputs_) {
    auto key = [&](std::string_view field) { return display_output_key(output.connector, field); };
    OutputEdits& edit = edits[output.connector];
    edit.enabled = lib::read_bool(document, root, key("enabled"));
    edit.primary = lib::read_bool(document, root, key("primary"));
    edit.scale = lib::read_string(document, root, key("scale"));
    edit.mode = lib::read_string(document, root, key("mode"));
    edit.transform = lib::read_string(document, root, key("transform"));
    edit.hdr = lib::read_bool(document, root, key("hdr"));
    edit.vrr = lib::read_bool(document, root, key("vrr"));
    edit.color_profile = lib::read_string(document, root, key("color_profile"));
    edit.mirror = lib::read_string(document, root, key("mirror"));
    edit.position = lib::read_string(document, root, key("position"));
  }
  StagedLayout layout = stage_layout(shown_configuration(), outputs_, edits);
  if (!live_ && !staged_) {
    // A configuration that cannot be read is not replaced by one built from defaults.
    if (layout.changed) {
      finish_operation(PaneOutcome::failure(fmt::format("Display configuration could not be read: {}", config_error_)));
    }
    return;
  }
  if (layout.primary) {
    for (const auto& output : outputs_) {
      put_bool(document, display_output_key(output.connector, "primary"), output.connector == *layout.primary);
    }
  }
  if (!layout.changed) return;
  if (layout.invalid) {
    orvo_log::warn("rejected invalid display configuration", {{"error", hw::debug_string(*layout.invalid)}});
    finish_operation(PaneOutcome::failure(
        fmt::format("This display layout cannot be used: {}", validation_reason(*layout.invalid, outputs_))));
    return;
  }
  staged_ = std::move(layout.working);
  mark_structure_dirty();
  finish_operation(PaneOutcome::success(std::string(kStagedSentence)));
}

void DisplayPane::step_display_transaction(orvo_doc::Document& document) {
  const auto root = orvo_doc::kRoot;
  if (take_press(document, root, kApplyKey)) {
    if (!staged_) {
      finish_operation(PaneOutcome::failure("There are no staged display changes to apply."));
    } else if (auto requested = services_.request_transaction(*staged_); !requested) {
      orvo_log::warn("failed to stage display configuration", {{"error", requested.error()}});
      finish_operation(PaneOutcome::failure(fmt::format("Display configuration could not be staged: {}", requested.error())));
    } else {
      transaction_ = *requested;
      awaiting_outcome_ = true;
      mark_structure_dirty();
      await_verdict(DisplayDecisionKind::Apply, *requested);
    }
  }
  struct Decision {
    DisplayDecisionKind kind;
    std::string_view key;
    const std::function<std::expected<void, std::string>(const hw::DisplayTransaction&)>& request;
    std::string_view none;
    std::string_view warning;
    std::string_view failure;
  };
  const Decision decisions[] = {
      {DisplayDecisionKind::Keep, kKeepKey, services_.request_confirmation, "There is no display transaction to keep.",
       "failed to confirm display configuration", "Display configuration could not be kept: {}"},
      {DisplayDecisionKind::Revert, kRevertKey, services_.request_revert, "There is no display transaction to revert.",
       "failed to revert display configuration", "Display configuration could not be reverted: {}"},
  };
  for (const Decision& decision : decisions) {
    if (!take_press(document, root, decision.key)) continue;
    auto loaded = services_.load_transaction();
    if (!loaded) {
      orvo_log::warn(decision.warning, {{"error", loaded.error()}});
      finish_operation(PaneOutcome::failure(fmt::format(fmt::runtime(decision.failure), loaded.error())));
    } else if (!*loaded) {
      finish_operation(PaneOutcome::failure(std::string(decision.none)));
    } else if (auto asked = decision.request(**loaded); !asked) {
      orvo_log::warn(decision.warning, {{"error", asked.error()}});
      finish_operation(PaneOutcome::failure(fmt::format(fmt::runtime(decision.failure), asked.error())));
    } else {
      awaiting_outcome_ = true;
      await_verdict(decision.kind, **loaded);
    }
  }
  observe_transaction(document);
}

void DisplayPane::observe_transaction(orvo_doc::Document& document) {
  auto loaded = services_.load_transaction();
  if (!loaded || !*loaded) {
    // Nothing to wait for until the pane asks for a transaction.
    if (loaded && !verdict_) awaiting_outcome_ = false;
    conclude_verdict(loaded);
    return;
  }
  const hw::DisplayTransaction& transaction = **loaded;
  if (!is_outcome(transaction.state)) awaiting_outcome_ = true;
  const std::pair seen{transaction.id, transaction.state};
  if (last_transaction_ != seen) {
    last_transaction_ = seen;
    transaction_ = transaction;
    mark_structure_dirty();
    if (is_outcome(transaction.state)) {
      awaiting_outcome_ = false;
      load_live_configuration();
      staged_.reset();
      publish_output_settings(document, shown_configuration());
    }
  }
  conclude_verdict(loaded);
}

void DisplayPane::await_verdict(DisplayDecisionKind kind, const hw::DisplayTransaction& transaction) {
  // A decision waits for the trial's own deadline (the compositor restores the layout then), a new
  // request as long as a trial lasts.
  std::chrono::milliseconds wait{hw::kDisplayTrialMs};
  if (kind != DisplayDecisionKind::Apply && transaction.deadline_unix_ms) {
    const std::uint64_t now = hw::unix_ms();
    wait = std::chrono::milliseconds(*transaction.deadline_unix_ms > now ? *transaction.deadline_unix_ms - now : 0);
  }
  verdict_ = AwaitedVerdict{kind, transaction.id, services_.now() + wait + kVerdictGrace};
}

void DisplayPane::conclude_verdict(const std::expected<std::optional<hw::DisplayTransaction>, std::string>& loaded) {
  if (!verdict_) return;
  std::optional<PaneOutcome> outcome;
  const hw::DisplayTransaction* transaction = loaded && *loaded ? &**loaded : nullptr;
  if (transaction && transaction->id == verdict_->transaction_id) {
    const auto rejected = [&] {
      return PaneOutcome::failure(transaction->message.value_or("Display configuration was rejected."));
    };
    switch (verdict_->kind) {
      case DisplayDecisionKind::Apply:
        if (transaction->state == State::Rejected) {
          outcome = rejected();
        } else if (transaction->state != State::Requested) {
          outcome = PaneOutcome::success(std::string(kTestingSentence));
        }
        break;
      case DisplayDecisionKind::Keep:
        if (transaction->state == State::Kept) {
          outcome = PaneOutcome::success("Display changes kept.");
        } else if (transaction->state == State::Reverted) {
          outcome = PaneOutcome::failure(
              "Display configuration could not be kept: the trial ended and the previous layout was restored.");
        } else if (transaction->state == State::Rejected) {
          outcome = rejected();
        }
        break;
      case DisplayDecisionKind::Revert:
        if (transaction->state == State::Reverted) {
          outcome = PaneOutcome::success("Display changes reverted.");
        } else if (transaction->state == State::Kept) {
          outcome = PaneOutcome::failure("Display configuration could not be reverted: the compositor kept it.");
        } else if (transaction->state == State::Rejected) {
          outcome = rejected();
        }
        break;
    }
  } else if (transaction && transaction->id > verdict_->transaction_id) {
    outcome = PaneOutcome::failure("A newer display change replaced this one before the compositor answered.");
  }
  if (!outcome && services_.now() >= verdict_->until) {
    outcome = PaneOutcome::failure(verdict_->kind == DisplayDecisionKind::Apply
                                       ? "The compositor did not take up the display change in time."
                                       : "The compositor did not confirm the decision in time; the display layout is not known.");
  }
  if (!outcome) return;
  verdict_.reset();
  finish_operation(std::move(*outcome));
}

void DisplayPane::finish_operation(PaneOutcome outcome) { operations_.finish(std::move(outcome)); }

void DisplayPane::settle_operation() {
  const auto* in_hand = operations_.in_hand();
  if (!in_hand) {
    verdict_.reset();
    return;
  }
  const auto* operation = std::get_if<DisplayOperation>(&in_hand->operation());
  if (!operation) return;
  const bool pending = verdict_.has_value() ||
                       (pending_ != 0 && std::holds_alternative<DisplayOperation::SetBrightness>(*operation));
  if (pending) return;
  if (auto refusal = output_request_refusal(*operation, outputs_, shown_configuration())) {
    operations_.finish(PaneOutcome::failure(std::move(*refusal)));
    return;
  }
  // Nothing in the pass changed anything for it: the display is already as asked, or it cannot be.
  const PaneOutcome settled = std::visit(
      Overloaded{
          [](const DisplayOperation::SetBrightness& op) {
            return PaneOutcome::success(brightness_sentence(std::clamp(static_cast<float>(op.value), 0.0f, 1.0f) * 100.0f));
          },
          [](const DisplayOperation::SetAutoBrightness& op) {
            return PaneOutcome::success(auto_brightness_sentence(op.enabled));
          },
          [](const DisplayOperation::SetNightLight& op) { return PaneOutcome::success(night_light_sentence(op.enabled)); },
          [](const DisplayOperation::SetNightLightTemperature& op) {
            return night_light_from_label(op.label)
                       ? PaneOutcome::success(warmth_sentence(op.label))
                       : PaneOutcome::failure(fmt::format("\"{}\" is not a Night Light warmth.", op.label));
          },
          [](const DisplayOperation::SetScale& op) {
            return scale_from_label(op.label) ? PaneOutcome::success(scale_sentence(op.label))
                                              : PaneOutcome::failure(fmt::format("\"{}\" is not a display scale.", op.label));
          },
          [](const DisplayOperation::Apply&) { return PaneOutcome::failure("There are no staged display changes to apply."); },
          [](const DisplayOperation::Confirm&) { return PaneOutcome::failure("There is no display transaction to keep."); },
          [](const DisplayOperation::Revert&) { return PaneOutcome::failure("There is no display transaction to revert."); },
          [](const auto&) { return PaneOutcome::success(std::string(kUnchangedLayoutSentence)); },
      },
      *operation);
  operations_.settle(pending, settled);
}

}  // namespace settings::panes::display

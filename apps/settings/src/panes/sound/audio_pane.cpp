#include "panes/sound/audio_pane.h"

#include <algorithm>
#include <cmath>
#include <fmt/format.h>
#include <utility>

#include "actions/audio_handlers.h"
#include "orvo_log/log.h"
#include "orvo_ui/wake.h"
#include "panes/sound/audio_jobs.h"
#include "panes/workers/worker_start.h"
#include "preferences/preferences_file.h"
#include "panes/pane_inputs.h"

namespace settings::panes::sound {

namespace {

using media::audio::AudioNode;
using media::audio::DeviceChoice;

// Answers of changes; only one change is in flight at a time.
constexpr std::size_t kReplyCapacity = 4;
constexpr std::string_view kChangeThread = "settings-audio";
constexpr std::string_view kProbeThread = "settings-audio-probe";

std::vector<DeviceChoice> choices_of(const std::vector<AudioNode>& nodes) {
  std::vector<DeviceChoice> choices;
  choices.reserve(nodes.size());
  for (const AudioNode& node : nodes) choices.push_back({node.description, node.id, node.is_default});
  return choices;
}

std::optional<std::string> default_name(const std::vector<DeviceChoice>& devices) {
  for (const DeviceChoice& device : devices) {
    if (device.is_default) return device.name;
  }
  return std::nullopt;
}

// Makes the node with the preferred description the default; answers its id when that worked.
std::optional<std::uint32_t> apply_preferred(const std::optional<std::string>& preferred, std::vector<AudioNode>& nodes,
                                             const std::function<media::audio::ControlResult(std::uint32_t)>& make_default) {
  if (!preferred) return std::nullopt;
  const auto found = std::find_if(nodes.begin(), nodes.end(), [&](const AudioNode& node) { return node.description == *preferred; });
  if (found == nodes.end() || !make_default(found->id)) return std::nullopt;
  const std::uint32_t id = found->id;
  for (AudioNode& node : nodes) node.is_default = node.id == id;
  return id;
}

}  // namespace

std::string stream_sink_key(std::uint32_t stream_id) { return fmt::format("audio.stream.{}.sink", stream_id); }
std::string stream_volume_key(std::uint32_t stream_id) { return fmt::format("audio.stream.{}.volume", stream_id); }
std::string stream_muted_key(std::uint32_t stream_id) { return fmt::format("audio.stream.{}.muted", stream_id); }
std::string device_profile_key(std::uint32_t device_id) { return fmt::format("audio.device.{}.profile", device_id); }

std::optional<float> parse_input_level(std::string_view text) {
  auto state = os_actions::audio::parse_volume_state(text);
  if (!state) return std::nullopt;
  return std::clamp(state->volume, 0.0F, 1.0F);
}

long percent_of(float value) { return std::lround(static_cast<double>(value) * 100.0); }

AudioPane::AudioPane(AudioServices services) : PaneGlue("AudioPane", DirtyRule::OwnFlagFirst), services_(std::move(services)) {
  auto [sender, receiver] = orvo_runtime::make_channel<ChangeReply>(kReplyCapacity);
  reply_sender_.emplace(std::move(sender));
  reply_receiver_.emplace(std::move(receiver));
  prefs_ = preferences::load_preferences().audio;
  capabilities_ = services_.runtime->capabilities();
  applied_balance_ = std::clamp(prefs_.balance, 0.0F, 1.0F);
  applied_mono_ = prefs_.mono_output;
  static const bool before_first_job = (register_audio_exit_wait(), true);
  (void)before_first_job;
  auto [probe_sender, probe_receiver] = orvo_runtime::make_channel<AudioProbe>(1);
  auto started = workers::start_worker(std::string(kProbeThread), [sender = std::move(probe_sender), services = services_,
                                                                   prefs = prefs_, job = std::make_shared<AudioJob>()]() mutable {
    if (sender.send(probe_audio_system(services, prefs))) orvo_ui::WakeHandle().wake();
  });
  if (started) {
    probe_receiver_.emplace(std::move(probe_receiver));
  } else {
    use_probe(probe_audio_system(services_, prefs_));
  }
}

AudioProbe probe_audio_system(const AudioServices& services, const preferences::AudioPrefs& prefs) {
  AudioProbe probe;
  // The graph first: once its reader exists, the exit hook can be registered to run before it goes.
  if (auto graph = services.enumerator->enumerate()) probe.graph = std::move(*graph);
  static const bool after_first_read = (register_audio_exit_wait(), true);
  (void)after_first_read;
  if (auto state = services.get_volume_state()) probe.output = *state;
  if (auto answer = services.wpctl_output({"get-volume", "@DEFAULT_AUDIO_SOURCE@"})) probe.input_level = parse_input_level(*answer);
  if (auto status = services.wpctl_output({"status"})) probe.status_lists = media::audio::parse_wpctl_status(*status);
  auto& control = *services.graph_control;
  apply_preferred(prefs.output_device, probe.graph.sinks, [&](std::uint32_t id) { return control.set_default_sink(id); });
  apply_preferred(prefs.input_device, probe.graph.sources, [&](std::uint32_t id) { return control.set_default_source(id); });
  return probe;
}

void AudioPane::take_probe() {
  if (!probe_receiver_) return;
  auto received = probe_receiver_->try_recv();
  if (auto* error = std::get_if<orvo_runtime::TryRecvError>(&received); error && *error == orvo_runtime::TryRecvError::Empty) return;
  if (auto* probe = std::get_if<AudioProbe>(&received)) {
    use_probe(std::move(*probe));
  } else {
    use_probe(AudioProbe{});
  }
  probe_receiver_.reset();
}

void AudioPane::use_probe(AudioProbe probe) {
  if (probe.output) {
    initial_output_volume_ = probe.output->volume;
    output_muted_ = probe.output->muted;
  }
  initial_input_volume_ = probe.input_level.value_or(0.75F);
  output_devices_ = std::move(probe.status_lists.sinks);
  input_devices_ = std::move(probe.status_lists.sources);
  graph_ = std::move(probe.graph);
  if (!graph_.sinks.empty() || !graph_.sources.empty()) rebuild_device_lists();
  default_output_name_ = default_name(output_devices_);
  default_input_name_ = default_name(input_devices_);
  graph_signature_ = graph_.topology_signature();
  last_refresh_ = std::chrono::steady_clock::now();
  applied_output_volume_ = initial_output_volume_;
  applied_input_volume_ = initial_input_volume_;
  mark_structure_dirty();
}

AudioPane AudioPane::with_pane_operation(settings_app::PaneOperationCell cell) && {
  operations_.attach_operation_cell(std::move(cell));
  attached_ = true;
  return std::move(*this);
}

AudioPane AudioPane::with_operation_status(settings_app::OperationStatusCell cell) && {
  operations_.attach_status_cell(std::move(cell));
  status_attached_ = true;
  return std::move(*this);
}

std::optional<orvo_ui::PaneDescriptor> AudioPane::pane_descriptor() {
  return settings_app::section_descriptor(settings_app::SettingsSection::Sound);
}

void AudioPane::rebuild_device_lists() {
  output_devices_ = choices_of(graph_.sinks);
  input_devices_ = choices_of(graph_.sources);
}

std::string AudioPane::stream_route_label(const media::audio::AudioStream& stream) const {
  if (stream.target_node) {
    const AudioNode* node = stream.playback ? graph_.sink_by_id(*stream.target_node) : graph_.source_by_id(*stream.target_node);
    if (node && !node->is_default) return node->description;
  }
  return std::string(actions::kDefaultRoute);
}

bool AudioPane::operation_is_current(std::string_view key) const {
  if (!status_attached_) return true;
  const auto* in_hand = operations_.in_hand();
  return in_hand && written_key_ == key && operations_.status_cell().snapshot().is_running(in_hand->key());
}

void AudioPane::finish_operation(PaneOutcome outcome) {
  operations_.finish(std::move(outcome));
  written_key_.reset();
}

bool AudioPane::start_change(Document& document, std::function<media::audio::ControlResult()> call, ChangeDone done) {
  if (pending_change_) return false;
  const std::uint64_t job = ++last_job_;
  auto started = workers::start_worker(std::string(kChangeThread), [sender = *reply_sender_, call = std::move(call), job,
                                                                    running = std::make_shared<AudioJob>()]() mutable {
    media::audio::ControlResult result = call();
    if (sender.send(ChangeReply{job, std::move(result)})) orvo_ui::WakeHandle().wake();
  });
  if (!started) {
    done(*this, document, std::unexpected(std::move(started.error())));
    return true;
  }
  pending_change_ = PendingChange{job, std::move(done)};
  return true;
}

void AudioPane::take_change_replies(Document& document) {
  while (true) {
    auto received = reply_receiver_->try_recv();
    auto* reply = std::get_if<ChangeReply>(&received);
    if (!reply) return;
    if (!pending_change_ || pending_change_->job != reply->job) continue;
    ChangeDone done = std::move(pending_change_->done);
    pending_change_.reset();
    done(*this, document, reply->result);
  }
}

void AudioPane::set_message(std::string message) {
  message_ = std::move(message);
  mark_structure_dirty();
}

std::optional<std::string> AudioPane::save_audio_prefs(const std::function<void(preferences::AudioPrefs&)>& change) {
  preferences::Preferences prefs = preferences::load_preferences();
  change(prefs.audio);
  if (auto saved = preferences::save_preferences(prefs); !saved) {
    orvo_log::warn("failed to persist audio prefs", {{"op", "audio_prefs_save"}, {"error", saved.error()}});
    return saved.error();
  }
  prefs_ = prefs.audio;
  return std::nullopt;
}

std::unique_ptr<orvo_ui::Widget> audio_pane(const settings_app::PaneInputs& inputs) {
  return std::make_unique<AudioPane>(
      AudioPane().with_pane_operation(inputs.pane_operation).with_operation_status(inputs.operation_status));
}

}  // namespace settings::panes::sound

#pragma once
// The pane of the section "sound": output volume and mute, input level, balance and mono, the
// default output and input device, each application's stream (route, volume, mute), device
// profiles, and the speaker and microphone tests.
//
// Controls and handed-over operations write document keys; the pass compares the document with
// what the pane last applied, carries out what differs through the platform and writes a refused
// or foreign change back, so the document converges to the machine's state. While the pane shares
// the shell's status, the appliers run only while an audio operation runs, and only the change
// that operation wrote is carried out; every operation the pane takes ends under its exact key.
//
// The first reading of the sound system runs on a worker, and so do platform changes, one at a time,
// each ending in a later pass; the pane is otherwise used on the interface thread only.
#include <chrono>
#include <functional>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "orvo_runtime/channel.h"
#include "panes/pane_glue.h"
#include "panes/pane_inputs.h"
#include "panes/sound/audio_services.h"
#include "panes/taken_operation.h"
#include "preferences/records.h"
#include "panes/pane_operation.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::sound {

// Document keys.
inline constexpr std::string_view kVolumeKey = "audio.volume";
inline constexpr std::string_view kMutedKey = "audio.muted";
inline constexpr std::string_view kInputVolumeKey = "audio.input_volume";
inline constexpr std::string_view kBalanceKey = "audio.balance";
inline constexpr std::string_view kMonoKey = "audio.mono";
inline constexpr std::string_view kOutputDeviceKey = "audio.output_device";
inline constexpr std::string_view kInputDeviceKey = "audio.input_device";
inline constexpr std::string_view kAdvancedKey = "audio.advanced";
inline constexpr std::string_view kTestLeftKey = "audio.test.left";
inline constexpr std::string_view kTestRightKey = "audio.test.right";
inline constexpr std::string_view kMicTestKey = "audio.mic_test";
std::string stream_sink_key(std::uint32_t stream_id);
std::string stream_volume_key(std::uint32_t stream_id);
std::string stream_muted_key(std::uint32_t stream_id);
std::string device_profile_key(std::uint32_t device_id);

inline constexpr std::chrono::milliseconds kMicrophoneTestLength{8000};

// The input level in the first line `wpctl get-volume` prints ("Volume: 0.40 [MUTED]" gives 0.4),
// clamped to 0..1; none when the line holds no volume.
std::optional<float> parse_input_level(std::string_view text);
// A 0..1 value as a whole percentage, halves away from zero.
long percent_of(float value);

// What the pane reads of the sound system when it opens.
struct AudioProbe {
  std::optional<os_actions::audio::VolumeState> output;
  std::optional<float> input_level;
  media::audio::DeviceLists status_lists;  // from `wpctl status`; used when the graph has no device
  media::audio::AudioGraph graph;          // with the preferred devices made default
};
// Reads the output and input levels, the device lists and the graph, and makes the preferred devices
// default by description. Blocks on the sound server's tools; runs on the pane's probe worker.
AudioProbe probe_audio_system(const AudioServices& services, const preferences::AudioPrefs& prefs);

class AudioPane final : public PaneGlue {
 public:
  explicit AudioPane(AudioServices services = real_audio_services());
  AudioPane(AudioPane&&) = default;

  AudioPane with_pane_operation(settings_app::PaneOperationCell cell) &&;
  AudioPane with_operation_status(settings_app::OperationStatusCell cell) &&;

  std::string_view type_name() const override { return "settings::panes::sound::AudioPane"; }
  std::optional<orvo_ui::PaneDescriptor> pane_descriptor() override;
  // A pane not mounted by the shell works on the frame's document.
  void sync(orvo_ui::SyncContext& context) override;

  // Whether the first reading of the sound system has not arrived yet; until it has, the pane seeds
  // nothing and takes no operation.
  bool probing() const { return probe_receiver_.has_value(); }
  // Whether a change sent to the platform has not answered yet.
  bool change_in_flight() const { return pending_change_.has_value(); }

  // Time between graph refreshes: zero refreshes on every pass, the maximum never.
  void set_refresh_interval(std::chrono::steady_clock::duration interval) { refresh_interval_ = interval; }

  // "Default" for a stream on no node, on a node the graph lacks, or on the default node; else the
  // node's description.
  std::string stream_route_label(const media::audio::AudioStream& stream) const;

  // What the view and the tests read.
  const std::vector<media::audio::DeviceChoice>& output_devices() const { return output_devices_; }
  const std::vector<media::audio::DeviceChoice>& input_devices() const { return input_devices_; }
  const media::audio::AudioGraph& graph() const { return graph_; }
  const std::optional<std::string>& message() const { return message_; }
  const std::optional<std::string>& default_output_name() const { return default_output_name_; }
  const std::optional<std::string>& default_input_name() const { return default_input_name_; }
  bool speaker_tests_shown() const { return diagnostics_shown_; }
  bool speaker_test_running() const { return speaker_test_ != nullptr; }
  bool microphone_meter_running() const { return microphone_meter_ != nullptr; }
  float microphone_level() const { return microphone_level_; }
  float applied_output_volume() const { return applied_output_volume_; }
  float applied_input_volume() const { return applied_input_volume_; }
  bool output_muted() const { return output_muted_; }
  float applied_balance() const { return applied_balance_; }
  bool applied_mono() const { return applied_mono_; }
  const std::set<std::uint32_t>& known_streams() const { return known_streams_; }
  const std::map<std::uint32_t, std::string>& applied_stream_routes() const { return applied_routes_; }
  const std::map<std::uint32_t, float>& applied_stream_volumes() const { return applied_stream_volumes_; }
  const std::map<std::uint32_t, bool>& applied_stream_mutes() const { return applied_stream_mutes_; }
  const std::map<std::uint32_t, std::string>& applied_device_profiles() const { return applied_profiles_; }

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  using AudioOperation = actions::AudioOperation;
  using Document = orvo_doc::Document;

  // The steps of a pass (audio_sync.cpp).
  void take_probe();
  void use_probe(AudioProbe probe);
  void poll_tests();
  void refresh_graph();
  void seed(Document& document);
  void adopt_streams(Document& document);
  void take_operation();
  void hand_over(Document& document);
  void run_appliers(Document& document);
  bool audio_operation_running() const;

  // The appliers (audio_appliers.cpp, audio_streams.cpp).
  void apply_volume_and_mute(Document& document);
  void apply_balance_and_mono(Document& document);
  void apply_diagnostics_and_tests(Document& document);
  void apply_default_devices(Document& document);
  void apply_streams_and_profiles(Document& document);
  void apply_stream(Document& document, const media::audio::AudioStream& stream);
  void apply_device_profile(Document& document, const media::audio::AudioDevice& device);
  void start_channel_test(bool left);
  // Changes run on a worker, one at a time: `call` there, then `done` in the pass that takes its
  // answer. Answers false, doing nothing, while another change is in flight.
  using ChangeDone = std::function<void(AudioPane&, Document&, const media::audio::ControlResult&)>;
  bool start_change(Document& document, std::function<media::audio::ControlResult()> call, ChangeDone done);
  void take_change_replies(Document& document);
  void toggle_microphone_meter();

  // Whether the change under `key` may be carried out: the pane does not share the shell's
  // status, or the running operation is the one in hand and it wrote `key`.
  bool operation_is_current(std::string_view key) const;
  // Ends the operation in hand (under its own key) with `outcome`.
  void finish_operation(PaneOutcome outcome);
  void set_message(std::string message);
  // Saves one change to the audio preferences; the error text of a failed save.
  std::optional<std::string> save_audio_prefs(const std::function<void(preferences::AudioPrefs&)>& change);
  void rebuild_device_lists();

  // The view (audio_view.cpp).
  std::unique_ptr<orvo_ui::Widget> output_card();
  std::unique_ptr<orvo_ui::Widget> input_card();
  std::unique_ptr<orvo_ui::Widget> capabilities_card();
  std::unique_ptr<orvo_ui::Widget> stream_card(std::string_view title, const std::vector<media::audio::AudioStream>& streams,
                                               const std::vector<media::audio::DeviceChoice>& devices,
                                               std::string_view empty_text);

  struct ChangeReply {
    std::uint64_t job = 0;
    media::audio::ControlResult result;
  };
  struct PendingChange {
    std::uint64_t job = 0;
    ChangeDone done;
  };

  AudioServices services_;
  std::optional<orvo_runtime::Sender<ChangeReply>> reply_sender_;
  std::optional<orvo_runtime::Receiver<ChangeReply>> reply_receiver_;
  std::optional<PendingChange> pending_change_;
  std::optional<orvo_runtime::Receiver<AudioProbe>> probe_receiver_;
  std::uint64_t last_job_ = 0;
  PaneOperations<settings_app::PaneOperation> operations_;
  bool attached_ = false;
  bool status_attached_ = false;
  // The key the operation in hand wrote, and how it ends when the pass finds nothing to do.
  std::optional<std::string> written_key_;
  // An operation taken but not yet written into the document.
  bool operation_unwritten_ = false;
  PaneOutcome settled_;

  std::vector<media::audio::DeviceChoice> output_devices_;
  std::vector<media::audio::DeviceChoice> input_devices_;
  media::audio::AudioGraph graph_;
  std::string graph_signature_;
  std::set<std::uint32_t> known_streams_;
  std::map<std::uint32_t, std::string> applied_routes_;
  std::map<std::uint32_t, float> applied_stream_volumes_;
  std::map<std::uint32_t, bool> applied_stream_mutes_;
  std::map<std::uint32_t, std::string> applied_profiles_;
  std::optional<std::string> message_;
  std::unique_ptr<media::audio_runtime::SpeakerTest> speaker_test_;
  std::unique_ptr<media::audio_runtime::MicrophoneMeter> microphone_meter_;
  preferences::AudioPrefs prefs_;
  std::optional<std::string> default_output_name_;
  std::optional<std::string> default_input_name_;
  std::chrono::steady_clock::duration refresh_interval_ = std::chrono::milliseconds(1500);
  std::optional<std::chrono::steady_clock::time_point> last_refresh_;
  media::audio_runtime::RuntimeCapabilities capabilities_;
  float applied_balance_ = 0.5F;
  float microphone_level_ = 0;
  float initial_output_volume_ = 0.5F;
  float initial_input_volume_ = 0.75F;
  float applied_output_volume_ = 0.5F;
  float applied_input_volume_ = 0.75F;
  bool applied_mono_ = false;
  bool diagnostics_shown_ = false;
  bool output_muted_ = false;
  bool persist_preferences_ = true;
  bool needs_seeding_ = true;
};

// The pane table's line for the section.
std::unique_ptr<orvo_ui::Widget> audio_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::sound

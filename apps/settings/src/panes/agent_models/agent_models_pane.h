#pragma once
// The pane of the section "agent_models": how well the device suits local models, the recommended
// package and the installed models with their life cycle, the accelerator setup, and the model
// providers' forms.
//
// Requests arrive as boolean keys of the pane's document: the page's buttons set them, and an
// operation handed over by the shell is turned into the same key. A pass takes each key that is
// true (writing false back) and carries the request out through the model manager. Installing and
// removing ask for a second, confirming request. Every operation taken from the shell ends under
// its exact key, also when the pane cannot carry it out.
//
// Interface thread only. The manager never runs on it: the snapshot is read on a worker (one read at
// a time), and so are the long calls (install, remove, start, stop, accelerator staging), one worker
// each; their replies come back over a channel that wakes the loop. Until the first snapshot arrives
// the page says it is reading, and an operation handed over meanwhile waits in hand for it. While a
// call runs, its model shows as working and a second request for the same model is refused.
#include <chrono>
#include <cstdint>
#include <expected>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/account_operations.h"
#include "orvo_runtime/channel.h"
#include "orvo_secret/secret_buffer.h"
#include "services/local_models.h"
#include "services/model_manager.h"
#include "panes/agent_models/providers.h"
#include "panes/pane_glue.h"
#include "panes/pane_inputs.h"
#include "panes/taken_operation.h"

namespace settings::settings_app {
struct PaneInputs;
}

namespace settings::panes::agent_models {

using actions::AgentModelOperation;

// Document keys of the requests that do not belong to one model.
inline constexpr std::string_view kSetupKey = "agent_models.local.setup";
inline constexpr std::string_view kConfirmKey = "agent_models.local.confirm";
inline constexpr std::string_view kCancelKey = "agent_models.local.cancel";
inline constexpr std::string_view kAcceleratorSetupKey = "agent_models.accelerator.setup";

inline constexpr std::chrono::milliseconds kPollInterval{750};
inline constexpr std::string_view kManagerThread = "settings-models";
inline constexpr std::string_view kSnapshotThread = "models-snapshot";

// What tells a change of the provider configuration file: its modification time and size, none
// when it is absent or has no path.
struct ProviderConfigStamp {
  std::optional<std::filesystem::file_time_type> modified;
  std::uintmax_t size = 0;
  bool operator==(const ProviderConfigStamp&) const = default;
};
ProviderConfigStamp read_provider_config_stamp();

using MonotonicClock = std::function<std::chrono::steady_clock::time_point()>;

// The verdict the pane works out itself when the manager cannot be reached, from the text of
// "/proc/meminfo" (none when it could not be read).
HardwareRecommendation fallback_recommendation(std::optional<std::string_view> meminfo);
// The same from the system's "/proc/meminfo".
HardwareRecommendation read_fallback_recommendation();

// When the key holds the boolean true: writes false there and answers true. Anything else (no key,
// false, another kind, a refused read) answers false and writes nothing.
bool take_document_flag(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key);

// The document key a handed-over operation sets.
std::string operation_document_key(const AgentModelOperation& operation);

// The sentences of a request's outcome.
std::string success_sentence(const AgentModelOperation& operation);
std::string failure_sentence(const AgentModelOperation& operation, std::string_view error);

class AgentModelsPane final : public PaneGlue {
 public:
  using KeyInputs = std::map<std::string, std::shared_ptr<orvo_secret::SecretBuffer>>;
  using FormInputs = std::map<std::string, std::shared_ptr<ProviderFormInputs>>;

  // Starts reading the first snapshot on a worker; the fallback verdict when the manager does not
  // answer.
  static AgentModelsPane with_backend(std::shared_ptr<const ModelManagerBackend> backend,
                                      MonotonicClock clock = std::chrono::steady_clock::now);
  // The pane of the running system: the system's manager, keeping the local model provider in step.
  static AgentModelsPane make();

  AgentModelsPane(AgentModelsPane&&) = default;
  ~AgentModelsPane() override;

  AgentModelsPane with_pane_operation(settings_app::PaneOperationCell cell) &&;
  AgentModelsPane with_operation_status(settings_app::OperationStatusCell cell) &&;

  std::string_view type_name() const override { return "settings::panes::agent_models::AgentModelsPane"; }
  // A pane not mounted by the shell works on the frame's document.
  void sync(orvo_ui::SyncContext& context) override;
  // Refreshes at most every 750 ms while something is in flight; answers whether it is.
  bool update() override;
  // Syncs keep coming while a manager call runs, so its reply is taken promptly.
  bool needs_idle_sync() const override;

  // Asks for a new snapshot, read on a worker; while one is being read, another follows it. A failure
  // keeps the old one and says so.
  void refresh();
  // A model downloads or installs, or the accelerator setup is queued or staging.
  bool needs_polling() const;

  // The status holds Running with exactly this operation's key.
  bool operation_running(const AgentModelOperation& operation) const;
  // Publishes the outcome when the status holds Running with this operation's key.
  void finish_operation(const AgentModelOperation& operation, PaneOutcome outcome);

  // What the view and the tests read.
  const LocalModelSnapshot& snapshot() const { return snapshot_; }
  const std::optional<std::string>& pending_install() const { return pending_install_; }
  const std::optional<std::string>& pending_removal() const { return pending_removal_; }
  const std::optional<std::string>& status_message() const { return status_message_; }
  bool service_available() const { return service_available_; }
  // The status message is still the sentence the pane opened with when the manager did not answer
  // (the page says the same in its own words).
  bool status_is_opening_notice() const { return status_message_ && status_message_ == unavailable_sentence_; }
  // A manager call for this model (a package id) is running on a worker.
  bool working(std::string_view model_id) const;
  // What the page shows as working: a call for the model runs, or one has ended and the snapshot
  // that shows its effect is still being read (its buttons would offer the old state meanwhile).
  bool shows_working(std::string_view model_id) const;
  bool accelerator_working() const { return shows_working(kAcceleratorJob); }
  bool calls_in_flight() const { return !jobs_.empty(); }
  const NoticeCell& notice_cell() const { return vault_.notice(); }
  // The vault jobs of the page's key buttons.
  const VaultJobs& vault_jobs() const { return vault_; }
  // The first snapshot (or the manager's failure to give one) has arrived.
  bool loaded() const { return loaded_; }
  // A snapshot is being read on a worker.
  bool reading() const { return reading_.has_value(); }
  // A vault job of this pane (a key saved or removed, the stored keys read) has not finished.
  bool vault_jobs_running() const { return vault_.running(); }
  // A snapshot, a manager call or a vault job is still awaited.
  bool busy() const { return reading() || calls_in_flight() || vault_jobs_running(); }

  // The inputs of a provider's form, made on first use and shared with the page. The form's texts
  // start from the stored values given on that first use; later calls keep what was typed.
  std::shared_ptr<orvo_secret::SecretBuffer> key_input(const std::string& provider_id);
  std::shared_ptr<ProviderFormInputs> form_inputs(const std::string& provider_id, std::string label = {},
                                                  std::string endpoint = {}, std::string model = {});

  // The vault's last answers about the providers' keys (a provider not yet answered for is absent);
  // asks the vault again, as a vault job, when the providers differ from those last asked about.
  StoredKeys stored_keys(std::vector<std::string> provider_ids);

 protected:
  std::unique_ptr<orvo_ui::Widget> build_view() override;
  void sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext& context) override;

 private:
  // The worker key of the accelerator staging (no package id is empty).
  static constexpr std::string_view kAcceleratorJob = "";

  struct JobReply {
    AgentModelOperation operation;
    std::expected<void, std::string> result;
  };
  struct Job {
    std::string model_id;
    AgentModelOperation operation;
    orvo_runtime::Receiver<JobReply> reply;
  };
  using Call = std::function<std::expected<void, std::string>(const ModelManagerBackend&)>;
  using SnapshotRead = std::expected<LocalModelSnapshot, std::string>;

  AgentModelsPane(std::shared_ptr<const ModelManagerBackend> backend, MonotonicClock clock);

  // The steps of a pass.
  void take_snapshot();
  void take_replies();
  void take_notice();
  void seed_controls(orvo_doc::Document& document);
  void take_operation(orvo_doc::Document& document);
  void accelerator_step(orvo_doc::Document& document);
  void install_steps(orvo_doc::Document& document);
  void model_steps(orvo_doc::Document& document);
  void settle_operation(orvo_doc::Document& document);
  // The page shows the stored provider list: a change of its file, by the shell carrying out a
  // provider action or by another program, rebuilds it.
  void notice_provider_changes();

  // Runs the call on a worker for the model (refused while one runs for it); the reply ends it.
  void run_call(std::string model_id, AgentModelOperation operation, Call call);
  void conclude(const AgentModelOperation& operation, const std::expected<void, std::string>& result);
  void use_snapshot(SnapshotRead read);
  void fail(const AgentModelOperation& operation, std::string sentence);

  std::shared_ptr<const ModelManagerBackend> backend_;
  MonotonicClock clock_;
  LocalModelSnapshot snapshot_;
  std::optional<std::string> pending_install_;
  std::optional<std::string> pending_removal_;
  std::optional<std::string> status_message_;
  std::optional<std::string> unavailable_sentence_;
  std::chrono::steady_clock::time_point last_refresh_;
  PaneOperations<settings_app::PaneOperation> operations_;
  std::shared_ptr<std::mutex> inputs_lock_ = std::make_shared<std::mutex>();
  KeyInputs key_inputs_;
  FormInputs form_inputs_;
  VaultJobs vault_;
  std::uint64_t stored_keys_version_ = 0;
  std::optional<std::vector<std::string>> asked_key_providers_;
  std::vector<Job> jobs_;
  std::optional<orvo_runtime::Receiver<SnapshotRead>> reading_;
  // The models whose call ended after the snapshot being read was asked for.
  std::vector<std::string> awaiting_snapshot_;
  ProviderConfigStamp provider_config_stamp_;
  bool service_available_ = false;
  bool manage_local_provider_ = false;
  bool seed_controls_ = true;
  bool attached_ = false;
  bool loaded_ = false;
  // Another snapshot is wanted once the one being read arrives.
  bool read_again_ = false;
  // The operation in hand still has to be written to its key (it waited for the first snapshot).
  bool operation_key_due_ = false;
};

// The pane as the shell mounts it: the system's manager and the shell's cells.
std::unique_ptr<orvo_ui::Widget> agent_models_pane(const settings_app::PaneInputs& inputs);

}  // namespace settings::panes::agent_models

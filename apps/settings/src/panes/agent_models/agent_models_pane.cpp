#include "panes/agent_models/agent_models_pane.h"

#include <algorithm>
#include <charconv>
#include <fmt/format.h>
#include <fstream>
#include <sstream>
#include <utility>

#include "agent_provider_config/provider_config.h"
#include "lib/settings_document.h"
#include "orvo_log/log.h"
#include "orvo_runtime/overloaded.h"
#include "orvo_runtime/system_paths.h"
#include "orvo_ui/wake.h"
#include "panes/agent_models/local_models_view.h"
#include "panes/workers/worker_start.h"
#include "panes/pane_inputs.h"

namespace settings::panes::agent_models {
namespace {

using orvo_runtime::Overloaded;
using settings_app::PaneOperation;
namespace op = actions::agent_model_operation;

constexpr std::uint64_t kKibPerGib = 1024 * 1024;
constexpr std::uint64_t kImplausibleKib = std::uint64_t{1} << 36;
constexpr std::uint16_t kAssumedGib = 8;

constexpr std::string_view kBusy = "another request for this model is still running";
constexpr std::string_view kAcceleratorBusy = "another accelerator setup request is still running";
constexpr std::string_view kNoLongerRecommended = "the model or its revision is no longer the recommended one";
constexpr std::string_view kCannotNow = "the model is not installed or cannot do this now";
constexpr std::string_view kNoAnswer = "the local model manager did not answer";

// The kibibytes of the first "MemTotal:" line whose value is a number.
std::optional<std::uint64_t> mem_total_kib(std::string_view meminfo) {
  constexpr std::string_view kPrefix = "MemTotal:";
  constexpr std::string_view kBlank = " \t\r\v\f";
  while (!meminfo.empty()) {
    const std::size_t end = std::min(meminfo.find('\n'), meminfo.size());
    std::string_view line = meminfo.substr(0, end);
    meminfo.remove_prefix(std::min(end + 1, meminfo.size()));
    if (!line.starts_with(kPrefix)) continue;
    line.remove_prefix(kPrefix.size());
    const std::size_t start = line.find_first_not_of(kBlank);
    if (start == std::string_view::npos) continue;
    line.remove_prefix(start);
    const std::string_view word = line.substr(0, line.find_first_of(kBlank));
    std::uint64_t kib = 0;
    const auto [rest, error] = std::from_chars(word.data(), word.data() + word.size(), kib);
    if (error == std::errc() && rest == word.data() + word.size()) return kib;
  }
  return std::nullopt;
}

std::optional<LocalModelAction> action_of(const AgentModelOperation& operation) {
  return std::visit(Overloaded{
                        [](const op::StageAccelerator&) -> std::optional<LocalModelAction> { return std::nullopt; },
                        [](const op::Install&) -> std::optional<LocalModelAction> { return std::nullopt; },
                        [](const op::Start&) -> std::optional<LocalModelAction> { return LocalModelAction::Start; },
                        [](const op::Stop&) -> std::optional<LocalModelAction> { return LocalModelAction::Stop; },
                        [](const op::Retry&) -> std::optional<LocalModelAction> { return LocalModelAction::Retry; },
                        [](const op::Remove&) -> std::optional<LocalModelAction> { return LocalModelAction::Remove; },
                    },
                    operation);
}

std::string model_id_of(const AgentModelOperation& operation) {
  return std::visit(Overloaded{
                        [](const op::StageAccelerator&) { return std::string(); },
                        [](const auto& model) { return model.id; },
                    },
                    operation);
}

void put_flag(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key, bool value) {
  (void)document.put(object, key, orvo_doc::ScalarValue::boolean(value));
}

}  // namespace

HardwareRecommendation fallback_recommendation(std::optional<std::string_view> meminfo) {
  std::uint16_t gib = kAssumedGib;
  if (meminfo) {
    if (const auto kib = mem_total_kib(*meminfo); kib && *kib < kImplausibleKib) {
      gib = static_cast<std::uint16_t>(*kib / kKibPerGib);
    }
  }
  HardwareRecommendation recommendation;
  recommendation.memory_gib = gib;
  recommendation.accelerator = "Checked by the model service at install";
  if (gib >= 32) {
    recommendation.fit = HardwareFit::Excellent;
    recommendation.reason = "Your memory can keep a larger local model responsive while other apps are open.";
  } else if (gib >= 16) {
    recommendation.fit = HardwareFit::Good;
    recommendation.reason = "Balanced for everyday tool use and this device's available system memory.";
  } else if (gib >= 8) {
    recommendation.fit = HardwareFit::Tight;
    recommendation.reason = "A compact model leaves room for the desktop and workspace apps.";
  } else {
    recommendation.fit = HardwareFit::Unsupported;
    recommendation.reason = "This device does not report enough memory for reliable local inference.";
  }
  return recommendation;
}

HardwareRecommendation read_fallback_recommendation() {
  // Files under /proc report no size: read to the end of the stream.
  std::ifstream file(system_paths::proc() / "meminfo", std::ios::binary);
  if (!file) return fallback_recommendation(std::nullopt);
  std::ostringstream text;
  text << file.rdbuf();
  if (file.bad()) return fallback_recommendation(std::nullopt);
  return fallback_recommendation(text.str());
}

ProviderConfigStamp read_provider_config_stamp() {
  const auto path = agent_provider_config::ProviderConfig::path();
  if (!path) return {};
  std::error_code error;
  const auto modified = std::filesystem::last_write_time(*path, error);
  if (error) return {};
  const auto size = std::filesystem::file_size(*path, error);
  return {modified, error ? 0 : size};
}

bool take_document_flag(orvo_doc::Document& document, orvo_doc::ObjId object, std::string_view key) {
  if (lib::read_bool(document, object, key) != true) return false;
  put_flag(document, object, key, false);
  return true;
}

std::string operation_document_key(const AgentModelOperation& operation) {
  if (std::holds_alternative<op::StageAccelerator>(operation)) return std::string(kAcceleratorSetupKey);
  if (std::holds_alternative<op::Install>(operation)) return std::string(kConfirmKey);
  return local_model_control_id(model_id_of(operation), *action_of(operation));
}

std::string success_sentence(const AgentModelOperation& operation) {
  if (std::holds_alternative<op::StageAccelerator>(operation)) {
    return "Accelerator setup request accepted by the local model manager";
  }
  if (std::holds_alternative<op::Install>(operation)) return "Model installation request accepted by the local model manager";
  return fmt::format("{} request accepted by the local model manager", label(*action_of(operation)));
}

std::string failure_sentence(const AgentModelOperation& operation, std::string_view error) {
  if (std::holds_alternative<op::StageAccelerator>(operation)) {
    return fmt::format("Accelerator setup could not start: {}", error);
  }
  if (std::holds_alternative<op::Install>(operation)) return fmt::format("Installation could not start: {}", error);
  return fmt::format("{} failed: {}", label(*action_of(operation)), error);
}

AgentModelsPane::AgentModelsPane(std::shared_ptr<const ModelManagerBackend> backend, MonotonicClock clock)
    : PaneGlue("AgentModelsPane", DirtyRule::OwnFlagFirst), backend_(std::move(backend)), clock_(std::move(clock)) {
  if (!backend_) backend_ = std::make_shared<SystemModelManager>();
  if (!clock_) clock_ = std::chrono::steady_clock::now;
  last_refresh_ = clock_();
  refresh();
}

AgentModelsPane AgentModelsPane::with_backend(std::shared_ptr<const ModelManagerBackend> backend, MonotonicClock clock) {
  return AgentModelsPane(std::move(backend), std::move(clock));
}

AgentModelsPane AgentModelsPane::make() {
  AgentModelsPane pane = with_backend(std::make_shared<SystemModelManager>());
  // The first snapshot, when it arrives, brings the provider list in step.
  pane.manage_local_provider_ = true;
  // Read already, when no worker could be started for it.
  if (pane.loaded_) sync_local_model_provider(pane.snapshot_.models);
  return pane;
}

AgentModelsPane::~AgentModelsPane() {
  // The page may still hold a key buffer for a moment; its typed text goes now either way.
  if (!inputs_lock_) return;
  std::lock_guard guard(*inputs_lock_);
  for (auto& [provider, buffer] : key_inputs_) {
    if (buffer) buffer->clear();
  }
}

AgentModelsPane AgentModelsPane::with_pane_operation(settings_app::PaneOperationCell cell) && {
  operations_.attach_operation_cell(std::move(cell));
  attached_ = true;
  return std::move(*this);
}

AgentModelsPane AgentModelsPane::with_operation_status(settings_app::OperationStatusCell cell) && {
  operations_.attach_status_cell(std::move(cell));
  return std::move(*this);
}

std::shared_ptr<orvo_secret::SecretBuffer> AgentModelsPane::key_input(const std::string& provider_id) {
  std::lock_guard guard(*inputs_lock_);
  auto& buffer = key_inputs_[provider_id];
  if (!buffer) buffer = orvo_secret::SecretBuffer::make();
  return buffer;
}

std::shared_ptr<ProviderFormInputs> AgentModelsPane::form_inputs(const std::string& provider_id, std::string label,
                                                                  std::string endpoint, std::string model) {
  std::lock_guard guard(*inputs_lock_);
  auto& inputs = form_inputs_[provider_id];
  if (!inputs) {
    inputs = std::make_shared<ProviderFormInputs>(ProviderFormInputs{orvo_ui::PublishedCell<std::string>(std::move(label)),
                                                                     orvo_ui::PublishedCell<std::string>(std::move(endpoint)),
                                                                     orvo_ui::PublishedCell<std::string>(std::move(model))});
  }
  return inputs;
}

StoredKeys AgentModelsPane::stored_keys(std::vector<std::string> provider_ids) {
  if (asked_key_providers_ != provider_ids) {
    asked_key_providers_ = provider_ids;
    if (!provider_ids.empty()) vault_.read_keys(std::move(provider_ids));
  }
  return vault_.stored_keys().snapshot();
}

void AgentModelsPane::sync(orvo_ui::SyncContext& context) {
  if (!attached_ && own_document()) use_frame_document();
  PaneGlue::sync(context);
}

bool AgentModelsPane::needs_idle_sync() const { return busy(); }

bool AgentModelsPane::update() {
  const bool polling = needs_polling();
  // A read still running is the poll: no second one is started beside it.
  if (polling && !reading_ && clock_() - last_refresh_ >= kPollInterval) refresh();
  return polling;
}

void AgentModelsPane::refresh() {
  if (reading_) {
    read_again_ = true;
    return;
  }
  auto [sender, receiver] = orvo_runtime::make_channel<SnapshotRead>(1);
  // The worker owns the backend and the channel only: a pane dropped meanwhile leaves it nobody to
  // answer, and the reply is discarded.
  auto started = workers::start_worker(std::string(kSnapshotThread),
                                       [backend = backend_, sender = std::move(sender)]() mutable {
                                         if (sender.send(backend->snapshot())) orvo_ui::WakeHandle{}.wake();
                                       });
  if (!started) {
    orvo_log::warn("could not start the model snapshot worker", {{"error", started.error()}});
    use_snapshot(backend_->snapshot());
    awaiting_snapshot_.clear();
    return;
  }
  reading_.emplace(std::move(receiver));
}

void AgentModelsPane::take_snapshot() {
  if (!reading_) return;
  auto received = reading_->try_recv();
  if (auto* empty = std::get_if<orvo_runtime::TryRecvError>(&received);
      empty && *empty == orvo_runtime::TryRecvError::Empty) {
    return;
  }
  reading_.reset();
  if (auto* read = std::get_if<SnapshotRead>(&received)) {
    use_snapshot(std::move(*read));
  } else {
    use_snapshot(std::unexpected(std::string(kNoAnswer)));
  }
  if (std::exchange(read_again_, false)) {
    refresh();
  } else {
    // This read began after every call that ended: it shows their effect.
    awaiting_snapshot_.clear();
  }
}

void AgentModelsPane::use_snapshot(SnapshotRead read) {
  const bool first = !std::exchange(loaded_, true);
  if (read) {
    if (manage_local_provider_) sync_local_model_provider(read->models);
    snapshot_ = std::move(*read);
    service_available_ = true;
    // The first snapshot keeps a notice that came while it was read.
    if (!first) status_message_.reset();
  } else if (first) {
    snapshot_.hardware = read_fallback_recommendation();
    status_message_ = fmt::format(
        "The local model service is unavailable ({}). Install or start orvo-model-manager to inspect hardware, "
        "install models, or manage local model lifecycle.",
        read.error());
    unavailable_sentence_ = status_message_;
    // Nothing is served on this device then: the local model server's profile says so.
    if (manage_local_provider_) sync_local_model_provider(snapshot_.models);
  } else {
    service_available_ = false;
    status_message_ = fmt::format("Could not refresh local models: {}", read.error());
  }
  last_refresh_ = clock_();
  mark_structure_dirty();
}

bool AgentModelsPane::needs_polling() const {
  const bool model_in_flight = std::any_of(snapshot_.models.begin(), snapshot_.models.end(), [](const auto& model) {
    return std::holds_alternative<phase::Downloading>(model.phase) || std::holds_alternative<phase::Installing>(model.phase);
  });
  if (model_in_flight) return true;
  if (!snapshot_.accelerator_setup) return false;
  const auto& status = snapshot_.accelerator_setup->status;
  return std::holds_alternative<accelerator::Queued>(status) || std::holds_alternative<accelerator::Staging>(status);
}

bool AgentModelsPane::working(std::string_view model_id) const {
  return std::any_of(jobs_.begin(), jobs_.end(), [&](const Job& job) { return job.model_id == model_id; });
}

bool AgentModelsPane::shows_working(std::string_view model_id) const {
  return working(model_id) ||
         std::find(awaiting_snapshot_.begin(), awaiting_snapshot_.end(), model_id) != awaiting_snapshot_.end();
}

bool AgentModelsPane::operation_running(const AgentModelOperation& operation) const {
  return operations_.status_cell().snapshot().is_running(handed_operation_key(PaneOperation(operation)));
}

void AgentModelsPane::finish_operation(const AgentModelOperation& operation, PaneOutcome outcome) {
  const PaneOperation handed(operation);
  if (const auto* in_hand = operations_.in_hand(); in_hand && in_hand->operation() == handed) {
    operations_.finish(std::move(outcome));
    return;
  }
  // A request from the page, or one the shell runs that reached the pane only as its key.
  TakenOperation<PaneOperation> running(handed);
  running.finish(operations_.status_cell(), std::move(outcome));
}

std::unique_ptr<orvo_ui::Widget> AgentModelsPane::build_view() {
  // Taken before the page reads the file: a change in between rebuilds once more.
  provider_config_stamp_ = read_provider_config_stamp();
  return local_models_view(*this, controls_);
}

void AgentModelsPane::sync_pane(orvo_doc::Document* document, orvo_ui::SyncContext&) {
  notice_provider_changes();
  take_snapshot();
  take_replies();
  take_notice();
  if (!document) return;
  if (loaded_) seed_controls(*document);
  take_operation(*document);
  // An operation handed over before the first snapshot waits in hand for it: the requests act on
  // the snapshot's models and recommendation.
  if (!loaded_) return;
  accelerator_step(*document);
  install_steps(*document);
  model_steps(*document);
  settle_operation(*document);
}

void AgentModelsPane::notice_provider_changes() {
  if (read_provider_config_stamp() != provider_config_stamp_) {
    // The providers or their keys may have changed (removing a provider removes its key): the vault
    // is asked again for the rebuilt page.
    asked_key_providers_.reset();
    mark_structure_dirty();
  }
  if (const auto version = vault_.stored_keys().version(); version != stored_keys_version_) {
    stored_keys_version_ = version;
    mark_structure_dirty();
  }
}

void AgentModelsPane::take_replies() {
  for (auto job = jobs_.begin(); job != jobs_.end();) {
    auto received = job->reply.try_recv();
    if (auto* empty = std::get_if<orvo_runtime::TryRecvError>(&received);
        empty && *empty == orvo_runtime::TryRecvError::Empty) {
      ++job;
      continue;
    }
    const AgentModelOperation operation = job->operation;
    job = jobs_.erase(job);
    if (auto* reply = std::get_if<JobReply>(&received)) {
      conclude(operation, reply->result);
    } else {
      conclude(operation, std::unexpected(std::string(kNoAnswer)));
    }
    mark_structure_dirty();
  }
}

void AgentModelsPane::take_notice() {
  auto notice = vault_.notice().snapshot();
  if (!notice) return;
  (void)vault_.notice().publish(std::nullopt);
  status_message_ = std::move(*notice);
  mark_structure_dirty();
}

void AgentModelsPane::seed_controls(orvo_doc::Document& document) {
  if (!seed_controls_) return;
  for (const std::string_view key : {kSetupKey, kConfirmKey, kCancelKey, kAcceleratorSetupKey}) {
    put_flag(document, object_, key, false);
  }
  for (const auto& model : snapshot_.models) {
    for (const auto action : phase_actions(model.phase)) {
      put_flag(document, object_, local_model_control_id(model.package.id, action), false);
    }
  }
  seed_controls_ = false;
}

void AgentModelsPane::take_operation(orvo_doc::Document& document) {
  if (operations_.take([](const PaneOperation& operation) { return std::holds_alternative<AgentModelOperation>(operation); })) {
    operation_key_due_ = true;
  }
  // Written after the controls were seeded, which would otherwise reset it.
  if (!loaded_ || !std::exchange(operation_key_due_, false)) return;
  const auto* in_hand = operations_.in_hand();
  if (!in_hand) return;
  if (const auto* operation = std::get_if<AgentModelOperation>(&in_hand->operation())) {
    put_flag(document, object_, operation_document_key(*operation), true);
  }
}

void AgentModelsPane::accelerator_step(orvo_doc::Document& document) {
  if (!take_document_flag(document, object_, kAcceleratorSetupKey)) return;
  run_call(std::string(kAcceleratorJob), op::StageAccelerator{},
           [](const ModelManagerBackend& backend) { return backend.stage_accelerator(); });
}

void AgentModelsPane::install_steps(orvo_doc::Document& document) {
  if (take_document_flag(document, object_, kSetupKey) && snapshot_.recommendation) {
    pending_install_ = snapshot_.recommendation->id;
    mark_structure_dirty();
  }
  if (take_document_flag(document, object_, kCancelKey)) {
    pending_install_.reset();
    mark_structure_dirty();
  }
  if (!take_document_flag(document, object_, kConfirmKey) || !snapshot_.recommendation) return;
  const LocalModelPackage package = *snapshot_.recommendation;
  const AgentModelOperation operation = op::Install{package.id, package.revision};
  if (pending_install_ != package.id && !operation_running(operation)) return;
  pending_install_.reset();
  mark_structure_dirty();
  run_call(package.id, operation, [package](const ModelManagerBackend& backend) { return backend.install(package); });
}

void AgentModelsPane::model_steps(orvo_doc::Document& document) {
  // Replies taken in a later pass refresh the snapshot; this pass works on the list as it began.
  const std::vector<InstalledLocalModel> models = snapshot_.models;
  for (const auto& model : models) {
    const LocalModelPackage& package = model.package;
    for (const auto action : phase_actions(model.phase)) {
      if (!take_document_flag(document, object_, local_model_control_id(package.id, action))) continue;
      switch (action) {
        case LocalModelAction::Start:
          run_call(package.id, op::Start{package.id},
                   [id = package.id](const ModelManagerBackend& backend) { return backend.start(id); });
          break;
        case LocalModelAction::Stop:
          run_call(package.id, op::Stop{package.id},
                   [id = package.id](const ModelManagerBackend& backend) { return backend.stop(id); });
          break;
        case LocalModelAction::Retry:
          run_call(package.id, op::Retry{package.id, package.revision},
                   [package](const ModelManagerBackend& backend) { return backend.install(package); });
          break;
        case LocalModelAction::Remove: {
          const AgentModelOperation operation = op::Remove{package.id};
          if (pending_removal_ != package.id && !operation_running(operation)) {
            pending_removal_ = package.id;
            status_message_ = fmt::format(
                "Remove {}? This deletes its {} local snapshot. Tasks and workspace data are unchanged.", package.name,
                format_gib(package.installed_bytes));
            mark_structure_dirty();
            break;
          }
          pending_removal_.reset();
          run_call(package.id, operation,
                   [id = package.id](const ModelManagerBackend& backend) { return backend.remove(id); });
          break;
        }
      }
    }
  }
}

void AgentModelsPane::settle_operation(orvo_doc::Document& document) {
  const auto* in_hand = operations_.in_hand();
  if (!in_hand) return;
  const auto* operation = std::get_if<AgentModelOperation>(&in_hand->operation());
  if (!operation) return;
  const bool pending =
      std::any_of(jobs_.begin(), jobs_.end(), [&](const Job& job) { return job.operation == *operation; });
  if (pending) return;
  // Not carried out: its key must not run it later by surprise, and the shell must learn why.
  put_flag(document, object_, operation_document_key(*operation), false);
  const std::string_view reason =
      std::holds_alternative<op::Install>(*operation) ? kNoLongerRecommended : kCannotNow;
  operations_.settle(false, PaneOutcome::failure(failure_sentence(*operation, reason)));
}

void AgentModelsPane::run_call(std::string model_id, AgentModelOperation operation, Call call) {
  if (working(model_id)) {
    std::string refused = failure_sentence(operation, model_id == kAcceleratorJob ? kAcceleratorBusy : kBusy);
    // The same request already running ends with that call's reply, not with this refusal.
    const bool same_running = std::any_of(jobs_.begin(), jobs_.end(), [&](const Job& job) { return job.operation == operation; });
    if (same_running) {
      status_message_ = std::move(refused);
      mark_structure_dirty();
    } else {
      fail(operation, std::move(refused));
    }
    return;
  }
  auto [sender, receiver] = orvo_runtime::make_channel<JobReply>(1);
  auto started = workers::start_worker(
      std::string(kManagerThread), [backend = backend_, operation, call, sender = std::move(sender)]() mutable {
        (void)sender.send(JobReply{operation, call(*backend)});
        orvo_ui::WakeHandle{}.wake();
      });
  if (!started) {
    orvo_log::warn("could not start the model manager worker", {{"error", started.error()}});
    conclude(operation, call(*backend_));
    return;
  }
  jobs_.push_back(Job{std::move(model_id), std::move(operation), std::move(receiver)});
  mark_structure_dirty();
}

void AgentModelsPane::conclude(const AgentModelOperation& operation, const std::expected<void, std::string>& result) {
  if (!result) {
    fail(operation, failure_sentence(operation, result.error()));
    return;
  }
  awaiting_snapshot_.push_back(model_id_of(operation));
  refresh();
  finish_operation(operation, PaneOutcome::success(success_sentence(operation)));
}

void AgentModelsPane::fail(const AgentModelOperation& operation, std::string sentence) {
  status_message_ = sentence;
  mark_structure_dirty();
  finish_operation(operation, PaneOutcome::failure(std::move(sentence)));
}

std::unique_ptr<orvo_ui::Widget> agent_models_pane(const settings_app::PaneInputs& inputs) {
  return std::make_unique<AgentModelsPane>(
      AgentModelsPane::make().with_pane_operation(inputs.pane_operation).with_operation_status(inputs.operation_status));
}

}  // namespace settings::panes::agent_models

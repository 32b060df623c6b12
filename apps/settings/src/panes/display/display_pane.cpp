#include "panes/display/display_pane.h"

#include <fmt/format.h>
#include <utility>

#include "orvo_ui/wake.h"
#include "os_actions/display.h"
#include "panes/workers/worker_start.h"
#include "preferences/preferences_file.h"
#include "panes/pane_inputs.h"

namespace settings::panes::display {

namespace {

// Brightness requests wait here for the worker; at most one is in flight.
constexpr std::size_t kRequestCapacity = 4;

std::optional<std::filesystem::file_time_type> modification_time(const std::filesystem::path& path) {
  if (path.empty()) return std::nullopt;
  std::error_code error;
  const auto time = std::filesystem::last_write_time(path, error);
  if (error) return std::nullopt;
  return time;
}

}  // namespace

DisplayServices real_display_services() {
  DisplayServices services;
  services.get_brightness = [] { return os_actions::display::get_brightness(); };
  services.has_ambient_light_sensor = [] { return os_actions::display::has_ambient_light_sensor(); };
  services.dispatcher = std::make_shared<os_actions::RealDispatcher>();
  services.load_snapshot = [] { return settings_store::DisplayHardwareSnapshot::load(); };
  services.snapshot_path = [] { return settings_store::DisplayHardwareSnapshot::path(); };
  services.load_config = [] { return hw::DisplayConfig::load(); };
  services.request_transaction = [](const hw::DisplayConfig& config) { return hw::DisplayTransaction::request(config); };
  services.load_transaction = [] { return hw::DisplayTransaction::load(); };
  services.request_confirmation = [](const hw::DisplayTransaction& transaction) {
    return hw::DisplayTransaction::request_confirmation(transaction);
  };
  services.request_revert = [](const hw::DisplayTransaction& transaction) {
    return hw::DisplayTransaction::request_revert(transaction);
  };
  services.now = [] { return std::chrono::steady_clock::now(); };
  services.start_worker = [](std::string name, std::function<void()> job) {
    return workers::start_worker(std::move(name), std::move(job));
  };
  return services;
}

DisplayPane::DisplayPane(Fixed, DisplayServices services)
    : PaneGlue("DisplayPane", DirtyRule::AlwaysAskView), services_(std::move(services)) {}

DisplayPane::DisplayPane(DisplayServices services) : DisplayPane(Fixed{}, std::move(services)) {
  auto [probe_sender, probe_receiver] = orvo_runtime::make_channel<ProbeResult>(1);
  auto read_brightness = services_.get_brightness;
  auto read_sensor = services_.has_ambient_light_sensor;
  auto probe = [sender = std::move(probe_sender), read_brightness, read_sensor]() mutable {
    ProbeResult result;
    auto level = read_brightness();
    result.level = level ? *level : 0.5f;
    result.sensor = read_sensor();
    (void)sender.send(result);
    // The page shows the answer at once, not at the next input.
    orvo_ui::WakeHandle().wake();
  };
  // A probe that cannot start leaves the pane at its starting brightness, without a sensor.
  if (services_.start_worker(std::string(kProbeThread), std::move(probe))) probe_.emplace(std::move(probe_receiver));

  auto [request_sender, request_receiver] = orvo_runtime::make_channel<float>(kRequestCapacity);
  auto [reply_sender, reply_receiver] = orvo_runtime::make_channel<workers::BrightnessReply>(kRequestCapacity);
  workers::SetBrightness set_brightness = [dispatcher = services_.dispatcher](float percent) {
    return dispatcher->set_brightness(percent);
  };
  // Shared, so the job fits a copyable callable; the worker takes the ends out when it runs.
  struct WorkerEnds {
    orvo_runtime::Receiver<float> requests;
    orvo_runtime::Sender<workers::BrightnessReply> replies;
    workers::SetBrightness set;
  };
  auto ends = std::make_shared<WorkerEnds>(WorkerEnds{std::move(request_receiver), std::move(reply_sender),
                                                      std::move(set_brightness)});
  auto apply = [ends]() mutable {
    WorkerEnds taken = std::move(*ends);
    ends.reset();
    workers::brightness_apply_worker(std::move(taken.requests), std::move(taken.replies), std::move(taken.set), {});
  };
  if (services_.start_worker(std::string(workers::kBrightnessThread), std::move(apply))) {
    brightness_requests_.emplace(std::move(request_sender));
    brightness_replies_.emplace(std::move(reply_receiver));
  }

  outputs_ = display_outputs_of(services_.load_snapshot());
  prefs_ = preferences::load_preferences().display;
  load_live_configuration();
  last_snapshot_check_ = services_.now();
  snapshot_time_ = modification_time(services_.snapshot_path());
}

DisplayPane DisplayPane::with_builtin_display(std::shared_ptr<const os_actions::Dispatcher> dispatcher, float brightness,
                                              DisplayServices services) {
  services.dispatcher = std::move(dispatcher);
  DisplayPane pane(Fixed{}, std::move(services));
  pane.outputs_ = {builtin_display_output()};
  pane.probed_brightness_ = brightness;
  pane.shown_brightness_ = brightness;
  pane.sensor_ = true;
  pane.live_ = hw::DisplayConfig{};
  pane.last_snapshot_check_ = pane.services_.now();
  return pane;
}

DisplayPane::~DisplayPane() = default;

DisplayPane DisplayPane::with_pane_operation(settings_app::PaneOperationCell cell) && {
  operations_.attach_operation_cell(std::move(cell));
  attached_ = true;
  return std::move(*this);
}

DisplayPane DisplayPane::with_operation_status(settings_app::OperationStatusCell cell) && {
  operations_.attach_status_cell(std::move(cell));
  reporting_ = true;
  return std::move(*this);
}

std::optional<orvo_ui::PaneDescriptor> DisplayPane::pane_descriptor() {
  return settings_app::section_descriptor(settings_app::SettingsSection::Displays);
}

std::vector<const DisplayOutput*> DisplayPane::output_refs() const {
  std::vector<const DisplayOutput*> refs;
  for (const auto& output : outputs_) {
    if (output.connected) refs.push_back(&output);
  }
  return refs;
}

hw::DisplayConfig DisplayPane::shown_configuration() const {
  if (staged_) return *staged_;
  return live_.value_or(hw::DisplayConfig{});
}

void DisplayPane::reload_outputs_and_configuration() {
  outputs_ = display_outputs_of(services_.load_snapshot());
  load_live_configuration();
}

void DisplayPane::load_live_configuration() {
  auto loaded = services_.load_config();
  if (loaded) {
    live_ = std::move(*loaded);
    config_error_.clear();
  } else {
    live_.reset();
    config_error_ = std::move(loaded.error());
  }
}

std::expected<std::filesystem::path, std::string> DisplayPane::save_prefs(
    const std::function<void(preferences::DisplayPrefs&)>& edit) {
  preferences::Preferences saved = preferences::load_preferences();
  edit(saved.display);
  return preferences::save_preferences(saved);
}

bool DisplayPane::needs_redraw() const { return probe_.has_value() || PaneGlue::needs_redraw(); }

std::optional<orvo_ui::Deadline> DisplayPane::next_wake_deadline() const {
  std::optional<orvo_ui::Deadline> deadline = PaneGlue::next_wake_deadline();
  if (!awaiting_outcome_ && !verdict_) return deadline;
  // An operation waiting for the compositor's verdict ends soon after it comes.
  const auto second = orvo_ui::Deadline::after_millis(verdict_ ? 100 : 1000);
  return deadline && *deadline < second ? deadline : second;
}

std::unique_ptr<orvo_ui::Widget> display_pane(const settings_app::PaneInputs& inputs) {
  return std::make_unique<DisplayPane>(
      DisplayPane().with_pane_operation(inputs.pane_operation).with_operation_status(inputs.operation_status));
}

}  // namespace settings::panes::display

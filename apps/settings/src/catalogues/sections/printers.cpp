#include <algorithm>
#include <optional>
#include <string>

#include "actions/operation_actions.h"
#include "catalogues/live_children.h"
#include "catalogues/queries/list_queries.h"
#include "catalogues/section_catalogues.h"
#include "catalogues/section_shell.h"

namespace settings::actions {
namespace {

using os_actions::printing::PrinterQueue;
using os_actions::printing::PrintJob;
using os_actions::printing::QueueState;

constexpr std::string_view kQueuePrefix = "settings.printer:";
constexpr std::string_view kQueueKind = "settings.printer";
constexpr std::string_view kJobPrefix = "settings.print-job:";
constexpr std::string_view kJobKind = "settings.print-job";

void add(orvo_actions::Resource& resource, std::optional<orvo_actions::ActionSpec> spec) {
  if (spec) resource.actions.push_back(std::move(*spec));
}

orvo_actions::Resource queue_resource(const PrinterQueue& queue) {
  const Tags tags{"device-local", "printers", "live-queue"};
  auto child = orvo_actions::Resource::make(std::string(kQueuePrefix) + queue.name, std::string(kQueueKind), queue.name);
  add(child, operation_spec("set-default", "Set as default printer", PrinterOperation::SetDefault{queue.name}, tags));
  const bool paused = queue.state == QueueState::Paused;
  add(child, operation_spec(paused ? "enable" : "pause", paused ? "Enable printer" : "Pause printer",
                            PrinterOperation::SetEnabled{queue.name, paused}, tags));
  auto remove = operation_spec("remove", "Remove printer", PrinterOperation::Remove{queue.name}, tags);
  if (remove) add(child, std::move(*remove).destructive());
  return child;
}

orvo_actions::Resource job_resource(const PrintJob& job) {
  const Tags tags{"device-local", "printers", "live-job"};
  auto child = orvo_actions::Resource::make(std::string(kJobPrefix) + job.id, std::string(kJobKind), job.id);
  add(child, operation_spec("cancel", "Cancel print job", PrinterOperation::CancelJob{job.id}, tags));
  add(child, operation_spec("retry", "Retry print job", PrinterOperation::RetryJob{job.id}, tags));
  return child;
}

}  // namespace

orvo_actions::Resource printers_resource(const SectionInputs& inputs) {
  auto resource = section_shell(settings_app::SettingsSection::Printers);
  add(resource, operation_spec("refresh", "Refresh printers", PrinterOperation::Refresh{}, {"device-local", "printers"}));
  add(resource,
      operation_spec("discover", "Find network printers", PrinterOperation::Discover{}, {"device-local", "printers"}));
  const auto queues = inputs.queries.lists.printer_queues();
  for (std::size_t i = 0; i < std::min(queues.size(), kMaxLiveChildren); ++i) {
    resource.children.push_back(queue_resource(queues[i]));
  }
  const auto jobs = inputs.queries.lists.print_jobs();
  for (std::size_t i = 0; i < std::min(jobs.size(), kMaxLiveChildren); ++i) {
    resource.children.push_back(job_resource(jobs[i]));
  }
  return resource;
}

}  // namespace settings::actions

#include "os_actions/printing.h"

#include <cups/cups.h>

#include <algorithm>
#include <ctime>
#include <memory>

#include <fmt/format.h>

#include "orvo_runtime/shared_library.h"

namespace os_actions::printing {
namespace {

constexpr int kConnectTimeoutMs = 5000;
constexpr double kRequestTimeoutSeconds = 5.0;
constexpr std::size_t kMaxJobs = 256;
constexpr time_t kFinishedJobWindowSeconds = 3600;

// libcups, and the TLS, Kerberos and service discovery libraries it pulls in, are loaded when the
// printers are first read rather than when the program starts. The members keep the C names.
struct Cups {
  decltype(&::cupsSetPasswordCB2) cupsSetPasswordCB2 = nullptr;
  decltype(&::httpConnect2) httpConnect2 = nullptr;
  decltype(&::cupsServer) cupsServer = nullptr;
  decltype(&::ippPort) ippPort = nullptr;
  decltype(&::cupsEncryption) cupsEncryption = nullptr;
  decltype(&::httpSetTimeout) httpSetTimeout = nullptr;
  decltype(&::httpClose) httpClose = nullptr;
  decltype(&::ippDelete) ippDelete = nullptr;
  decltype(&::cupsDoRequest) cupsDoRequest = nullptr;
  decltype(&::cupsLastError) cupsLastError = nullptr;
  decltype(&::cupsLastErrorString) cupsLastErrorString = nullptr;
  decltype(&::ippAddStrings) ippAddStrings = nullptr;
  decltype(&::ippAddString) ippAddString = nullptr;
  decltype(&::ippFirstAttribute) ippFirstAttribute = nullptr;
  decltype(&::ippNextAttribute) ippNextAttribute = nullptr;
  decltype(&::ippGetGroupTag) ippGetGroupTag = nullptr;
  decltype(&::ippGetName) ippGetName = nullptr;
  decltype(&::ippGetString) ippGetString = nullptr;
  decltype(&::ippGetCount) ippGetCount = nullptr;
  decltype(&::ippNewRequest) ippNewRequest = nullptr;
  decltype(&::ippFindAttribute) ippFindAttribute = nullptr;
  decltype(&::ippGetInteger) ippGetInteger = nullptr;
  decltype(&::ippGetBoolean) ippGetBoolean = nullptr;
};

// The loaded libcups, or why it is not there.
const std::expected<Cups, std::string>& loaded_cups() {
  static const std::expected<Cups, std::string> loaded = []() -> std::expected<Cups, std::string> {
    auto library = orvo_runtime::SharedLibrary::open("libcups.so.2");
    if (!library) return std::unexpected(library.error());
    Cups api;
    const bool bound =
        library->bind(api.cupsSetPasswordCB2, "cupsSetPasswordCB2") &&
        library->bind(api.httpConnect2, "httpConnect2") &&
        library->bind(api.cupsServer, "cupsServer") &&
        library->bind(api.ippPort, "ippPort") &&
        library->bind(api.cupsEncryption, "cupsEncryption") &&
        library->bind(api.httpSetTimeout, "httpSetTimeout") &&
        library->bind(api.httpClose, "httpClose") &&
        library->bind(api.ippDelete, "ippDelete") &&
        library->bind(api.cupsDoRequest, "cupsDoRequest") &&
        library->bind(api.cupsLastError, "cupsLastError") &&
        library->bind(api.cupsLastErrorString, "cupsLastErrorString") &&
        library->bind(api.ippAddStrings, "ippAddStrings") &&
        library->bind(api.ippAddString, "ippAddString") &&
        library->bind(api.ippFirstAttribute, "ippFirstAttribute") &&
        library->bind(api.ippNextAttribute, "ippNextAttribute") &&
        library->bind(api.ippGetGroupTag, "ippGetGroupTag") &&
        library->bind(api.ippGetName, "ippGetName") &&
        library->bind(api.ippGetString, "ippGetString") &&
        library->bind(api.ippGetCount, "ippGetCount") &&
        library->bind(api.ippNewRequest, "ippNewRequest") &&
        library->bind(api.ippFindAttribute, "ippFindAttribute") &&
        library->bind(api.ippGetInteger, "ippGetInteger") &&
        library->bind(api.ippGetBoolean, "ippGetBoolean");
    if (!bound) return std::unexpected(std::string("libcups.so.2 lacks a function this program uses"));
    return api;
  }();
  return loaded;
}

// Only after connect_service() found the library.
const Cups& cups() { return *loaded_cups(); }

struct HttpClose {
  void operator()(http_t* http) const { cups().httpClose(http); }
};
struct IppDelete {
  void operator()(ipp_t* ipp) const { cups().ippDelete(ipp); }
};
using Http = std::unique_ptr<http_t, HttpClose>;
using Ipp = std::unique_ptr<ipp_t, IppDelete>;

// Reading queues and jobs never needs a password; without this, a server asking for one would make
// the library prompt on the terminal.
const char* no_password(const char*, http_t*, const char*, const char*, void*) { return nullptr; }

std::expected<Http, std::string> connect_service() {
  if (const auto& loaded = loaded_cups(); !loaded) return std::unexpected(loaded.error());
  cups().cupsSetPasswordCB2(no_password, nullptr);
  Http http(cups().httpConnect2(cups().cupsServer(), cups().ippPort(), nullptr, AF_UNSPEC, cups().cupsEncryption(), 1, kConnectTimeoutMs, nullptr));
  if (!http) return std::unexpected("the printing service is not running");
  cups().httpSetTimeout(http.get(), kRequestTimeoutSeconds, nullptr, nullptr);
  return http;
}

std::expected<Ipp, std::string> send(http_t* http, ipp_t* request) {
  Ipp response(cups().cupsDoRequest(http, request, "/"));  // takes ownership of the request
  if (!response || cups().cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
    return std::unexpected(fmt::format("the printing service refused the request ({})", cups().cupsLastErrorString()));
  }
  return response;
}

void request_attributes(ipp_t* request, std::initializer_list<const char*> names) {
  std::vector<const char*> list(names);
  cups().ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", static_cast<int>(list.size()),
                nullptr, list.data());
}

// Calls `each` once per group of `tag` in the response, with the group's attributes.
template <typename Each>
void for_each_group(ipp_t* response, ipp_tag_t tag, Each each) {
  ipp_attribute_t* attr = cups().ippFirstAttribute(response);
  while (attr != nullptr) {
    while (attr != nullptr && cups().ippGetGroupTag(attr) != tag) attr = cups().ippNextAttribute(response);
    if (attr == nullptr) break;
    std::vector<ipp_attribute_t*> group;
    for (; attr != nullptr && cups().ippGetGroupTag(attr) == tag && cups().ippGetName(attr) != nullptr;
         attr = cups().ippNextAttribute(response)) {
      group.push_back(attr);
    }
    each(group);
    if (attr != nullptr) attr = cups().ippNextAttribute(response);
  }
}

std::string_view name_of(ipp_attribute_t* attr) { return cups().ippGetName(attr); }

std::string text_of(ipp_attribute_t* attr, int index = 0) {
  const char* value = cups().ippGetString(attr, index, nullptr);
  return value == nullptr ? std::string() : std::string(value);
}

std::vector<std::string> texts_of(ipp_attribute_t* attr) {
  std::vector<std::string> out;
  for (int i = 0; i < cups().ippGetCount(attr); ++i) out.push_back(text_of(attr, i));
  return out;
}

std::optional<std::string> default_queue(http_t* http) {
  ipp_t* request = cups().ippNewRequest(IPP_OP_CUPS_GET_DEFAULT);
  request_attributes(request, {"printer-name"});
  auto response = send(http, request);
  if (!response) return std::nullopt;
  ipp_attribute_t* attr = cups().ippFindAttribute(response->get(), "printer-name", IPP_TAG_NAME);
  if (attr == nullptr) return std::nullopt;
  return text_of(attr);
}

QueueState queue_state(int ipp_state, const std::vector<std::string>& reasons) {
  const bool offline = std::any_of(reasons.begin(), reasons.end(),
                                   [](const std::string& r) { return r.starts_with("offline"); });
  if (offline) return QueueState::Offline;
  if (ipp_state == IPP_PSTATE_STOPPED) return QueueState::Paused;
  if (ipp_state == IPP_PSTATE_PROCESSING) return QueueState::Printing;
  return QueueState::Ready;
}

JobState job_state(int ipp_state) {
  switch (ipp_state) {
    case IPP_JSTATE_PENDING: return JobState::Waiting;
    case IPP_JSTATE_HELD: return JobState::Held;
    case IPP_JSTATE_PROCESSING: return JobState::Printing;
    case IPP_JSTATE_STOPPED: return JobState::Stopped;
    case IPP_JSTATE_CANCELED: return JobState::Canceled;
    case IPP_JSTATE_ABORTED: return JobState::Failed;
    case IPP_JSTATE_COMPLETED: return JobState::Completed;
    default: return JobState::Unknown;
  }
}

std::optional<std::uint32_t> non_negative(ipp_attribute_t* attr) {
  const int value = cups().ippGetInteger(attr, 0);
  if (value < 0) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

std::string failure(std::string_view what, const std::string& reason) {
  return fmt::format("Could not read {}: {}", what, reason);
}

}  // namespace

std::optional<std::uint8_t> PrintJob::progress_percent() const {
  if (!impressions_completed || !impressions_total || *impressions_total == 0) return std::nullopt;
  const std::uint64_t percent = std::uint64_t{*impressions_completed} * 100 / *impressions_total;
  return static_cast<std::uint8_t>(std::min<std::uint64_t>(percent, 100));
}

std::expected<std::vector<PrinterQueue>, std::string> queues() {
  auto http = connect_service();
  if (!http) return std::unexpected(failure("the printer queues", http.error()));
  ipp_t* request = cups().ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
  request_attributes(request, {"printer-name", "printer-state", "printer-state-reasons", "printer-state-message",
                               "printer-is-accepting-jobs", "marker-names", "marker-levels"});
  auto response = send(http->get(), request);
  if (!response) return std::unexpected(failure("the printer queues", response.error()));
  const auto default_name = default_queue(http->get());

  std::vector<PrinterQueue> found;
  for_each_group(response->get(), IPP_TAG_PRINTER, [&](const std::vector<ipp_attribute_t*>& group) {
    PrinterQueue queue;
    int state = IPP_PSTATE_IDLE;
    std::vector<std::string> marker_names;
    std::vector<int> marker_levels;
    bool has_markers = false;
    for (ipp_attribute_t* attr : group) {
      const auto name = name_of(attr);
      if (name == "printer-name") queue.name = text_of(attr);
      else if (name == "printer-state") state = cups().ippGetInteger(attr, 0);
      else if (name == "printer-state-message") {
        auto message = text_of(attr);
        if (!message.empty()) queue.detail = std::move(message);
      } else if (name == "printer-is-accepting-jobs") queue.accepting_jobs = cups().ippGetBoolean(attr, 0) != 0;
      else if (name == "printer-state-reasons") {
        for (auto& reason : texts_of(attr)) {
          if (reason != "none") queue.live.reasons.push_back(std::move(reason));
        }
      } else if (name == "marker-names") {
        marker_names = texts_of(attr);
        has_markers = true;
      } else if (name == "marker-levels") {
        for (int i = 0; i < cups().ippGetCount(attr); ++i) marker_levels.push_back(cups().ippGetInteger(attr, i));
      }
    }
    if (queue.name.empty()) return;
    queue.state = queue_state(state, queue.live.reasons);
    queue.is_default = default_name == queue.name;
    queue.live.details_read = true;
    if (has_markers) {
      std::vector<PrinterSupply> supplies;
      for (std::size_t i = 0; i < marker_names.size(); ++i) {
        PrinterSupply supply{marker_names[i], std::nullopt};
        // Negative levels mean "unknown" in the printer's own terms.
        if (i < marker_levels.size() && marker_levels[i] >= 0 && marker_levels[i] <= 100) {
          supply.level_percent = static_cast<std::uint8_t>(marker_levels[i]);
        }
        supplies.push_back(std::move(supply));
      }
      queue.live.supplies = std::move(supplies);
    }
    found.push_back(std::move(queue));
  });
  return found;
}

std::expected<std::vector<PrintJob>, std::string> jobs() {
  auto http = connect_service();
  if (!http) return std::unexpected(failure("the print jobs", http.error()));
  ipp_t* request = cups().ippNewRequest(IPP_OP_GET_JOBS);
  cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, "ipp://localhost/");
  cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "all");
  request_attributes(request, {"job-id", "job-name", "job-originating-user-name", "job-printer-uri", "job-state",
                               "job-state-reasons", "job-printer-state-message", "job-impressions",
                               "job-impressions-completed", "job-k-octets", "time-at-completed"});
  auto response = send(http->get(), request);
  if (!response) return std::unexpected(failure("the print jobs", response.error()));

  const time_t now = std::time(nullptr);
  std::vector<PrintJob> found;
  for_each_group(response->get(), IPP_TAG_JOB, [&](const std::vector<ipp_attribute_t*>& group) {
    PrintJob job;
    int id = 0;
    int state = 0;
    time_t completed_at = 0;
    for (ipp_attribute_t* attr : group) {
      const auto name = name_of(attr);
      if (name == "job-id") id = cups().ippGetInteger(attr, 0);
      else if (name == "job-name") job.title = text_of(attr);
      else if (name == "job-originating-user-name") job.owner = text_of(attr);
      else if (name == "job-printer-uri") {
        const auto uri = text_of(attr);
        job.printer = uri.substr(uri.rfind('/') + 1);
      } else if (name == "job-state") state = cups().ippGetInteger(attr, 0);
      else if (name == "job-state-reasons") {
        for (auto& reason : texts_of(attr)) {
          if (reason != "none") job.reasons.push_back(std::move(reason));
        }
      } else if (name == "job-printer-state-message") {
        auto message = text_of(attr);
        if (!message.empty()) job.state_message = std::move(message);
      } else if (name == "job-impressions") job.impressions_total = non_negative(attr);
      else if (name == "job-impressions-completed") job.impressions_completed = non_negative(attr);
      else if (name == "job-k-octets") job.size_bytes = std::uint64_t{non_negative(attr).value_or(0)} * 1024;
      else if (name == "time-at-completed") completed_at = cups().ippGetInteger(attr, 0);
    }
    if (id <= 0) return;
    job.id = std::to_string(id);
    job.state = state == 0 ? JobState::NotReported : job_state(state);
    const bool finished = state >= IPP_JSTATE_CANCELED;
    if (finished && completed_at > 0 && now - completed_at > kFinishedJobWindowSeconds) return;
    found.push_back(std::move(job));
  });
  // The newest jobs matter most when there are more than a pane can list.
  if (found.size() > kMaxJobs) found.erase(found.begin(), found.end() - static_cast<std::ptrdiff_t>(kMaxJobs));
  return found;
}

}  // namespace os_actions::printing

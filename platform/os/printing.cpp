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
  decltype(&::ippAddInteger) ippAddInteger = nullptr;
  decltype(&::ippAddBoolean) ippAddBoolean = nullptr;
  decltype(&::httpAssembleURIf) httpAssembleURIf = nullptr;
  decltype(&::cupsUser) cupsUser = nullptr;
  decltype(&::cupsGetDests2) cupsGetDests2 = nullptr;
  decltype(&::cupsSetDests2) cupsSetDests2 = nullptr;
  decltype(&::cupsAddDest) cupsAddDest = nullptr;
  decltype(&::cupsGetDest) cupsGetDest = nullptr;
  decltype(&::cupsFreeDests) cupsFreeDests = nullptr;
  decltype(&::cupsGetNamedDest) cupsGetNamedDest = nullptr;
  decltype(&::cupsEnumDests) cupsEnumDests = nullptr;
  decltype(&::cupsGetOption) cupsGetOption = nullptr;
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
        library->bind(api.ippGetBoolean, "ippGetBoolean") &&
        library->bind(api.ippAddInteger, "ippAddInteger") &&
        library->bind(api.ippAddBoolean, "ippAddBoolean") &&
        library->bind(api.httpAssembleURIf, "httpAssembleURIf") &&
        library->bind(api.cupsUser, "cupsUser") &&
        library->bind(api.cupsGetDests2, "cupsGetDests2") &&
        library->bind(api.cupsSetDests2, "cupsSetDests2") &&
        library->bind(api.cupsAddDest, "cupsAddDest") &&
        library->bind(api.cupsGetDest, "cupsGetDest") &&
        library->bind(api.cupsFreeDests, "cupsFreeDests") &&
        library->bind(api.cupsGetNamedDest, "cupsGetNamedDest") &&
        library->bind(api.cupsEnumDests, "cupsEnumDests") &&
        library->bind(api.cupsGetOption, "cupsGetOption");
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

// The destination the user's own settings name as default (the user's option file, LPDEST or
// PRINTER), as the printing library resolves it; the library falls back to the service's default.
std::optional<std::string> user_default(http_t* http) {
  cups_dest_t* dest = cups().cupsGetNamedDest(http, nullptr, nullptr);
  if (dest == nullptr) return std::nullopt;
  std::optional<std::string> name;
  if (dest->name != nullptr) name = dest->name;
  cups().cupsFreeDests(1, dest);
  return name;
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

constexpr double kAddTimeoutSeconds = 60.0;
constexpr int kDiscoveryMilliseconds = 3000;

std::string printer_uri(std::string_view name) {
  char uri[1024];
  const std::string owned(name);
  if (cups().httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                              owned.c_str()) != HTTP_URI_STATUS_OK) {
    return {};
  }
  return uri;
}

// A printer request naming the queue and the user asking.
std::expected<ipp_t*, std::string> queue_request(ipp_op_t operation, std::string_view name) {
  const std::string uri = printer_uri(name);
  if (uri.empty() || name.empty()) return std::unexpected(fmt::format("\"{}\" is not a printer queue name", name));
  ipp_t* request = cups().ippNewRequest(operation);
  cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri.c_str());
  cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cups().cupsUser());
  return request;
}

// The service's answer to a change: nothing, or its own message. Queue changes go to the service's
// administration resource, job changes to its jobs resource, as its access policy expects.
Done change(http_t* http, ipp_t* request, const char* resource = "/admin/") {
  Ipp response(cups().cupsDoRequest(http, request, resource));
  if (!response || cups().cupsLastError() > IPP_STATUS_OK_CONFLICTING) {
    return std::unexpected(std::string(cups().cupsLastErrorString()));
  }
  return {};
}

Done queue_change(std::string_view what, ipp_op_t operation, std::string_view name) {
  auto http = connect_service();
  if (!http) return std::unexpected(fmt::format("Could not {}: {}", what, http.error()));
  auto request = queue_request(operation, name);
  if (!request) return std::unexpected(fmt::format("Could not {}: {}", what, request.error()));
  if (auto done = change(http->get(), *request); !done) {
    return std::unexpected(fmt::format("Could not {}: {}", what, done.error()));
  }
  return {};
}

std::optional<int> job_number(std::string_view id) {
  int value = 0;
  if (id.empty() || id.size() > 9) return std::nullopt;
  for (char c : id) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value <= 0) return std::nullopt;
  return value;
}

Done job_change(std::string_view what, ipp_op_t operation, std::string_view id) {
  const auto number = job_number(id);
  if (!number) return std::unexpected(fmt::format("Could not {}: \"{}\" is not a print job id", what, id));
  auto http = connect_service();
  if (!http) return std::unexpected(fmt::format("Could not {}: {}", what, http.error()));
  ipp_t* request = cups().ippNewRequest(operation);
  const std::string uri = fmt::format("ipp://localhost/jobs/{}", *number);
  cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri.c_str());
  cups().ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cups().cupsUser());
  if (auto done = change(http->get(), request, "/jobs/"); !done) {
    return std::unexpected(fmt::format("Could not {}: {}", what, done.error()));
  }
  return {};
}

// A queue name for a discovered printer: the printing service takes printable characters other
// than space, "/", "\\", "#", quotes and "?", at most 127 bytes.
std::string queue_name_for(const DriverlessPrinter& printer) {
  std::string name;
  for (unsigned char c : printer.name) {
    if (name.size() >= 127) break;
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '_' || c == '.';
    if (plain) name.push_back(static_cast<char>(c));
    else if (!name.empty() && name.back() != '_') name.push_back('_');
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name.empty() ? std::string("Printer") : name;
}

struct Discovery {
  std::vector<std::string> configured;
  std::vector<DriverlessPrinter> found;
};

int take_discovered(void* context, unsigned flags, cups_dest_t* dest) {
  auto* discovery = static_cast<Discovery*>(context);
  if ((flags & CUPS_DEST_FLAGS_REMOVED) != 0 || dest == nullptr || dest->name == nullptr) return 1;
  const std::string name = dest->name;
  const auto& configured = discovery->configured;
  if (std::find(configured.begin(), configured.end(), name) != configured.end()) return 1;
  const char* uri = cups().cupsGetOption("device-uri", dest->num_options, dest->options);
  if (uri == nullptr) uri = cups().cupsGetOption("printer-uri-supported", dest->num_options, dest->options);
  if (uri == nullptr || *uri == '\0') return 1;
  // A local queue names the printing service as its address; a nearby printer has its own.
  if (std::string_view(uri).find("://localhost") != std::string_view::npos) return 1;
  for (const auto& known : discovery->found) {
    if (known.identifier == uri) return 1;
  }
  DriverlessPrinter printer{uri, name, std::nullopt};
  if (const char* info = cups().cupsGetOption("printer-info", dest->num_options, dest->options); info && *info) {
    printer.name = info;
  }
  const char* model = cups().cupsGetOption("printer-make-and-model", dest->num_options, dest->options);
  const char* location = cups().cupsGetOption("printer-location", dest->num_options, dest->options);
  if (model != nullptr && *model != '\0') printer.detail = model;
  else if (location != nullptr && *location != '\0') printer.detail = location;
  discovery->found.push_back(std::move(printer));
  return 1;
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
  const auto server_default = default_queue(http->get());
  const auto own_default = user_default(http->get());

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
  const bool own_listed = own_default && std::any_of(found.begin(), found.end(), [&](const PrinterQueue& queue) {
                            return queue.name == *own_default;
                          });
  const auto default_name = own_listed ? own_default : server_default;
  for (auto& queue : found) queue.is_default = default_name == queue.name;
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

std::expected<std::vector<DriverlessPrinter>, std::string> discover_driverless() {
  if (const auto& loaded = loaded_cups(); !loaded) {
    return std::unexpected(fmt::format("Could not search for printers: {}", loaded.error()));
  }
  cups().cupsSetPasswordCB2(no_password, nullptr);
  Discovery discovery;
  if (auto configured = queues()) {
    for (const auto& queue : *configured) discovery.configured.push_back(queue.name);
  }
  // Browsing ends after the bound whether or not the network's discovery service answers; without
  // one, the search finds nothing.
  int cancel = 0;
  (void)cups().cupsEnumDests(CUPS_DEST_FLAGS_NONE, kDiscoveryMilliseconds, &cancel, 0, 0, take_discovered, &discovery);
  return std::move(discovery.found);
}

Done add_driverless(const DriverlessPrinter& printer) {
  constexpr std::string_view kWhat = "add the printer";
  if (printer.identifier.empty()) return std::unexpected(fmt::format("Could not {}: it has no address", kWhat));
  auto http = connect_service();
  if (!http) return std::unexpected(fmt::format("Could not {}: {}", kWhat, http.error()));
  const std::string name = queue_name_for(printer);
  auto request = queue_request(IPP_OP_CUPS_ADD_MODIFY_PRINTER, name);
  if (!request) return std::unexpected(fmt::format("Could not {}: {}", kWhat, request.error()));
  ipp_t* ipp = *request;
  // Operation attributes come first: a group once left is not reopened.
  cups().ippAddString(ipp, IPP_TAG_OPERATION, IPP_TAG_NAME, "ppd-name", nullptr, "everywhere");
  cups().ippAddString(ipp, IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, printer.identifier.c_str());
  cups().ippAddString(ipp, IPP_TAG_PRINTER, IPP_TAG_TEXT, "printer-info", nullptr, printer.name.c_str());
  cups().ippAddBoolean(ipp, IPP_TAG_PRINTER, "printer-is-accepting-jobs", 1);
  cups().ippAddInteger(ipp, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_IDLE);
  // The service asks the printer for its capabilities before it answers.
  cups().httpSetTimeout(http->get(), kAddTimeoutSeconds, nullptr, nullptr);
  if (auto done = change(http->get(), ipp); !done) {
    return std::unexpected(fmt::format("Could not {}: {}", kWhat, done.error()));
  }
  return {};
}

Done set_default(std::string_view name) {
  constexpr std::string_view kWhat = "make the printer the default";
  auto http = connect_service();
  if (!http) return std::unexpected(fmt::format("Could not {}: {}", kWhat, http.error()));
  const std::string owned(name);
  cups_dest_t* dests = nullptr;
  int count = cups().cupsGetDests2(http->get(), &dests);
  if (cups().cupsGetDest(owned.c_str(), nullptr, count, dests) == nullptr) {
    cups().cupsFreeDests(count, dests);
    return std::unexpected(fmt::format("Could not {}: there is no printer queue \"{}\"", kWhat, name));
  }
  for (int i = 0; i < count; ++i) {
    dests[i].is_default = owned == dests[i].name && dests[i].instance == nullptr;
  }
  const int written = cups().cupsSetDests2(http->get(), count, dests);
  cups().cupsFreeDests(count, dests);
  if (written != 0) {
    return std::unexpected(fmt::format("Could not {}: {}", kWhat, cups().cupsLastErrorString()));
  }
  return {};
}

Done set_enabled(std::string_view name, bool enabled) {
  return enabled ? queue_change("resume the printer", IPP_OP_RESUME_PRINTER, name)
                 : queue_change("pause the printer", IPP_OP_PAUSE_PRINTER, name);
}

Done remove_queue(std::string_view name) { return queue_change("remove the printer", IPP_OP_CUPS_DELETE_PRINTER, name); }

Done cancel_job(std::string_view id) { return job_change("cancel the print job", IPP_OP_CANCEL_JOB, id); }

Done retry_job(std::string_view id) { return job_change("retry the print job", IPP_OP_RESTART_JOB, id); }

}  // namespace os_actions::printing

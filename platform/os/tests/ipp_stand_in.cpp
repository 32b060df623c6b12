#include "ipp_stand_in.h"

#include <arpa/inet.h>
#include <cups/cups.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace os_actions_testing {
namespace {

struct Reader {
  const std::string& data;
  std::size_t position = 0;
};

ssize_t read_from(void* context, ipp_uchar_t* buffer, size_t length) {
  auto* reader = static_cast<Reader*>(context);
  const std::size_t n = std::min(length, reader->data.size() - reader->position);
  std::memcpy(buffer, reader->data.data() + reader->position, n);
  reader->position += n;
  return static_cast<ssize_t>(n);
}

ssize_t write_to(void* context, ipp_uchar_t* buffer, size_t length) {
  static_cast<std::string*>(context)->append(reinterpret_cast<const char*>(buffer), length);
  return static_cast<ssize_t>(length);
}

void add_keywords(ipp_t* ipp, ipp_tag_t group, const char* name, const std::vector<std::string>& values) {
  std::vector<const char*> pointers;
  for (const auto& v : values) pointers.push_back(v.c_str());
  ippAddStrings(ipp, group, IPP_TAG_KEYWORD, name, static_cast<int>(pointers.size()), nullptr, pointers.data());
}

bool send_all(int fd, const std::string& data) {
  std::size_t sent = 0;
  while (sent < data.size()) {
    const ssize_t n = ::send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) return false;
    sent += static_cast<std::size_t>(n);
  }
  return true;
}

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

RecordedRequest record(ipp_t* request) {
  RecordedRequest recorded{static_cast<int>(ippGetOperation(request)), {}};
  for (ipp_attribute_t* attr = ippFirstAttribute(request); attr != nullptr; attr = ippNextAttribute(request)) {
    const char* name = ippGetName(attr);
    if (name == nullptr) continue;
    std::string values;
    for (int i = 0; i < ippGetCount(attr); ++i) {
      if (i > 0) values += ",";
      const ipp_tag_t tag = ippGetValueTag(attr);
      if (tag == IPP_TAG_INTEGER || tag == IPP_TAG_ENUM) values += std::to_string(ippGetInteger(attr, i));
      else if (tag == IPP_TAG_BOOLEAN) values += ippGetBoolean(attr, i) ? "true" : "false";
      else if (const char* text = ippGetString(attr, i, nullptr)) values += text;
    }
    recorded.attributes[name] = values;
  }
  return recorded;
}

void add_printer(ipp_t* response, const FakePrinter& p) {
  ippAddString(response, IPP_TAG_PRINTER, IPP_TAG_NAME, "printer-name", nullptr, p.name.c_str());
  const std::string uri = "ipp://localhost/printers/" + p.name;
  ippAddString(response, IPP_TAG_PRINTER, IPP_TAG_URI, "printer-uri-supported", nullptr, uri.c_str());
  ippAddInteger(response, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", p.state);
  add_keywords(response, IPP_TAG_PRINTER, "printer-state-reasons", p.reasons);
  ippAddString(response, IPP_TAG_PRINTER, IPP_TAG_TEXT, "printer-state-message", nullptr, p.message.c_str());
  ippAddBoolean(response, IPP_TAG_PRINTER, "printer-is-accepting-jobs", p.accepting ? 1 : 0);
  if (p.markers && !p.markers->empty()) {
    std::vector<const char*> names;
    std::vector<int> levels;
    for (const auto& [name, level] : *p.markers) {
      names.push_back(name.c_str());
      levels.push_back(level);
    }
    ippAddStrings(response, IPP_TAG_PRINTER, IPP_TAG_NAME, "marker-names", static_cast<int>(names.size()), nullptr,
                  names.data());
    ippAddIntegers(response, IPP_TAG_PRINTER, IPP_TAG_INTEGER, "marker-levels", static_cast<int>(levels.size()),
                   levels.data());
  }
}

}  // namespace

std::vector<RecordedRequest> IppStandIn::changes() const {
  std::lock_guard lock(mutex_);
  return changes_;
}

void IppStandIn::refuse(int operation, int status, std::string message) {
  std::lock_guard lock(mutex_);
  refusals_[operation] = {status, std::move(message)};
}

void use_print_server(const std::string& server) {
  ::setenv("CUPS_SERVER", server.c_str(), 1);
  cupsSetServer(nullptr);  // forget the server this thread looked up before
}

std::expected<std::unique_ptr<IppStandIn>, std::string> IppStandIn::start(std::vector<FakePrinter> printers,
                                                                         std::optional<std::string> default_printer,
                                                                         std::vector<FakeJob> jobs) {
  std::unique_ptr<IppStandIn> server(new IppStandIn);
  server->printers_ = std::move(printers);
  server->default_printer_ = std::move(default_printer);
  server->jobs_ = std::move(jobs);
  server->listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (server->listener_ < 0) return std::unexpected("no socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(server->listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(server->listener_, 8) != 0) {
    return std::unexpected(std::string("cannot listen on 127.0.0.1: ") + std::strerror(errno));
  }
  socklen_t length = sizeof address;
  ::getsockname(server->listener_, reinterpret_cast<sockaddr*>(&address), &length);
  server->port_ = ntohs(address.sin_port);
  server->thread_ = std::jthread([raw = server.get()](std::stop_token stop) { raw->serve(stop); });
  use_print_server("127.0.0.1:" + std::to_string(server->port_));
  return server;
}

IppStandIn::~IppStandIn() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) ::close(listener_);
}

void IppStandIn::serve(std::stop_token stop) {
  while (!stop.stop_requested()) {
    pollfd fd{listener_, POLLIN, 0};
    if (::poll(&fd, 1, 50) <= 0) continue;
    const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    handle_connection(client, stop);
    ::close(client);
  }
}

void IppStandIn::handle_connection(int fd, std::stop_token stop) {
  std::string buffer;
  while (!stop.stop_requested()) {
    // Headers.
    std::size_t end = std::string::npos;
    while ((end = buffer.find("\r\n\r\n")) == std::string::npos) {
      pollfd p{fd, POLLIN, 0};
      if (::poll(&p, 1, 50) <= 0) {
        if (stop.stop_requested()) return;
        continue;
      }
      char chunk[4096];
      const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) return;
      buffer.append(chunk, static_cast<std::size_t>(n));
    }
    const std::string headers = lower(buffer.substr(0, end));
    buffer.erase(0, end + 4);
    std::size_t content_length = 0;
    if (const auto at = headers.find("content-length:"); at != std::string::npos) {
      content_length = std::strtoul(headers.c_str() + at + 15, nullptr, 10);
    }
    if (headers.find("expect: 100-continue") != std::string::npos &&
        !send_all(fd, "HTTP/1.1 100 Continue\r\n\r\n")) {
      return;
    }
    while (buffer.size() < content_length) {
      char chunk[4096];
      const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
      if (n <= 0) return;
      buffer.append(chunk, static_cast<std::size_t>(n));
    }
    const std::string body = answer(buffer.substr(0, content_length));
    buffer.erase(0, content_length);
    const std::string response = "HTTP/1.1 200 OK\r\nContent-Type: application/ipp\r\nContent-Length: " +
                                 std::to_string(body.size()) + "\r\n\r\n" + body;
    if (!send_all(fd, response)) return;
  }
}

std::string IppStandIn::answer(const std::string& body) {
  ipp_t* request = ippNew();
  Reader reader{body};
  ippReadIO(&reader, read_from, 1, nullptr, request);
  ipp_t* response = ippNewResponse(request);
  const int operation = static_cast<int>(ippGetOperation(request));
  std::optional<std::pair<int, std::string>> refusal;
  {
    std::lock_guard lock(mutex_);
    if (auto found = refusals_.find(operation); found != refusals_.end()) refusal = found->second;
  }
  switch (operation) {
    case IPP_OP_CUPS_GET_PRINTERS: {
      bool first = true;
      for (const auto& p : printers_) {
        if (!first) ippAddSeparator(response);
        first = false;
        add_printer(response, p);
      }
      break;
    }
    case IPP_OP_GET_PRINTER_ATTRIBUTES: {
      ipp_attribute_t* uri = ippFindAttribute(request, "printer-uri", IPP_TAG_URI);
      const std::string wanted = uri ? std::string(ippGetString(uri, 0, nullptr)) : std::string();
      const auto found = std::find_if(printers_.begin(), printers_.end(), [&](const FakePrinter& p) {
        return wanted.size() > p.name.size() && wanted.ends_with("/" + p.name);
      });
      if (found == printers_.end()) ippSetStatusCode(response, IPP_STATUS_ERROR_NOT_FOUND);
      else add_printer(response, *found);
      break;
    }
    case IPP_OP_PAUSE_PRINTER:
    case IPP_OP_RESUME_PRINTER:
    case IPP_OP_CUPS_DELETE_PRINTER:
    case IPP_OP_CUPS_ADD_MODIFY_PRINTER:
    case IPP_OP_CANCEL_JOB:
    case IPP_OP_RESTART_JOB: {
      std::lock_guard lock(mutex_);
      changes_.push_back(record(request));
      break;
    }
    case IPP_OP_CUPS_GET_DEFAULT:
      if (default_printer_) {
        ippAddString(response, IPP_TAG_PRINTER, IPP_TAG_NAME, "printer-name", nullptr, default_printer_->c_str());
      } else {
        ippSetStatusCode(response, IPP_STATUS_ERROR_NOT_FOUND);
      }
      break;
    case IPP_OP_GET_JOBS: {
      bool first = true;
      for (const auto& j : jobs_) {
        if (!first) ippAddSeparator(response);
        first = false;
        ippAddInteger(response, IPP_TAG_JOB, IPP_TAG_INTEGER, "job-id", j.id);
        ippAddString(response, IPP_TAG_JOB, IPP_TAG_NAME, "job-name", nullptr, j.name.c_str());
        ippAddString(response, IPP_TAG_JOB, IPP_TAG_NAME, "job-originating-user-name", nullptr, j.user.c_str());
        const std::string uri = "ipp://localhost/printers/" + j.printer;
        ippAddString(response, IPP_TAG_JOB, IPP_TAG_URI, "job-printer-uri", nullptr, uri.c_str());
        ippAddInteger(response, IPP_TAG_JOB, IPP_TAG_ENUM, "job-state", j.state);
        add_keywords(response, IPP_TAG_JOB, "job-state-reasons", j.reasons);
        if (j.impressions >= 0) ippAddInteger(response, IPP_TAG_JOB, IPP_TAG_INTEGER, "job-impressions", j.impressions);
        if (j.completed >= 0) {
          ippAddInteger(response, IPP_TAG_JOB, IPP_TAG_INTEGER, "job-impressions-completed", j.completed);
        }
        ippAddInteger(response, IPP_TAG_JOB, IPP_TAG_INTEGER, "job-k-octets", j.k_octets);
        if (j.completed_at != 0) {
          ippAddInteger(response, IPP_TAG_JOB, IPP_TAG_INTEGER, "time-at-completed", static_cast<int>(j.completed_at));
        }
      }
      break;
    }
    default:
      ippSetStatusCode(response, IPP_STATUS_ERROR_OPERATION_NOT_SUPPORTED);
  }
  if (refusal) {
    ippSetStatusCode(response, static_cast<ipp_status_t>(refusal->first));
    ippAddString(response, IPP_TAG_OPERATION, IPP_TAG_TEXT, "status-message", nullptr, refusal->second.c_str());
  }
  std::string out;
  ippSetState(response, IPP_STATE_IDLE);
  while (ippWriteIO(&out, write_to, 1, nullptr, response) != IPP_STATE_DATA) {
  }
  ippDelete(request);
  ippDelete(response);
  return out;
}

}  // namespace os_actions_testing

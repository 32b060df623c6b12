#pragma once
// A stand-in printing service for tests: an IPP server on 127.0.0.1 that answers the requests the
// printing backend sends (CUPS-Get-Printers, CUPS-Get-Default, Get-Printer-Attributes, Get-Jobs)
// from fixed data, and accepts and records the change requests (pause, resume, delete, add, cancel,
// restart) unless told to refuse one. While it lives, CUPS_SERVER points this process at it.
#include <atomic>
#include <expected>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace os_actions_testing {

struct FakePrinter {
  std::string name;
  int state = 3;  // IPP printer-state: 3 idle, 4 processing, 5 stopped
  std::vector<std::string> reasons{"none"};
  std::string message;
  bool accepting = true;
  std::optional<std::vector<std::pair<std::string, int>>> markers;  // name and level
};

struct FakeJob {
  int id = 0;
  std::string name;
  std::string user;
  std::string printer;
  int state = 3;  // IPP job-state: 3 pending … 9 completed
  std::vector<std::string> reasons{"none"};
  int impressions = -1;  // -1: attribute absent
  int completed = -1;
  int k_octets = 0;
  long completed_at = 0;  // 0: attribute absent
};

// A change request as the stand-in received it: the operation code and each attribute's values
// (text, or the number as text) joined with ",".
struct RecordedRequest {
  int operation = 0;
  std::map<std::string, std::string> attributes;
};

class IppStandIn {
 public:
  static std::expected<std::unique_ptr<IppStandIn>, std::string> start(std::vector<FakePrinter> printers,
                                                                       std::optional<std::string> default_printer,
                                                                       std::vector<FakeJob> jobs);
  ~IppStandIn();
  int port() const { return port_; }

  // The change requests received so far, in order.
  std::vector<RecordedRequest> changes() const;
  // Answers `operation` from now on with `status` and `message`.
  void refuse(int operation, int status, std::string message);

 private:
  IppStandIn() = default;
  void serve(std::stop_token stop);
  void handle_connection(int fd, std::stop_token stop);
  std::string answer(const std::string& body);

  std::vector<FakePrinter> printers_;
  std::optional<std::string> default_printer_;
  std::vector<FakeJob> jobs_;
  mutable std::mutex mutex_;
  std::vector<RecordedRequest> changes_;
  std::map<int, std::pair<int, std::string>> refusals_;
  int listener_ = -1;
  int port_ = 0;
  std::jthread thread_;
};

// Points the printing client of this process at `server` ("host:port").
void use_print_server(const std::string& server);

}  // namespace os_actions_testing

#pragma once
// A storage service stand-in: a thread serving a Unix socket, answering each connection's request
// line as the test says (an answer line, a close without a word, or silence until it is dropped),
// and workers held until the test runs them, so each step of the pane can be watched.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "harness/held_workers.h"

namespace settings::panes::storage::testing {

class StorageStandIn {
 public:
  enum class Reply { Answer, Close, Silent };
  struct Response {
    Reply reply = Reply::Answer;
    std::string line;
  };

  explicit StorageStandIn(std::filesystem::path path) : path_(std::move(path)) {
    std::filesystem::create_directories(path_.parent_path());
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path_.c_str(), sizeof(address.sun_path) - 1);
    ok_ = ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && ::listen(listener_, 8) == 0;
    if (ok_) server_ = std::thread([this] { serve(); });
  }
  ~StorageStandIn() {
    ::shutdown(listener_, SHUT_RDWR);
    ::close(listener_);
    if (server_.joinable()) server_.join();
    for (const int fd : silent_) ::close(fd);
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
  }
  StorageStandIn(const StorageStandIn&) = delete;
  StorageStandIn& operator=(const StorageStandIn&) = delete;

  bool listening() const { return ok_; }
  void on_snapshot(Response response) {
    std::lock_guard lock(mutex_);
    snapshot_ = std::move(response);
  }
  void on_evict(Response response) {
    std::lock_guard lock(mutex_);
    evict_ = std::move(response);
  }
  std::vector<std::string> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  void serve() {
    for (;;) {
      const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (client < 0) return;
      timeval limit{5, 0};
      ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
      std::string request;
      char c = 0;
      while (::recv(client, &c, 1, 0) == 1 && c != '\n') request += c;
      Response response;
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
        response = request.find("\"op\":\"evict\"") != std::string::npos ? evict_ : snapshot_;
      }
      if (response.reply == Reply::Silent) {
        silent_.push_back(client);
        continue;
      }
      if (response.reply == Reply::Answer) {
        const std::string line = response.line + "\n";
        (void)::send(client, line.data(), line.size(), MSG_NOSIGNAL);
      }
      ::close(client);
    }
  }

  std::filesystem::path path_;
  int listener_ = -1;
  bool ok_ = false;
  mutable std::mutex mutex_;
  Response snapshot_;
  Response evict_;
  std::vector<std::string> requests_;
  std::vector<int> silent_;
  std::thread server_;
};

using panes::testing::HeldWorkers;

}  // namespace settings::panes::storage::testing

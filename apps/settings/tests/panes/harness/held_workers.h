#pragma once
// A worker starter for pane tests: each worker is kept until the test runs it, in the order it was
// started, so a test decides when a reading or a change comes back; it can also refuse to start
// threads of a given name.
#include <cstddef>
#include <deque>
#include <expected>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace settings::panes::testing {

class HeldWorkers {
 public:
  std::expected<void, std::string> start(std::string name, std::function<void()> work) {
    if (refused_ && name == *refused_) return std::unexpected(std::string("Resource temporarily unavailable"));
    held_.emplace_back(std::move(name), std::move(work));
    return {};
  }
  // Runs every held worker (also those started meanwhile); answers how many ran.
  int run_all() {
    int ran = 0;
    while (!held_.empty()) {
      auto work = std::move(held_.front().second);
      held_.pop_front();
      work();
      ++ran;
    }
    return ran;
  }
  // How many workers are held, and their names, not run yet.
  std::size_t held() const { return held_.size(); }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& [name, work] : held_) out.push_back(name);
    return out;
  }
  // Threads of this name are refused from now on (none: all start).
  void refuse(std::optional<std::string> name) { refused_ = std::move(name); }

 private:
  std::deque<std::pair<std::string, std::function<void()>>> held_;
  std::optional<std::string> refused_;
};

}  // namespace settings::panes::testing

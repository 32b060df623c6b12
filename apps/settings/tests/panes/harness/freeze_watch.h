#pragma once
// Watching the interface thread for a freeze. A stand-in service holds one call (HeldCall) while
// the test runs the window's frames (FrameWatch); a frame that waited on the held call would take
// as long as the hold, and no frame could run between the call's arrival and its release.
//
// HeldCall is the test's side of a stand-in started with the parameter {"hold": DIR}: the stand-in
// writes DIR/entered when the call arrives, waits until DIR/release exists (at most 5 s), and
// writes DIR/answered before it lets the call go on.
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <utility>

namespace settings::panes::testing {

// Generous: a frame of a test window takes milliseconds, also under the sanitizers; a held call
// keeps the stand-in for seconds.
inline constexpr std::chrono::milliseconds kFreezeBound{1000};

class HeldCall {
 public:
  HeldCall() {
    char pattern[] = "/tmp/orvo-held-XXXXXX";
    dir_ = ::mkdtemp(pattern);
  }
  ~HeldCall() {
    release();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  HeldCall(const HeldCall&) = delete;
  HeldCall& operator=(const HeldCall&) = delete;

  std::string parameters() const { return R"({"hold": ")" + dir_.string() + R"("})"; }
  bool entered() const { return std::filesystem::exists(dir_ / "entered"); }
  bool answered() const { return std::filesystem::exists(dir_ / "answered"); }
  void release() const { std::ofstream(dir_ / "release").flush(); }

 private:
  std::filesystem::path dir_;
};

class FrameWatch {
 public:
  using Clock = std::chrono::steady_clock;
  explicit FrameWatch(std::function<void()> frame) : frame_(std::move(frame)) {}

  // Runs frames until `done` holds (asked before each frame) or `limit` has passed; answers whether it held.
  bool run_until(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto end = Clock::now() + limit;
    while (!done()) {
      if (Clock::now() >= end) return false;
      run_one();
      // The loop would sleep here until a wake; a short pause lets the workers run.
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }
  void run(int count) {
    for (int i = 0; i < count; ++i) run_one();
  }

  // The longest time one frame took, and how many ran.
  std::chrono::milliseconds longest() const { return longest_; }
  int frames() const { return frames_; }

 private:
  void run_one() {
    const auto start = Clock::now();
    frame_();
    longest_ = std::max(longest_, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start));
    ++frames_;
  }

  std::function<void()> frame_;
  std::chrono::milliseconds longest_{0};
  int frames_ = 0;
};

}  // namespace settings::panes::testing
